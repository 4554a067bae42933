#include "SupportoSync.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

#include "NomePRE.h"
#include "SupportoE2E.h"

namespace {

constexpr int kPrimaOra = 8;

QString descrivi(const QString& badge, int verso, const QString& ora)
{
    return QStringLiteral("%1 %2 %3").arg(badge).arg(verso).arg(ora);
}

// The rows of a query of the SQLite file, each its columns joined by blanks.
QStringList righeDellaQuery(const QString& database, const QString& statement, const QVariantList& valori)
{
    QStringList righe;
    SuFileSQLite(database, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.prepare(statement);
        for (const QVariant& valore : valori)
            query.addBindValue(valore);
        if (!query.exec()) {
            ADD_FAILURE() << statement.toStdString();
            return;
        }
        while (query.next()) {
            QStringList colonne;
            for (int i = 0; i < query.record().count(); ++i)
                colonne << query.value(i).toString();
            righe << colonne.join(QLatin1Char(' '));
        }
    });
    return righe;
}

}  // namespace

QString GiornoDiProva::nome() const { return zentar::NomePRE(testo()); }

QString GiornoDiProva::testo() const { return data.toString(QStringLiteral("dd/MM/yyyy")); }

QStringList GiornoDiProva::righe() const
{
    QStringList righe;
    for (const TimbraturaDiProva& t : timbrature)
        righe << t.ora.toString(QStringLiteral("hhmmss")) + QString::number(t.verso) + t.badge +
                     QStringLiteral("%1").arg(numero, 2, 10, QLatin1Char('0'));
    return righe + altreRighe;
}

QByteArray GiornoDiProva::contenuto() const
{
    QByteArray testo;
    for (const QString& riga : righe())
        testo += riga.toLatin1() + "\r\n";
    return testo;
}

QStringList GiornoDiProva::attese() const
{
    QStringList attese;
    for (const TimbraturaDiProva& t : timbrature)
        attese << descrivi(t.badge, t.verso, t.ora.toString(QStringLiteral("hh.mm.ss")));
    return attese;
}

std::vector<GiornoDiProva> GiorniDiProva(int codice, int numero, int quanti, int ultimoIndietro)
{
    std::vector<GiornoDiProva> giorni;
    const QDate ultimo = QDate::currentDate().addDays(-ultimoIndietro);
    for (int i = 0; i < quanti; ++i) {
        GiornoDiProva giorno{.data = ultimo.addDays(i - quanti + 1), .numero = numero, .timbrature = {}, .altreRighe = {}};
        for (int j = 0; j < 2 + i; ++j)
            giorno.timbrature.push_back({.ora = QTime(kPrimaOra + j, 5 * i, codice),
                                         .verso = j % 2,
                                         .badge = QString::number(codice * 1000 + i * 10 + j).rightJustified(8, '0')});
        giorni.push_back(std::move(giorno));
    }
    return giorni;
}

bool ScriviGiorni(const QString& cartella, const std::vector<GiornoDiProva>& giorni)
{
    if (!QDir().mkpath(cartella))
        return false;
    for (const GiornoDiProva& giorno : giorni) {
        QFile file(QDir(cartella).filePath(giorno.nome()));
        if (!file.open(QIODevice::WriteOnly) || file.write(giorno.contenuto()) != giorno.contenuto().size())
            return false;
    }
    return true;
}

QStringList TestiDelleDate(const std::vector<GiornoDiProva>& giorni)
{
    QStringList testi;
    for (const GiornoDiProva& giorno : giorni)
        testi << giorno.testo();
    return testi;
}

QStringList TimbratureSalvate(const QString& database, int terminale, const QString& data)
{
    return righeDellaQuery(database,
                           QStringLiteral(R"(SELECT "Badge", "Verso", "Ora" FROM timbrature)"
                                          R"( WHERE "Terminale" = ? AND "Data" = ? ORDER BY "ID")"),
                           {terminale, data});
}

std::vector<zentar::RigaFile> FileSalvati(const QString& database, int terminale)
{
    std::vector<zentar::RigaFile> righe;
    SuFileSQLite(database, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral(R"(SELECT "ID", "Data", "NomeFile", "Blob" FROM file WHERE "Terminale" = ? ORDER BY "ID")"));
        query.addBindValue(terminale);
        if (!query.exec()) {
            ADD_FAILURE() << "cannot read the table file";
            return;
        }
        while (query.next())
            righe.push_back({.ID = query.value(0).toInt(),
                             .Terminale = terminale,
                             .Data = query.value(1).toString(),
                             .NomeFile = query.value(2).toString(),
                             .Blob = query.value(3).toString()});
    });
    return righe;
}

QStringList Doppioni(const QString& database)
{
    QStringList doppioni;
    for (const QString& riga : righeDellaQuery(database,
                                                QStringLiteral(R"(SELECT "Terminale", "Data", "ID", COUNT(*) FROM timbrature)"
                                                               R"( GROUP BY "Terminale", "Data", "ID" HAVING COUNT(*) > 1)"),
                                                {}))
        doppioni << QStringLiteral("ID given twice (terminal, day, ID, times): ") + riga;
    for (const QString& riga :
         righeDellaQuery(database,
                         QStringLiteral(R"(SELECT "Terminale", "Data", "Badge", "Verso", "Ora", COUNT(*) FROM timbrature)"
                                        R"( GROUP BY "Terminale", "Data", "Badge", "Verso", "Ora" HAVING COUNT(*) > 1)"),
                         {}))
        doppioni << QStringLiteral("punch stored twice (terminal, day, badge, direction, time, times): ") + riga;
    return doppioni;
}

zentar::RilevatoreDemo Variante(const zentar::RilevatoreDemo& base, int codice, const QString& descrizione,
                                std::initializer_list<std::pair<QString, QVariant>> cambi)
{
    zentar::RilevatoreDemo copia = base;
    copia.Codice = codice;
    copia.Descrizione = descrizione;
    std::vector<std::pair<QString, QVariant>> tutti{{QStringLiteral("Codice"), codice},
                                                    {QStringLiteral("Descrizione"), descrizione}};
    tutti.insert(tutti.end(), cambi.begin(), cambi.end());
    for (const auto& [colonna, valore] : tutti) {
        auto presente = std::find_if(copia.colonne.begin(), copia.colonne.end(),
                                     [&](const auto& c) { return c.first == colonna; });
        if (presente != copia.colonne.end())
            presente->second = valore;
        else
            copia.colonne.emplace_back(colonna, valore);
    }
    return copia;
}

zentar::RilevatoreDemo RilevatoreSullaLinea(int codice, const QString& descrizione, int porta)
{
    const zentar::RilevatoreDemo modem = zentar::RilevatoriDemo({.portaScatola = 1, .portaModem = porta})[1];
    return Variante(modem, codice, descrizione, {{"Modem", false}, {"Telefono", QString()}});
}

QString RiepilogoDi(const Esito& esito)
{
    const QStringList uscita = Righe(esito.uscita);
    return uscita.isEmpty() ? QString() : uscita.back();
}

QStringList RegistroConDettagli(const Esito& esito)
{
    return Righe(esito.errori).filter(QRegularExpression(QStringLiteral("^(terminal |  )")));
}

QString RigaMemorizzato(int codice, const GiornoDiProva& giorno)
{
    return QStringLiteral("terminal %1 %2: stored %3 punches").arg(codice).arg(giorno.testo()).arg(giorno.timbrature.size());
}

QString RigaNonImportato(int codice, const GiornoDiProva& giorno, const char* passo)
{
    return QStringLiteral("terminal %1 %2: not imported: %3 failed").arg(codice).arg(giorno.testo(), QLatin1String(passo));
}
