// Start-up on an archive of 1,000,000 punches against an empty one (the same registered
// terminal, no punches), on each engine: Zentar's start-up (the data module and every window,
// until the main window is shown and the event queue is empty, offscreen) and the real
// bin/zentar-sync list. Both open Zentar.db beside bin/zentar-sync, or the ODBC data source
// "Zentar" when it is defined: the SQLite cases hide every data source (ODBCINI an empty file).
// Each start runs in a process of its own; the time is the best of several starts. A separate
// start counts what each table gave: on SQLite through bench_righe_lette preloaded, on
// PostgreSQL from the server's per-table counters.
//   bench_startup                       # every case, the table's rows
//   bench_startup --zentar FOLDER       # Zentar's start-up on FOLDER: its seconds on stdout

#include <algorithm>
#include <cstdio>
#include <map>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "Archivio.h"
#include "Finestre.h"
#include "Tabella.h"
#include "TfrmMain.h"
#include "ZentarApplication.h"

using namespace zentar;
using namespace zentar::bench;

namespace {

constexpr int kArchivioGrande = 1'000'000;
constexpr int kAvvii = 5;
constexpr int kTerminale = 1;
const QStringList kTabelleDelleTimbrature{QStringLiteral("timbrature"), QStringLiteral("file")};

// The child: Zentar's start-up as main() does it, timed until the main window is shown and
// every event it posted has been handled.
int avviaZentar(int argc, char** argv, const QString& cartella)
{
    const double inizio = Secondi();
    ZentarApplication app(argc, argv);
    QString errore;
    OpzioniProgramma opzioni;
    opzioni.cartellaProgramma = cartella;
    std::unique_ptr<Finestre> finestre = Finestre::Avvia(std::move(opzioni), &errore);
    if (!finestre)
        Fallisci(QStringLiteral("Zentar did not start: %1").arg(errore));
    finestre->frmMain().show();
    // exit, not quit: quit would first close the windows.
    bool mostrata = false;
    QTimer::singleShot(0, &app, [&] {
        mostrata = finestre->frmMain().isVisible();
        QCoreApplication::exit(0);
    });
    app.exec();
    const double secondi = Secondi() - inizio;
    if (!mostrata)
        Fallisci(QStringLiteral("the main window is not shown"));
    std::printf("%.6f\n", secondi);
    return 0;
}

struct Programma {
    QString nome;  // as the table shows it
    QString percorso;
    QStringList argomenti;
};

// The environment of a start on the engine: on SQLite no ODBC data source is visible.
QProcessEnvironment ambiente(Motore motore, const QString& cartellaVuota)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (motore == Motore::SQLite) {
        const QString vuoto = QDir(cartellaVuota).filePath(QStringLiteral("odbc.ini"));
        QFile(vuoto).open(QIODevice::WriteOnly);
        env.insert(QStringLiteral("ODBCINI"), vuoto);
        env.insert(QStringLiteral("ODBCSYSINI"), cartellaVuota);
    }
    return env;
}

// Runs the program to its end; its standard output. Exits the benchmark when it fails.
QByteArray esegui(const Programma& p, const QProcessEnvironment& env)
{
    QProcess figlio;
    figlio.setProcessEnvironment(env);
    figlio.start(p.percorso, p.argomenti);
    if (!figlio.waitForFinished(120'000) || figlio.exitStatus() != QProcess::NormalExit || figlio.exitCode() != 0)
        Fallisci(QStringLiteral("%1 failed: %2").arg(p.nome, QString::fromLocal8Bit(figlio.readAllStandardError())));
    return figlio.readAllStandardOutput();
}

// The best of several starts, in seconds: the program's own figure for Zentar, the whole run
// for zentar-sync.
double secondiDiAvvio(const Programma& p, const QProcessEnvironment& env, bool tempoProprio)
{
    double migliore = 1e9;
    for (int i = 0; i < kAvvii; ++i) {
        const double inizio = Secondi();
        const QByteArray uscita = esegui(p, env);
        const double secondi = tempoProprio ? uscita.trimmed().toDouble() : Secondi() - inizio;
        migliore = std::min(migliore, secondi);
    }
    return migliore;
}

// Rows read per table during one start.
using Letture = std::map<QString, long long>;

Letture lettureSqlite(const Programma& p, QProcessEnvironment env, const QString& cartellaVuota)
{
    const QString resoconto = QDir(cartellaVuota).filePath(QStringLiteral("righe-lette"));
    QFile::remove(resoconto);
    env.insert(QStringLiteral("LD_PRELOAD"),
               QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libbench_righe_lette.so")));
    env.insert(QStringLiteral("ZENTAR_BENCH_RIGHE_LETTE"), resoconto);
    esegui(p, env);
    QFile file(resoconto);
    if (!file.open(QIODevice::ReadOnly))
        Fallisci(QStringLiteral("%1 left no count of the rows read").arg(p.nome));
    Letture letture;
    for (const QByteArray& riga : file.readAll().split('\n')) {
        const QList<QByteArray> campi = riga.split(' ');
        if (campi.size() == 3)  // rows returned and steps of full scans: either reads the table
            letture[QString::fromLatin1(campi[0])] += campi[1].toLongLong() + campi[2].toLongLong();
    }
    return letture;
}

// The server's count of rows read from each table (by sequential and index scans).
Letture contatoriPostgreSQL(QSqlDatabase db)
{
    QSqlQuery query(db);
    query.exec(QStringLiteral("SELECT pg_stat_clear_snapshot()"));
    if (!query.exec(QStringLiteral("SELECT relname, COALESCE(seq_tup_read, 0) + COALESCE(idx_tup_fetch, 0)"
                                   " FROM pg_stat_user_tables")))
        Fallisci(QStringLiteral("the table statistics of PostgreSQL cannot be read"));
    Letture letture;
    while (query.next())
        letture[query.value(0).toString()] = query.value(1).toLongLong();
    return letture;
}

// Waits until no other session is connected to the database: a session's counters reach the
// server's statistics before it leaves pg_stat_activity.
void attendiFineSessioni(QSqlDatabase db)
{
    QElapsedTimer attesa;
    attesa.start();
    QSqlQuery query(db);
    for (;;) {
        query.exec(QStringLiteral("SELECT count(*) FROM pg_stat_activity"
                                  " WHERE datname = current_database() AND pid <> pg_backend_pid()"));
        if (query.next() && query.value(0).toInt() == 0)
            return;
        if (attesa.elapsed() > 60'000)
            Fallisci(QStringLiteral("a session of the measured program stays connected"));
        QThread::msleep(10);
    }
}

Letture letturePostgreSQL(const Programma& p, const QProcessEnvironment& env, TDMDatabase& database)
{
    QSqlDatabase db = database.dbZentar();
    attendiFineSessioni(db);
    const Letture prima = contatoriPostgreSQL(db);
    esegui(p, env);
    attendiFineSessioni(db);
    Letture dopo = contatoriPostgreSQL(db);
    for (auto& [tabella, righe] : dopo)
        righe -= prima.count(tabella) ? prima.at(tabella) : 0;
    return dopo;
}

// The archive beside bin/zentar-sync, with the one registered terminal. A Zentar.db that is
// there already is put back at the end.
class ArchivioAccanto {
public:
    explicit ArchivioAccanto(const QString& cartella) : cartella_(cartella)
    {
        if (QFile::exists(salvato()))
            Fallisci(QStringLiteral("%1 is left from an earlier run: put it back as Zentar.db or remove it").arg(salvato()));
        if (QFile::exists(database()) && !QFile::rename(database(), salvato()))
            Fallisci(QStringLiteral("%1 cannot be put aside").arg(database()));
    }
    ~ArchivioAccanto()
    {
        QFile::remove(database());
        QFile::rename(salvato(), database());
    }
    ArchivioAccanto(const ArchivioAccanto&) = delete;
    ArchivioAccanto& operator=(const ArchivioAccanto&) = delete;

    void Riempi(Motore motore, int punzonature)
    {
        RiempiArchivio(motore, cartella_, {Giornate{.totale = punzonature}});
        const StatoTerminale stato(cartella_);
        RegistraTerminale(*ApriZentar(motore, cartella_, stato), kTerminale);
    }

private:
    QString database() const { return QDir(cartella_).filePath(QStringLiteral("Zentar.db")); }
    QString salvato() const { return database() + QStringLiteral(".bench-saved"); }
    QString cartella_;
};

long long righeDelleTimbrature(const Letture& letture)
{
    long long righe = 0;
    for (const QString& tabella : kTabelleDelleTimbrature)
        righe += letture.count(tabella) ? letture.at(tabella) : 0;
    return righe;
}

void misuraMotore(Motore motore, const QString& cartellaProgrammi)
{
    QTemporaryDir vuota;
    const QProcessEnvironment env = ambiente(motore, vuota.path());
    const std::vector<std::pair<Programma, bool>> programmi{
        {{QStringLiteral("Zentar"), QCoreApplication::applicationFilePath(), {QStringLiteral("--zentar"), cartellaProgrammi}},
         true},
        {{QStringLiteral("zentar-sync list"), QDir(cartellaProgrammi).filePath(QStringLiteral("zentar-sync")),
          {QStringLiteral("list")}},
         false},
    };
    ArchivioAccanto archivio(cartellaProgrammi);
    std::map<int, std::vector<double>> secondi;
    std::vector<Letture> letture;
    for (int punzonature : {0, kArchivioGrande}) {
        archivio.Riempi(motore, punzonature);
        for (const auto& [programma, tempoProprio] : programmi)
            secondi[punzonature].push_back(secondiDiAvvio(programma, env, tempoProprio));
    }
    // The counts on the large archive, which is still in place.
    for (const auto& [programma, tempoProprio] : programmi) {
        if (motore == Motore::SQLite) {
            letture.push_back(lettureSqlite(programma, env, vuota.path()));
        } else {
            const StatoTerminale stato(cartellaProgrammi);
            letture.push_back(letturePostgreSQL(programma, env, *ApriZentar(motore, cartellaProgrammi, stato)));
        }
    }
    const std::string nome = NomeMotore(motore).toStdString();
    for (std::size_t i = 0; i < programmi.size(); ++i) {
        const std::string programma = programmi[i].first.nome.toStdString();
        const double rapporto = secondi[kArchivioGrande][i] / secondi[0][i];
        Riga("startup", nome + ": " + programma + ", 1,000,000 punches vs empty",
             Cifra(secondi[kArchivioGrande][i] * 1e3, 1) + " ms vs " + Cifra(secondi[0][i] * 1e3, 1) + " ms (" +
                 Cifra(rapporto) + "x)",
             "<= 1.5x", Esito(rapporto <= 1.5));
        const long long righe = righeDelleTimbrature(letture[i]);
        // The register is read at every start: a count that missed it would prove nothing.
        const long long registro = letture[i].count(QStringLiteral("rilevatori")) ? letture[i].at(QStringLiteral("rilevatori")) : 0;
        for (const auto& [tabella, lette] : letture[i])
            std::fprintf(stderr, "bench_startup: %s: %s read %lld rows of %s\n", nome.c_str(), programma.c_str(), lette,
                         qPrintable(tabella));
        Riga("startup", nome + ": " + programma + ", rows read from timbrature and file",
             std::to_string(righe) + " of 1,000,000 (rilevatori: " + std::to_string(registro) + ")",
             "0 (no table read whole)", Esito(righe == 0 && registro > 0));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (QLatin1String(argv[i]) == QLatin1String("--zentar"))
            return avviaZentar(argc, argv, QString::fromLocal8Bit(argv[i + 1]));
    }
    QCoreApplication app(argc, argv);
    const QString cartellaProgrammi = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../bin"));
    for (Motore motore : MotoriDisponibili())
        misuraMotore(motore, QDir(cartellaProgrammi).canonicalPath());
    return 0;
}
