#include "Archivio.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>

#include "OdbcDataSources.h"

namespace zentar::bench {

namespace {

MotoreDatabase motoreZentar(Motore motore)
{
    return motore == Motore::SQLite ? MotoreDatabase::SQLite : MotoreDatabase::ODBC;
}

// Seconds of the day of punch n: 40 seconds apart from 00.00.01 (Zentar takes no punch at
// midnight itself).
int secondiDellaPunzonatura(int n) { return 1 + n * 40 % 86399; }

QString oraConPunti(int n)
{
    const int s = secondiDellaPunzonatura(n);
    return QStringLiteral("%1.%2.%3").arg(s / 3600, 2, 10, QLatin1Char('0')).arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

void eseguiSqlite(sqlite3* db, const char* sql)
{
    char* errore = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &errore) != SQLITE_OK)
        Fallisci(QStringLiteral("sqlite: %1: %2").arg(QLatin1String(sql), QString::fromUtf8(errore)));
}

void riempiSqlite(const QString& cartella, std::initializer_list<Giornate> blocchi)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QDir(cartella).filePath(QStringLiteral("Zentar.db")).toUtf8().constData(), &db) != SQLITE_OK)
        Fallisci(QStringLiteral("sqlite: cannot open the archive in %1").arg(cartella));
    eseguiSqlite(db, "BEGIN");
    eseguiSqlite(db, "DELETE FROM timbrature");
    eseguiSqlite(db, "DELETE FROM file");
    eseguiSqlite(db, "DELETE FROM rilevatori");
    sqlite3_stmt* inserisci = nullptr;
    sqlite3_prepare_v2(db,
                       R"(INSERT INTO timbrature ("ID", "Terminale", "Data", "Badge", "Verso", "Ora"))"
                       R"( VALUES (?, ?, ?, ?, ?, ?))",
                       -1, &inserisci, nullptr);
    for (const Giornate& b : blocchi) {
        for (int i = 0; i < b.totale; ++i) {
            const int n = i % b.perGiorno;
            const int blocco = i / b.perGiorno;
            const QByteArray data =
                b.primoGiorno.addDays(blocco / b.terminali).toString(QStringLiteral("dd/MM/yyyy")).toLatin1();
            const QByteArray badge = QByteArray::number(n).rightJustified(8, '0');
            const QByteArray ora = oraConPunti(n).toLatin1();
            sqlite3_bind_int(inserisci, 1, n + 1);
            sqlite3_bind_int(inserisci, 2, 1 + blocco % b.terminali);
            sqlite3_bind_text(inserisci, 3, data.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(inserisci, 4, badge.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(inserisci, 5, n % 2);
            sqlite3_bind_text(inserisci, 6, ora.constData(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(inserisci) != SQLITE_DONE)
                Fallisci(QStringLiteral("sqlite: %1").arg(QString::fromUtf8(sqlite3_errmsg(db))));
            sqlite3_reset(inserisci);
        }
    }
    sqlite3_finalize(inserisci);
    eseguiSqlite(db, "COMMIT");
    sqlite3_close(db);
}

void eseguiQt(QSqlDatabase db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        Fallisci(QStringLiteral("%1: %2").arg(sql, query.lastError().text()));
}

// The same rows as riempiSqlite, made by the server in one statement.
void riempiPostgreSQL(TDMDatabase& database, std::initializer_list<Giornate> blocchi)
{
    QSqlDatabase db = database.dbZentar();
    // TRUNCATE, not DELETE: the rows of an earlier case leave nothing behind in the tables or
    // their indexes for this one to step over.
    eseguiQt(db, QStringLiteral("TRUNCATE timbrature, file, rilevatori"));
    for (const Giornate& b : blocchi) {
        if (b.totale == 0)
            continue;
        eseguiQt(db, QStringLiteral(R"(INSERT INTO timbrature ("ID", "Terminale", "Data", "Badge", "Verso", "Ora"))"
                                    " SELECT i %% %1 + 1, 1 + (i / %1) %% %2,"
                                    " to_char(DATE '%3' + (i / (%1 * %2))::int, 'DD/MM/YYYY'),"
                                    " lpad((i %% %1)::text, 8, '0'), i %% %1 %% 2,"
                                    " to_char(TIME '00:00' + (1 + (i %% %1) * 40 %% 86399) * INTERVAL '1 second', 'HH24.MI.SS')"
                                    " FROM generate_series(0, %4) AS i")
                         .arg(b.perGiorno)
                         .arg(b.terminali)
                         .arg(b.primoGiorno.toString(Qt::ISODate))
                         .arg(b.totale - 1)
                         .replace(QStringLiteral("%%"), QStringLiteral("%")));
    }
    // The planner's statistics, as autovacuum would gather them some time after the load.
    eseguiQt(db, QStringLiteral("ANALYZE timbrature"));
    eseguiQt(db, QStringLiteral("ANALYZE file"));
}

}  // namespace

QString NomeMotore(Motore motore) { return motore == Motore::SQLite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL"); }

void Fallisci(const QString& cosa)
{
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, qPrintable(cosa));
    std::exit(2);
}

QString CartellaInMemoria(const QString& prefisso)
{
    const QFileInfo memoria(QStringLiteral("/dev/shm"));
    const QString base = memoria.isDir() && memoria.isWritable() ? memoria.filePath() : QDir::tempPath();
    return QDir(base).filePath(prefisso + QStringLiteral("-XXXXXX"));
}

std::vector<Motore> MotoriDisponibili()
{
    std::vector<Motore> motori{Motore::SQLite};
    if (OrigineDatiOdbcDefinita(kNomeConnessione))
        motori.push_back(Motore::PostgreSQL);
    else
        std::fprintf(stderr, "bench: no ODBC data source \"Zentar\": PostgreSQL cases skipped\n");
    return motori;
}

std::unique_ptr<TDMDatabase> ApriZentar(Motore motore, const QString& cartella, const StatoTerminale& stato)
{
    QString errore;
    std::unique_ptr<TDMDatabase> database =
        TDMDatabase::Apri(stato, OpzioniDatabase{.cartellaProgramma = cartella, .motore = motoreZentar(motore)}, &errore);
    if (!database)
        Fallisci(QStringLiteral("%1 cannot be opened: %2").arg(NomeMotore(motore), errore));
    return database;
}

void RiempiArchivio(Motore motore, const QString& cartella, std::initializer_list<Giornate> blocchi)
{
    const StatoTerminale stato(cartella);
    std::unique_ptr<TDMDatabase> database = ApriZentar(motore, cartella, stato);  // makes the schema
    if (motore == Motore::PostgreSQL) {
        riempiPostgreSQL(*database, blocchi);
        return;
    }
    database.reset();
    riempiSqlite(cartella, blocchi);
}

void RegistraTerminale(TDMDatabase& database, int codice)
{
    QSqlTableModel& tabella = *database.tblRilevatori();
    QSqlRecord riga = tabella.record();
    for (int i = 0; i < riga.count(); ++i)
        riga.setGenerated(i, false);  // the columns not set keep the table's defaults
    const std::pair<const char*, QVariant> valori[] = {
        {"Codice", codice},         {"Descrizione", QStringLiteral("Banco di prova")},
        {"Pos_Ora", "0"},           {"Len_Ora", "6"},
        {"Pos_Verso", "6"},         {"Pos_Cartellino", "7"},
        {"Len_Cartellino", "8"},    {"Pos_CodSelvo", "15"},
        {"Len_CodSelvo", "2"},      {"RecLen", "17"},
        {"Modalita_col", 3},        {"Portacom", 1},
    };
    for (const auto& [colonna, valore] : valori)
    {
        riga.setValue(QString::fromLatin1(colonna), valore);
        riga.setGenerated(QString::fromLatin1(colonna), true);
    }
    if (!tabella.insertRecord(-1, riga))
        Fallisci(QStringLiteral("terminal %1 cannot be registered: %2").arg(codice).arg(tabella.lastError().text()));
    database.ApplicaRilevatori();
}

QByteArray RigaPunzonatura(int n)
{
    const int s = secondiDellaPunzonatura(n);
    return QStringLiteral("%1%2%3%4%5%6")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'))
        .arg(n % 2)
        .arg(n, 8, 10, QLatin1Char('0'))
        .arg(1, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

}  // namespace zentar::bench
