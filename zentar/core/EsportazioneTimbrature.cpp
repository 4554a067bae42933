#include "EsportazioneTimbrature.h"

#include <QDir>
#include <QSaveFile>

#include "Errors.h"
#include "NomePRE.h"

namespace zentar {

std::optional<QDate> DataDelCampo(const QString& campo)
{
    bool giornoOk = false, meseOk = false, annoOk = false;
    const int giorno = campo.mid(0, 2).toInt(&giornoOk);
    const int mese = campo.mid(3, 2).toInt(&meseOk);
    const int anno = (QStringLiteral("20") + campo.mid(6, 2)).toInt(&annoOk);
    if (!giornoOk || !meseOk || !annoOk || campo.mid(6, 2).size() != 2 || !QDate::isValid(anno, mese, giorno))
        return std::nullopt;
    return QDate(anno, mese, giorno);
}

QByteArray RigheEsportate(const std::vector<RigaTimbratura>& timbrature)
{
    QByteArray righe;
    for (const RigaTimbratura& t : timbrature)
        righe += (QString(t.Ora).remove(QLatin1Char('.')) + QString::number(t.Verso) + t.Badge).toLatin1() + "\r\n";
    return righe;
}

QStringList EsportaGiorni(TDMDatabase& database, int terminale, QDate inizio, QDate fine, const QString& cartella)
{
    QStringList scritti;
    for (QDate giorno = inizio; giorno <= fine; giorno = giorno.addDays(1)) {
        const QString data = giorno.toString(QStringLiteral("dd/MM/yyyy"));
        const QString percorso = QDir(cartella).filePath(NomePRE(data));
        QSaveFile file(percorso);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(RigheEsportate(database.TimbratureDelGiorno(terminale, data))) < 0 || !file.commit())
            throw ZentarError(QStringLiteral("cannot write %1: %2").arg(percorso, file.errorString()));
        scritti << percorso;
    }
    return scritti;
}

namespace {

// A CSV field: quoted, with its quotes doubled, when it holds a separator, a quote or a line end.
QString campoCsv(const QString& testo)
{
    if (!testo.contains(QLatin1Char(',')) && !testo.contains(QLatin1Char('"')) && !testo.contains(QLatin1Char('\n')) &&
        !testo.contains(QLatin1Char('\r')))
        return testo;
    return QLatin1Char('"') + QString(testo).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

}  // namespace

int EsportaCsv(TDMDatabase& database, int terminale, QDate inizio, QDate fine, const QString& percorso)
{
    QSaveFile file(percorso);
    if (!file.open(QIODevice::WriteOnly))
        throw ZentarError(QStringLiteral("cannot write %1: %2").arg(percorso, file.errorString()));
    file.write("terminal,date,time,direction,badge\n");
    int scritte = 0;
    for (QDate giorno = inizio; giorno <= fine; giorno = giorno.addDays(1)) {
        const QString iso = giorno.toString(Qt::ISODate);
        for (const RigaTimbratura& t : database.TimbratureDelGiorno(terminale, giorno.toString(QStringLiteral("dd/MM/yyyy")))) {
            const QString riga = QStringLiteral("%1,%2,%3,%4,%5\n")
                                     .arg(terminale)
                                     .arg(iso, QString(t.Ora).replace(QLatin1Char('.'), QLatin1Char(':')))
                                     .arg(t.Verso)
                                     .arg(campoCsv(t.Badge));
            file.write(riga.toUtf8());
            ++scritte;
        }
    }
    if (!file.commit())
        throw ZentarError(QStringLiteral("cannot write %1: %2").arg(percorso, file.errorString()));
    return scritte;
}

}  // namespace zentar
