// Storing a 2,000-punch day as the main window does (ScaricoPRE::SalvaTimbrature: for each punch
// the identical punch deleted, the next identifier read, the row inserted, each statement its
// own commit) into archives of 0, 100,000 and 1,000,000 punches, on each engine. On SQLite the
// same statements also run directly through the C API on the same file, as the reference rate.
// The figures go to the table; the seconds of each case to standard error.

#include <algorithm>
#include <cstdio>
#include <map>

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "Archivio.h"
#include "NomePRE.h"
#include "ScaricoPRE.h"
#include "Tabella.h"
#include "TerminalSelection.h"
#include "TracciatoRilevatore.h"
#include "VisteSenzaFinestre.h"

using namespace zentar;
using namespace zentar::bench;

namespace {

constexpr int kPunzonature = 2000;
constexpr int kTerminale = 1;
constexpr int kArchivi[] = {0, 100'000, 1'000'000};
constexpr int kVolte = 5;

QString testoData(QDate giorno) { return giorno.toString(QStringLiteral("dd/MM/yyyy")); }

// The day's punch file as the terminal sends it, in the terminal's destination folder.
void scriviGiorno(const QString& percorso)
{
    QFile file(percorso);
    if (!file.open(QIODevice::WriteOnly))
        Fallisci(QStringLiteral("cannot write %1").arg(percorso));
    for (int n = 0; n < kPunzonature; ++n)
        file.write(RigaPunzonatura(n) + "\r\n");
}

// Zentar's storing path on the archive in `cartella`, the terminal registered and selected as
// the main window leaves it.
class GiornoDiZentar {
public:
    GiornoDiZentar(Motore motore, const QString& cartella)
        : motore_(motore), stato_(cartella), database_(ApriZentar(motore, cartella, stato_)), tracciato_(*database_, dialoghi_),
          scarico_(*database_, stato_, kavex_, dialoghi_, tracciato_)
    {
        RegistraTerminale(*database_, kTerminale);
        QDir(cartella).mkpath(QStringLiteral("Timbrature"));  // made beside the program by its build
        if (SelezionaTerminale(*database_, stato_, kTerminale) != EsitoSelezione::Selezionato)
            Fallisci(QStringLiteral("the terminal cannot be selected"));
    }

    // Seconds to store the day `giorno` (a name that the system clock reads back as that day).
    double Secondi(QDate giorno)
    {
        const QString nome = NomePRE(testoData(giorno));
        scriviGiorno(scarico_.PercorsoLocale(nome));
        const double inizio = bench::Secondi();
        const bool salvato = scarico_.SalvaTimbrature(nome);
        const double secondi = bench::Secondi() - inizio;
        if (!salvato || database_->TimbratureDelGiorno(kTerminale, testoData(giorno)).size() != kPunzonature)
            Fallisci(QStringLiteral("%1: the day was not stored whole").arg(NomeMotore(motore_)));
        return secondi;
    }

    // Removes the day again, so that every repetition meets the same archive.
    void Cancella(QDate giorno)
    {
        QSqlQuery query(database_->dbZentar());
        query.prepare(QStringLiteral(R"(DELETE FROM timbrature WHERE "Data" = ?)"));
        query.addBindValue(testoData(giorno));
        if (!query.exec())
            Fallisci(QStringLiteral("the measured day cannot be removed"));
    }

private:
    Motore motore_;
    StatoTerminale stato_;
    std::unique_ptr<TDMDatabase> database_;
    DialoghiSenzaFinestre dialoghi_;
    TracciatoRilevatore tracciato_;
    LibreriaKavex kavex_;
    ScaricoPRE scarico_;
};

// A statement of the reference, prepared once and reset after every step.
class Istruzione {
public:
    Istruzione(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            Fallisci(QStringLiteral("sqlite: %1").arg(QString::fromUtf8(sqlite3_errmsg(db))));
    }
    ~Istruzione() { sqlite3_finalize(stmt_); }
    Istruzione(const Istruzione&) = delete;
    Istruzione& operator=(const Istruzione&) = delete;

    Istruzione& testo(int i, const QByteArray& valore)
    {
        sqlite3_bind_text(stmt_, i, valore.constData(), -1, SQLITE_TRANSIENT);
        return *this;
    }
    Istruzione& intero(int i, int valore)
    {
        sqlite3_bind_int(stmt_, i, valore);
        return *this;
    }
    // Runs it to the end; the first column of the first row (0 when none or NULL).
    int esegui()
    {
        int valore = 0;
        int r = sqlite3_step(stmt_);
        if (r == SQLITE_ROW)
            valore = sqlite3_column_int(stmt_, 0);
        while (r == SQLITE_ROW)
            r = sqlite3_step(stmt_);
        if (r != SQLITE_DONE)
            Fallisci(QStringLiteral("sqlite: %1").arg(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(stmt_)))));
        sqlite3_reset(stmt_);
        return valore;
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// Seconds that the same three statements take per punch through the C API, each in its own
// commit as Zentar's are, on the same Zentar.db opened with the same (default) settings.
double secondiApiC(const QString& cartella, QDate giorno)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QDir(cartella).filePath(QStringLiteral("Zentar.db")).toUtf8().constData(), &db) != SQLITE_OK)
        Fallisci(QStringLiteral("sqlite: cannot open %1").arg(cartella));
    const QByteArray data = testoData(giorno).toLatin1();
    double secondi = 0;
    {
        Istruzione elimina(db, R"(DELETE FROM timbrature WHERE "Terminale" = ? AND "Badge" = ? AND "Data" = ?)"
                               R"( AND "Verso" = ? AND "Ora" = ?)");
        Istruzione massimo(db, R"(SELECT MAX("ID") AS "MaxDiID" FROM timbrature WHERE "Data" = ? AND "Terminale" = ?)");
        Istruzione inserisci(db, R"(INSERT INTO timbrature ("ID", "Terminale", "Data", "Badge", "Verso", "Ora"))"
                                 R"( VALUES (?, ?, ?, ?, ?, ?))");
        const double inizio = Secondi();
        for (int n = 0; n < kPunzonature; ++n) {
            const QByteArray riga = RigaPunzonatura(n);
            const QByteArray ora = riga.mid(0, 2) + '.' + riga.mid(2, 2) + '.' + riga.mid(4, 2);
            const QByteArray badge = riga.mid(7, 8);
            const int verso = riga.at(6) - '0';
            elimina.intero(1, kTerminale).testo(2, badge).testo(3, data).intero(4, verso).testo(5, ora).esegui();
            const int id = massimo.testo(1, data).intero(2, kTerminale).esegui() + 1;
            inserisci.intero(1, id).intero(2, kTerminale).testo(3, data).testo(4, badge).intero(5, verso).testo(6, ora);
            inserisci.esegui();
        }
        secondi = Secondi() - inizio;
    }
    sqlite3_close(db);
    return secondi;
}

std::string microsecondi(double secondi) { return Cifra(secondi / kPunzonature * 1e6, 1) + " us"; }

std::string casoArchivio(int punzonature) { return QLocale(QLocale::English).toString(punzonature).toStdString(); }

void misuraMotore(Motore motore)
{
    std::map<int, double> zentar;
    std::map<int, double> apiC;
    const QDate oggi = QDate::currentDate();
    for (int archivio : kArchivi) {
        QTemporaryDir cartella(CartellaInMemoria(QStringLiteral("bench_storage")));
        RiempiArchivio(motore, cartella.path(), {Giornate{.totale = archivio}});
        GiornoDiZentar giorno(motore, cartella.path());
        // The best of a few days, Zentar's and the reference's taking turns: a day lasts a
        // fraction of a second, and other work on the machine only ever adds to it.
        for (int volta = 0; volta < kVolte; ++volta) {
            const double secondi = giorno.Secondi(oggi);
            zentar[archivio] = volta == 0 ? secondi : std::min(zentar[archivio], secondi);
            giorno.Cancella(oggi);
            if (motore == Motore::SQLite) {
                const double riferimento = secondiApiC(cartella.path(), oggi);
                apiC[archivio] = volta == 0 ? riferimento : std::min(apiC[archivio], riferimento);
                giorno.Cancella(oggi);
            }
        }
        std::fprintf(stderr, "bench_storage: %s, archive of %d: Zentar %.3f s%s\n", qPrintable(NomeMotore(motore)),
                     archivio, zentar[archivio],
                     apiC.count(archivio) ? qPrintable(QStringLiteral(", C API %1 s").arg(apiC[archivio], 0, 'f', 3)) : "");
    }
    const int grande = kArchivi[std::size(kArchivi) - 1];
    const std::string nome = NomeMotore(motore).toStdString();
    const double rapporto = zentar[grande] / zentar[0];
    Riga("storage", nome + ": 2,000-punch day, archive 1,000,000 vs 0",
         microsecondi(zentar[grande]) + " vs " + microsecondi(zentar[0]) + " per punch (" + Cifra(rapporto) + "x)",
         "<= 1.5x", Esito(rapporto <= 1.5));
    for (const auto& [archivio, secondi] : apiC) {
        const double quota = secondi / zentar[archivio];
        Riga("storage", "SQLite: Zentar vs C API, archive " + casoArchivio(archivio),
             Cifra(kPunzonature / zentar[archivio], 0) + " vs " + Cifra(kPunzonature / secondi, 0) + " punches/s (" +
                 Cifra(quota * 100, 0) + "%)",
             ">= 70%", Esito(quota >= 0.7));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    for (Motore motore : MotoriDisponibili())
        misuraMotore(motore);
    return 0;
}
