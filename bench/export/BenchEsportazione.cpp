// The export window's path (EsportaGiorni) over 31 days of one terminal, from an archive of
// 10,000 and one of 1,000,000 punches holding the same 31 days (300 punches each) and other
// days of other terminals and of the same terminal. Each export runs in a child process of its
// own (this program started again with --esporta), so that its peak memory is its own; its time
// is the best of five exports.
//   bench_export                                  # every case, the table's rows
//   bench_export --esporta ENGINE PROGRAM_FOLDER  # one export: "seconds peak_KiB lines" on stdout

#include <algorithm>
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "Archivio.h"
#include "EsportazioneTimbrature.h"
#include "Tabella.h"

using namespace zentar;
using namespace zentar::bench;

namespace {

constexpr int kTerminale = 1;
constexpr int kGiorni = 31;
constexpr int kPerGiorno = 300;
const QDate kPrimoGiorno(2031, 1, 1);
constexpr int kArchivioPiccolo = 10'000;
constexpr int kArchivioGrande = 1'000'000;
constexpr int kVolte = 5;

Motore motoreDalNome(const QString& nome) { return nome == NomeMotore(Motore::PostgreSQL) ? Motore::PostgreSQL : Motore::SQLite; }

// The peak resident memory of this program's own image, in KiB (VmHWM). getrusage's ru_maxrss
// would not do in the child: Linux carries into it the resident size of the parent that
// started it (the one that filled the archive), which differs from case to case.
long piccoDelProgrammaKiB()
{
    QFile stato(QStringLiteral("/proc/self/status"));
    if (!stato.open(QIODevice::ReadOnly))
        Fallisci(QStringLiteral("/proc/self/status cannot be read"));
    for (const QByteArray& riga : stato.readAll().split('\n')) {
        if (riga.startsWith("VmHWM:"))
            return riga.mid(6).trimmed().split(' ').value(0).toLong();
    }
    Fallisci(QStringLiteral("/proc/self/status has no VmHWM"));
}

// The lines of every file written, so that an export that wrote nothing cannot pass.
int righeScritte(const QStringList& file)
{
    int righe = 0;
    for (const QString& percorso : file) {
        QFile f(percorso);
        if (f.open(QIODevice::ReadOnly))
            righe += static_cast<int>(f.readAll().count("\r\n"));
    }
    return righe;
}

// The child: one export, its time, its peak memory and the lines it wrote.
int esporta(Motore motore, const QString& cartella)
{
    const StatoTerminale stato(cartella);
    std::unique_ptr<TDMDatabase> database = ApriZentar(motore, cartella, stato);
    QTemporaryDir destinazione(CartellaInMemoria(QStringLiteral("bench_export-files")));
    // The best of a few exports: other work on the machine only ever adds to a run's time.
    double migliore = 0;
    QStringList scritti;
    for (int volta = 0; volta < kVolte; ++volta) {
        const double inizio = Secondi();
        scritti = EsportaGiorni(*database, kTerminale, kPrimoGiorno, kPrimoGiorno.addDays(kGiorni - 1), destinazione.path());
        const double secondi = Secondi() - inizio;
        migliore = volta == 0 ? secondi : std::min(migliore, secondi);
    }
    std::printf("%.6f %ld %d\n", migliore, piccoDelProgrammaKiB(), righeScritte(scritti));
    return 0;
}

struct Misura {
    double secondi = 0;
    long piccoKiB = 0;
};

Misura misura(Motore motore, int archivio)
{
    QTemporaryDir cartella(CartellaInMemoria(QStringLiteral("bench_export")));
    RiempiArchivio(motore, cartella.path(),
                   {Giornate{.totale = kGiorni * kPerGiorno, .perGiorno = kPerGiorno, .terminali = 1,
                             .primoGiorno = kPrimoGiorno},
                    Giornate{.totale = archivio - kGiorni * kPerGiorno}});
    QProcess figlio;
    figlio.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    figlio.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--esporta"), NomeMotore(motore), cartella.path()});
    if (!figlio.waitForFinished(-1) || figlio.exitCode() != 0)
        Fallisci(QStringLiteral("the export of %1 on %2 failed").arg(archivio).arg(NomeMotore(motore)));
    const QStringList campi = QString::fromLatin1(figlio.readAllStandardOutput()).split(QLatin1Char(' '));
    if (campi.size() != 3 || campi[2].trimmed().toInt() != kGiorni * kPerGiorno)
        Fallisci(QStringLiteral("the export of %1 on %2 did not write every punch").arg(archivio).arg(NomeMotore(motore)));
    std::fprintf(stderr, "bench_export: %s, archive of %d: %s s, peak %s KiB\n", qPrintable(NomeMotore(motore)), archivio,
                 qPrintable(campi[0]), qPrintable(campi[1]));
    return {.secondi = campi[0].toDouble(), .piccoKiB = campi[1].toLong()};
}

std::string millisecondiAlGiorno(const Misura& m) { return Cifra(m.secondi / kGiorni * 1e3, 2) + " ms"; }

void misuraMotore(Motore motore)
{
    const Misura piccolo = misura(motore, kArchivioPiccolo);
    const Misura grande = misura(motore, kArchivioGrande);
    const std::string nome = NomeMotore(motore).toStdString();
    const double rapporto = grande.secondi / piccolo.secondi;
    Riga("export", nome + ": 31 days, time per day, archive 1,000,000 vs 10,000",
         millisecondiAlGiorno(grande) + " vs " + millisecondiAlGiorno(piccolo) + " (" + Cifra(rapporto) + "x)", "<= 1.5x",
         Esito(rapporto <= 1.5));
    // Rows read whole would take some hundred bytes each: 1,000,000 of them, ~100 MiB more.
    const long crescita = grande.piccoKiB - piccolo.piccoKiB;
    Riga("export", nome + ": 31 days, peak memory, archive 1,000,000 vs 10,000",
         std::to_string(grande.piccoKiB) + " vs " + std::to_string(piccolo.piccoKiB) + " KiB (" +
             (crescita >= 0 ? "+" : "") + std::to_string(crescita) + " KiB)",
         "grows < 10%", Esito(grande.piccoKiB < piccolo.piccoKiB * 11 / 10));
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList argomenti = QCoreApplication::arguments();
    if (argomenti.size() == 4 && argomenti[1] == QLatin1String("--esporta"))
        return esporta(motoreDalNome(argomenti[2]), argomenti[3]);
    for (Motore motore : MotoriDisponibili())
        misuraMotore(motore);
    return 0;
}
