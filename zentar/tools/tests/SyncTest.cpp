// bin/zentar-sync as built, run from a copy of its folder layout (bin/zentar-sync beside lib/,
// with Timbrature/ and its own Zentar.db) against kavex-sim devices holding punch files of known
// content: the demo's terminal behind a network box on loopback UDP, the demo's dial-up modem
// terminal, and a terminal on a direct RS232 line, both on pseudo-terminals of a COM_PORT_DIR.
#include <sys/file.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "DMDatabase.h"
#include "InstallazioneSync.h"
#include "LibreriaKavex.h"
#include "QtPrinters.h"
#include "RilevatoriDemo.h"
#include "SupportoE2E.h"
#include "SupportoSync.h"

using namespace zentar;

namespace {

constexpr int kScatola = 1;  // the demo's terminal behind the network box, number 1 there
constexpr int kModem = 2;    // the demo's terminal on a dial-up modem, number 0 on its line
constexpr int kDiretto = 3;  // a terminal alone on a direct RS232 line, number 0
constexpr int kAssente = 4;  // a direct line whose port does not exist
constexpr int kNumeroScatola = 1;
constexpr int kNumeroLinea = 0;
constexpr int kPortaModem = 2;
constexpr int kPortaDiretta = 3;
constexpr int kPortaAssente = 9;
constexpr int kModalitaRs232 = 3;
constexpr int kBaud = 9600;
constexpr int kGiorni = 4;
// A run downloads each day after a pause of a second and dials the modem: minutes, not seconds.
constexpr auto kLimite = 4min;

// The log lines of a download, one per day or unreachable terminal.
QStringList registro(const Esito& esito)
{
    return Righe(esito.errori).filter(QRegularExpression(QStringLiteral("^terminal ")));
}

QString Riepilogo(int terminali, int memorizzati, int falliti, int nonRaggiunti)
{
    return QStringLiteral("zentar-sync: %1 terminals, %2 days stored, %3 days not imported, %4 terminals not reached")
        .arg(terminali)
        .arg(memorizzati)
        .arg(falliti)
        .arg(nonRaggiunti);
}

QStringList memorizzati(int codice, const std::vector<GiornoDiProva>& giorni)
{
    QStringList righe;
    for (const GiornoDiProva& giorno : giorni)
        righe << RigaMemorizzato(codice, giorno);
    return righe;
}

// What the stored rows of the terminal say about the days: each file in the folder as the
// terminal holds it, its punches once each in line order, and the latest `file` row of its
// name holding its text.
void ControllaGiorni(const QString& database, const QString& cartella, int codice,
                     const std::vector<GiornoDiProva>& giorni)
{
    const std::vector<RigaFile> file = FileSalvati(database, codice);
    for (const GiornoDiProva& giorno : giorni) {
        SCOPED_TRACE(QStringLiteral("terminal %1, %2").arg(codice).arg(giorno.testo()).toStdString());
        EXPECT_EQ(ContenutoDelFile(QDir(cartella).filePath(giorno.nome())), giorno.contenuto());
        EXPECT_EQ(TimbratureSalvate(database, codice, giorno.testo()), giorno.attese());
        const auto ultimo = std::find_if(file.rbegin(), file.rend(), [&](const RigaFile& r) { return r.NomeFile == giorno.nome(); });
        ASSERT_NE(ultimo, file.rend()) << "no row in file";
        EXPECT_EQ(ultimo->Data, giorno.testo());
        EXPECT_EQ(ultimo->Blob, QString::fromLatin1(giorno.contenuto()));
    }
}

QStringList nomiDeiFile(const std::vector<RigaFile>& file)
{
    QStringList nomi;
    for (const RigaFile& r : file)
        nomi << r.NomeFile;
    return nomi;
}

// An exclusive lock on a file, held as a run of zentar-sync holds its terminal's.
class BloccoDiProva {
public:
    explicit BloccoDiProva(const QString& file)
        : fd_(::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
    {
        preso_ = fd_ >= 0 && ::flock(fd_, LOCK_EX) == 0;
    }
    ~BloccoDiProva() { rilascia(); }
    BloccoDiProva(const BloccoDiProva&) = delete;
    BloccoDiProva& operator=(const BloccoDiProva&) = delete;

    bool preso() const { return preso_; }
    void rilascia()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    bool preso_ = false;
};

}  // namespace

class ZentarSync : public ::testing::Test, protected InstallazioneSync {
protected:
    void SetUp() override { ASSERT_TRUE(Prepara()); }

    static RilevatoreDemo scatola(int porta) { return RilevatoriDemo({.portaScatola = porta, .portaModem = kPortaModem})[0]; }
    static RilevatoreDemo modem(int porta = kPortaModem) { return RilevatoriDemo({.portaScatola = 1, .portaModem = porta})[1]; }
    static RilevatoreDemo diretto(int codice, const QString& descrizione, int porta)
    {
        return RilevatoreSullaLinea(codice, descrizione, porta);
    }
    static RilevatoreDemo assente() { return diretto(kAssente, QStringLiteral("Cantina (porta assente)"), kPortaAssente); }

    // A network box on 127.0.0.2 with terminal 1 holding the days; its UDP port, 0 when it did
    // not start.
    int avviaScatola(const std::vector<GiornoDiProva>& giorni, const QStringList& opzioni = {})
    {
        const QString pronta = avvia(QStringLiteral("box"), giorni,
                                     QStringList{"box", "--address", kIndirizzoScatolaDemo, "--port", "0"} + opzioni);
        if (!pronta.startsWith(QStringLiteral("ready ") + kIndirizzoScatolaDemo + ':'))
            return 0;
        return pronta.section(QLatin1Char(':'), -1).toInt();
    }
    // A terminal alone on COM<porta>, behind a dial-up modem when `opzioni` say --modem.
    bool avviaLinea(int porta, const std::vector<GiornoDiProva>& giorni, const QStringList& opzioni = {})
    {
        const QString nome = QStringLiteral("COM%1").arg(porta);
        const QString pronta = avvia(
            nome, giorni, QStringList{"rs232", "--dir", porte(), "--port", QString::number(porta)} + opzioni);
        return pronta == QStringLiteral("ready ") + QDir(porte()).filePath(nome);
    }
    // Stops a device started by avviaLinea, so that it can start again with other files.
    bool fermaLinea(int porta)
    {
        const auto trovato = dispositivi_.find(QStringLiteral("COM%1").arg(porta));
        if (trovato == dispositivi_.end() || !trovato->second->termina())
            return false;
        dispositivi_.erase(trovato);
        return !QFileInfo::exists(QDir(porte()).filePath(QStringLiteral("COM%1").arg(porta)));
    }

private:
    // Starts a device on its own copy of the days; its "ready" line, or its errors.
    QString avvia(const QString& nome, const std::vector<GiornoDiProva>& giorni, const QStringList& argomenti)
    {
        const QString file = percorso(QStringLiteral("terminali/%1-%2").arg(nome).arg(++avviati_));
        if (!ScriviGiorni(file, giorni))
            return QStringLiteral("cannot write ") + file;
        auto dispositivo = std::make_unique<ProgrammaAvviato>(KAVEX_SIM, argomenti + QStringList{"--files", file});
        const QString pronta = dispositivo->primaRiga();
        const QString errori = dispositivo->errori();
        dispositivi_[nome] = std::move(dispositivo);
        return pronta.isEmpty() ? errori : pronta;
    }

    int avviati_ = 0;
    std::map<QString, std::unique_ptr<ProgrammaAvviato>> dispositivi_;  // ended before the folders go
};

// The cases that reach the network box on loopback: Kavex gives the box the address this
// computer uses towards it as its master and binds to it.
class ZentarSyncConScatola : public ZentarSync {};

TEST_F(ZentarSync, ListShowsTheTerminalsInCodeOrderAndHowEachIsReached)
{
    const Esito vuoto = sync({"list"});
    EXPECT_EQ(vuoto.codice, 0) << Racconta(vuoto);
    EXPECT_EQ(vuoto.uscita, QString()) << "an empty register lists nothing";

    // Registered out of code order; the Selvo bus row changes every field of its line.
    ASSERT_TRUE(registra({diretto(10, "Mensa (bus)", 5), assente(), modem(), scatola(8499),
                          diretto(kDiretto, "Reparto (linea)", kPortaDiretta),
                          Variante(diretto(7, "Mensa (bus)", 5), 7, "Mensa (bus)",
                                   {{"Modalita_col", 1}, {"Baudrate", 19200}, {"Indirizzo", 12}})}));
    const Esito elenco = sync({"list"});
    EXPECT_EQ(elenco.codice, 0) << Racconta(elenco);
    EXPECT_EQ(Righe(elenco.uscita), QStringList({
                                        "1\tIngresso (rete)\tnetwork box 127.0.0.2:8499 terminal 1",
                                        "2\tMagazzino (modem)\tmodem 5551234 on COM2",
                                        "3\tReparto (linea)\tdirect COM3 mode 3 9600 baud terminal 0",
                                        "4\tCantina (porta assente)\tdirect COM9 mode 3 9600 baud terminal 0",
                                        "7\tMensa (bus)\tdirect COM5 mode 1 19200 baud terminal 12",
                                        "10\tMensa (bus)\tdirect COM5 mode 3 9600 baud terminal 0",
                                    }))
        << Racconta(elenco);
}

TEST_F(ZentarSync, BadUsageExitsWith3AndTheUsageBeforeAnyTerminalIsReached)
{
    // No device runs: a command that reached a terminal would end with 2, not 3.
    ASSERT_TRUE(registra({diretto(kDiretto, "Reparto (linea)", kPortaDiretta), assente()}));
    const QString esportati = percorso("esportati");
    ASSERT_TRUE(QDir().mkpath(esportati));
    const QStringList casi[] = {
        {},
        {"sync"},
        {"--all"},
        {"days"},
        {"days", "99"},
        {"days", "tre"},
        {"download"},
        {"download", "99"},
        {"download", "3", "99"},
        {"download", "--all", "--since"},
        {"download", "--all", "--since", "31/02/2025"},
        {"download", "--all", "--since", "2025-01-31"},
        {"download", "3", "--since", "1/1/25"},
        {"export", "3", "01/02/2025", "31/01/2025", esportati},
        {"export", "3", "01/02/2025", "31/01/2025", esportati, "--csv"},
        {"export", "3", "32/01/2025", "02/02/2025", esportati},
        {"export", "3", "01/01/2025", "02/02/2025"},
        {"export", "99", "01/01/2025", "02/01/2025", esportati},
        {"clock"},
        {"clock", "99"},
    };
    for (const QStringList& argomenti : casi) {
        SCOPED_TRACE(("zentar-sync " + argomenti.join(' ')).toStdString());
        const Esito esito = sync(argomenti, 60s);
        EXPECT_EQ(esito.codice, 3) << Racconta(esito);
        EXPECT_EQ(esito.stato, QProcess::NormalExit);
        EXPECT_TRUE(esito.errori.contains("usage")) << Racconta(esito);
        EXPECT_EQ(esito.uscita, QString());
    }
    EXPECT_EQ(QDir(esportati).entryList(QDir::Files), QStringList()) << "a refused export writes nothing";
}

TEST_F(ZentarSync, HelpAndVersionAnswerOnStandardOutputWithStatus0)
{
    for (const QStringList& argomenti : {QStringList{"--help"}, QStringList{"-h"}}) {
        SCOPED_TRACE(argomenti.join(' ').toStdString());
        const Esito esito = sync(argomenti, 60s);
        EXPECT_EQ(esito.codice, 0) << Racconta(esito);
        EXPECT_TRUE(esito.uscita.contains("zentar-sync download (CODE... | --all)")) << Racconta(esito);
        EXPECT_TRUE(esito.uscita.contains("--version")) << Racconta(esito);
        EXPECT_EQ(esito.errori, QString());
    }
    const Esito versione = sync({"--version"}, 60s);
    EXPECT_EQ(versione.codice, 0) << Racconta(versione);
    EXPECT_EQ(versione.uscita.trimmed(), "zentar-sync " ZENTAR_VERSION);
}

TEST_F(ZentarSync, ADataSourceThatCannotBeOpenedExitsWith3AndTheEnginesMessage)
{
    ASSERT_TRUE(QDir().mkdir(database()));
    const QString motore = MessaggioDelMotore(cartellaProgramma()).trimmed();
    ASSERT_FALSE(motore.isEmpty());
    for (const QStringList& argomenti : {QStringList{"list"}, QStringList{"download", "--all"}}) {
        SCOPED_TRACE(argomenti.join(' ').toStdString());
        const Esito esito = sync(argomenti, 60s);
        EXPECT_EQ(esito.codice, 3) << Racconta(esito);
        EXPECT_TRUE(esito.errori.contains(motore)) << "expected \"" << motore.toStdString() << "\"\n" << Racconta(esito);
    }
}

TEST_F(ZentarSync, DaysMarksTheStoredDaysAndSinceTakesOnlyTheDaysFromItsDate)
{
    const std::vector<GiornoDiProva> giorni = GiorniDiProva(kDiretto, kNumeroLinea, kGiorni);
    ASSERT_TRUE(avviaLinea(kPortaDiretta, giorni));
    ASSERT_TRUE(registra({diretto(kDiretto, "Reparto (linea)", kPortaDiretta), assente()}));
    const QStringList date = TestiDelleDate(giorni);

    const Esito prima = sync({"days", "3"});
    EXPECT_EQ(prima.codice, 0) << Racconta(prima);
    EXPECT_EQ(Righe(prima.uscita), date);

    const Esito dal = sync({"download", "3", "--since", date[2]});
    EXPECT_EQ(dal.codice, 0) << Racconta(dal);
    EXPECT_EQ(registro(dal), memorizzati(kDiretto, {giorni[2], giorni[3]})) << Racconta(dal);
    EXPECT_EQ(RiepilogoDi(dal), Riepilogo(1, 2, 0, 0));
    EXPECT_EQ(TimbratureSalvate(database(), kDiretto, date[1]), QStringList());

    const Esito marcati = sync({"days", "3"});
    EXPECT_EQ(marcati.codice, 0) << Racconta(marcati);
    EXPECT_EQ(Righe(marcati.uscita), QStringList({date[0], date[1], date[2] + "\tstored", date[3] + "\tstored"}));

    // The days not stored yet, and the latest one stored.
    const Esito resto = sync({"download", "3"});
    EXPECT_EQ(resto.codice, 0) << Racconta(resto);
    EXPECT_EQ(registro(resto), memorizzati(kDiretto, {giorni[0], giorni[1], giorni[3]})) << Racconta(resto);
    EXPECT_EQ(RiepilogoDi(resto), Riepilogo(1, 3, 0, 0));
    ControllaGiorni(database(), cartellaPRE(kDiretto), kDiretto, giorni);

    const Esito tutti = sync({"days", "3"});
    EXPECT_EQ(tutti.codice, 0) << Racconta(tutti);
    EXPECT_EQ(Righe(tutti.uscita), QStringList(date).replaceInStrings(QRegularExpression("$"), "\tstored"))
        << "without --delete every day stays on the terminal";

    const Esito assenteGiorni = sync({"days", "4"}, 60s);
    EXPECT_EQ(assenteGiorni.codice, 2) << Racconta(assenteGiorni);
    EXPECT_EQ(assenteGiorni.uscita, QString());
}

TEST_F(ZentarSyncConScatola, AFirstRunStoresEveryDayAndAnotherOnlyTheNewDaysAndTheLatestAgain)
{
    const std::vector<GiornoDiProva> giorniScatola = GiorniDiProva(kScatola, kNumeroScatola, kGiorni);
    const std::vector<GiornoDiProva> giorniModem = GiorniDiProva(kModem, kNumeroLinea, kGiorni);
    std::vector<GiornoDiProva> giorniDiretto = GiorniDiProva(kDiretto, kNumeroLinea, kGiorni);
    const int porta = avviaScatola(giorniScatola);
    ASSERT_NE(porta, 0);
    ASSERT_TRUE(avviaLinea(kPortaModem, giorniModem, {"--modem"}));
    ASSERT_TRUE(avviaLinea(kPortaDiretta, giorniDiretto));
    // The box's terminal keeps its files where its PercorsoPRE says.
    const QString altrove = percorso("altrove");
    ASSERT_TRUE(QDir().mkpath(altrove));
    ASSERT_TRUE(registra({Variante(scatola(porta), kScatola, "Ingresso (rete)", {{"PercorsoPRE", altrove}}), modem(),
                          diretto(kDiretto, "Reparto (linea)", kPortaDiretta)}));

    const Esito primo = sync({"download", "--all"});
    EXPECT_EQ(primo.codice, 0) << Racconta(primo);
    EXPECT_EQ(registro(primo), memorizzati(kScatola, giorniScatola) + memorizzati(kModem, giorniModem) +
                                   memorizzati(kDiretto, giorniDiretto))
        << Racconta(primo);
    EXPECT_EQ(RiepilogoDi(primo), Riepilogo(3, 12, 0, 0)) << Racconta(primo);
    ControllaGiorni(database(), altrove, kScatola, giorniScatola);
    ControllaGiorni(database(), cartellaPRE(kModem), kModem, giorniModem);
    ControllaGiorni(database(), cartellaPRE(kDiretto), kDiretto, giorniDiretto);
    EXPECT_FALSE(QFileInfo::exists(cartellaPRE(kScatola)));
    std::map<int, std::vector<RigaFile>> fileDopoIlPrimo;
    for (const int codice : {kScatola, kModem, kDiretto}) {
        fileDopoIlPrimo[codice] = FileSalvati(database(), codice);
        EXPECT_EQ(fileDopoIlPrimo[codice].size(), static_cast<size_t>(kGiorni)) << "terminal " << codice;
    }

    // Nothing changed on the terminals: the latest days are taken again, stored as they were,
    // without a second identical row in file.
    const Esito secondo = sync({"download", "--all"});
    EXPECT_EQ(secondo.codice, 0) << Racconta(secondo);
    EXPECT_EQ(registro(secondo), QStringList({RigaMemorizzato(kScatola, giorniScatola.back()),
                                              RigaMemorizzato(kModem, giorniModem.back()),
                                              RigaMemorizzato(kDiretto, giorniDiretto.back())}))
        << Racconta(secondo);
    EXPECT_EQ(RiepilogoDi(secondo), Riepilogo(3, 3, 0, 0)) << Racconta(secondo);
    ControllaGiorni(database(), altrove, kScatola, giorniScatola);
    ControllaGiorni(database(), cartellaPRE(kModem), kModem, giorniModem);
    ControllaGiorni(database(), cartellaPRE(kDiretto), kDiretto, giorniDiretto);
    for (const int codice : {kScatola, kModem, kDiretto})
        EXPECT_EQ(nomiDeiFile(FileSalvati(database(), codice)), nomiDeiFile(fileDopoIlPrimo[codice])) << "terminal " << codice;
    EXPECT_EQ(Doppioni(database()), QStringList());

    // The direct terminal starts again holding an older day never stored, its first day
    // changed and its latest day grown by a punch: the new day and the latest are taken, the
    // first day's stored punches stay as they were.
    ASSERT_TRUE(fermaLinea(kPortaDiretta));
    const std::vector<GiornoDiProva> primaDi = GiorniDiProva(kDiretto + 5, kNumeroLinea, 1, kGiorni);
    std::vector<GiornoDiProva> cambiati = giorniDiretto;
    cambiati.front().timbrature.pop_back();
    cambiati.back().timbrature.push_back({.ora = QTime(20, 30, 0), .verso = 1, .badge = "00009999"});
    std::vector<GiornoDiProva> sulTerminale = primaDi;
    sulTerminale.insert(sulTerminale.end(), cambiati.begin(), cambiati.end());
    ASSERT_TRUE(avviaLinea(kPortaDiretta, sulTerminale));

    const Esito terzo = sync({"download", "3"});
    EXPECT_EQ(terzo.codice, 0) << Racconta(terzo);
    EXPECT_EQ(registro(terzo),
              QStringList({RigaMemorizzato(kDiretto, primaDi.front()), RigaMemorizzato(kDiretto, cambiati.back())}))
        << Racconta(terzo);
    EXPECT_EQ(RiepilogoDi(terzo), Riepilogo(1, 2, 0, 0)) << Racconta(terzo);
    EXPECT_EQ(TimbratureSalvate(database(), kDiretto, giorniDiretto.front().testo()), giorniDiretto.front().attese());
    ControllaGiorni(database(), cartellaPRE(kDiretto), kDiretto, {primaDi.front(), cambiati.back()});
    EXPECT_EQ(nomiDeiFile(FileSalvati(database(), kDiretto)),
              nomiDeiFile(fileDopoIlPrimo[kDiretto]) + QStringList({primaDi.front().nome(), cambiati.back().nome()}))
        << "one new row for the new day and one for the grown text";
    EXPECT_EQ(Doppioni(database()), QStringList());
}

TEST_F(ZentarSync, DeleteRemovesOnTheTerminalOnlyTheDaysStoredInFull)
{
    std::vector<GiornoDiProva> giorni = GiorniDiProva(kDiretto, kNumeroLinea, kGiorni);
    giorni[1].altreRighe << "250000100001234";  // no hour 25: its punch cannot be stored
    ASSERT_TRUE(avviaLinea(kPortaDiretta, giorni));
    ASSERT_TRUE(registra({diretto(kDiretto, "Reparto (linea)", kPortaDiretta)}));
    // A folder where the third day's file should be written: it cannot be received.
    ASSERT_TRUE(QDir().mkpath(QDir(cartellaPRE(kDiretto)).filePath(giorni[2].nome())));

    const Esito esito = sync({"download", "3", "--delete"});
    EXPECT_EQ(esito.codice, 1) << Racconta(esito);
    EXPECT_EQ(registro(esito), QStringList({RigaMemorizzato(kDiretto, giorni[0]),
                                            RigaNonImportato(kDiretto, giorni[1], "SalvaTimbrature"),
                                            RigaNonImportato(kDiretto, giorni[2], "RecvFile"),
                                            RigaMemorizzato(kDiretto, giorni[3])}))
        << Racconta(esito);
    EXPECT_EQ(RiepilogoDi(esito), Riepilogo(1, 2, 2, 0)) << Racconta(esito);
    ControllaGiorni(database(), cartellaPRE(kDiretto), kDiretto, {giorni[0], giorni[3]});

    const Esito rimasti = sync({"days", "3"});
    EXPECT_EQ(rimasti.codice, 0) << Racconta(rimasti);
    EXPECT_EQ(Righe(rimasti.uscita).replaceInStrings("\tstored", ""), QStringList({giorni[1].testo(), giorni[2].testo()}))
        << Racconta(rimasti);
}

TEST_F(ZentarSyncConScatola, ATerminalThatCannotBeReachedLeavesTheOthersStoredAndExitsWith2)
{
    const std::vector<GiornoDiProva> giorniScatola = GiorniDiProva(kScatola, kNumeroScatola, kGiorni);
    std::vector<GiornoDiProva> giorniDiretto = GiorniDiProva(kDiretto, kNumeroLinea, kGiorni);
    giorniDiretto[1].altreRighe << "ABCDEF";  // no time: this day fails, and 2 still wins over 1
    const int porta = avviaScatola(giorniScatola);
    ASSERT_NE(porta, 0);
    ASSERT_TRUE(avviaLinea(kPortaModem, GiorniDiProva(kModem, kNumeroLinea, kGiorni), {"--modem", "--modem-dial", "busy"}));
    ASSERT_TRUE(avviaLinea(kPortaDiretta, giorniDiretto));
    ASSERT_TRUE(registra({scatola(porta), modem(), diretto(kDiretto, "Reparto (linea)", kPortaDiretta), assente()}));

    // What Kavex says of the missing port, asked the same way here.
    LibreriaKavex kavex;
    const int32_t init = kavex.InitCOMM(kPortaAssente, kModalitaRs232, kBaud, 0);
    QString testo;
    kavex.GetError(testo);
    ASSERT_LT(init, 0);
    ASSERT_FALSE(testo.isEmpty());

    const Esito esito = sync({"download", "--all"});
    EXPECT_EQ(esito.codice, 2) << Racconta(esito);
    const QStringList righeRegistro = registro(esito);
    ASSERT_EQ(righeRegistro.size(), 10) << Racconta(esito);
    EXPECT_EQ(righeRegistro.mid(0, 4), memorizzati(kScatola, giorniScatola));
    EXPECT_TRUE(QRegularExpression("^terminal 2: not reached: DialNumber Fallita = -?\\d+: .+$").match(righeRegistro[4]).hasMatch())
        << righeRegistro[4].toStdString();
    EXPECT_EQ(righeRegistro.mid(5, 4), QStringList({RigaMemorizzato(kDiretto, giorniDiretto[0]),
                                                    RigaNonImportato(kDiretto, giorniDiretto[1], "SalvaTimbrature"),
                                                    RigaMemorizzato(kDiretto, giorniDiretto[2]),
                                                    RigaMemorizzato(kDiretto, giorniDiretto[3])}));
    EXPECT_EQ(righeRegistro[9], QStringLiteral("terminal 4: not reached: InitCOMM Fallita = %1: %2").arg(init).arg(testo));
    EXPECT_EQ(RiepilogoDi(esito), Riepilogo(4, 7, 1, 2)) << Racconta(esito);

    ControllaGiorni(database(), cartellaPRE(kScatola), kScatola, giorniScatola);
    ControllaGiorni(database(), cartellaPRE(kDiretto), kDiretto, {giorniDiretto[0], giorniDiretto[2], giorniDiretto[3]});
    EXPECT_EQ(FileSalvati(database(), kModem).size(), 0u);
    EXPECT_EQ(FileSalvati(database(), kAssente).size(), 0u);
}

TEST_F(ZentarSyncConScatola, RunsStartedTogetherTakeTurnsOnATerminalAndStoreEveryPunchOnce)
{
    const std::vector<GiornoDiProva> giorniScatola = GiorniDiProva(kScatola, kNumeroScatola, kGiorni);
    const std::vector<GiornoDiProva> giorniModem = GiorniDiProva(kModem, kNumeroLinea, kGiorni);
    const std::vector<GiornoDiProva> giorniDiretto = GiorniDiProva(kDiretto, kNumeroLinea, kGiorni);
    const int porta = avviaScatola(giorniScatola);
    ASSERT_NE(porta, 0);
    ASSERT_TRUE(avviaLinea(kPortaModem, giorniModem, {"--modem"}));
    ASSERT_TRUE(avviaLinea(kPortaDiretta, giorniDiretto));
    ASSERT_TRUE(registra({scatola(porta), modem(), diretto(kDiretto, "Reparto (linea)", kPortaDiretta)}));
    const auto blocco = [&](int codice) { return QDir(cartellaProgramma()).filePath(QStringLiteral(".zentar-sync-%1.lock").arg(codice)); };

    {
        SCOPED_TRACE("two runs waiting for a lock held elsewhere");
        BloccoDiProva tenuto(blocco(kDiretto));
        ASSERT_TRUE(tenuto.preso());
        const auto a = avviaSync({"download", "3"});
        const auto b = avviaSync({"download", "3"});
        // Downloading four days takes a few seconds: a run that did not wait would be done.
        EXPECT_FALSE(a->finitoEntro(12s)) << "ended while the terminal's lock was held";
        EXPECT_FALSE(b->finitoEntro(1s)) << "ended while the terminal's lock was held";
        EXPECT_EQ(FileSalvati(database(), kDiretto).size(), 0u);
        EXPECT_FALSE(QFileInfo::exists(QDir(cartellaPRE(kDiretto)).filePath(giorniDiretto[0].nome())));
        tenuto.rilascia();

        // One run takes every day; the other then sees them stored and takes the latest again.
        const Esito primo = a->attendiFine(kLimite);
        const Esito secondo = b->attendiFine(kLimite);
        EXPECT_EQ(primo.codice, 0) << Racconta(primo);
        EXPECT_EQ(secondo.codice, 0) << Racconta(secondo);
        const bool primoPerPrimo = registro(primo).size() > registro(secondo).size();
        const Esito& tutti = primoPerPrimo ? primo : secondo;
        const Esito& ultimo = primoPerPrimo ? secondo : primo;
        EXPECT_EQ(registro(tutti), memorizzati(kDiretto, giorniDiretto)) << Racconta(tutti);
        EXPECT_EQ(registro(ultimo), QStringList({RigaMemorizzato(kDiretto, giorniDiretto.back())})) << Racconta(ultimo);
        ControllaGiorni(database(), cartellaPRE(kDiretto), kDiretto, giorniDiretto);
        EXPECT_EQ(FileSalvati(database(), kDiretto).size(), static_cast<size_t>(kGiorni));
    }
    {
        SCOPED_TRACE("a run killed while it holds the terminal");
        const auto ucciso = avviaSync({"download", "1"});
        const QString primoFile = QDir(cartellaPRE(kScatola)).filePath(giorniScatola[0].nome());
        ASSERT_TRUE(AttendiFinche([&] { return QFileInfo::exists(primoFile) || ucciso->finitoEntro(0ms); }, kLimite));
        ASSERT_FALSE(ucciso->finitoEntro(0ms)) << "it ended before it could be killed";
        ucciso->uccidi();
        const Esito dopo = sync({"download", "1"});
        EXPECT_TRUE(dopo.finito) << "the lock of the killed run was left behind";
        EXPECT_EQ(dopo.codice, 0) << Racconta(dopo);
    }
    {
        SCOPED_TRACE("two runs of every terminal started together");
        const auto a = avviaSync({"download", "--all"});
        const auto b = avviaSync({"download", "--all"});
        const Esito primo = a->attendiFine(kLimite);
        const Esito secondo = b->attendiFine(kLimite);
        EXPECT_EQ(primo.codice, 0) << Racconta(primo);
        EXPECT_EQ(secondo.codice, 0) << Racconta(secondo);
        // Per terminal one run takes what is new and the other the latest day again: the
        // modem's four days and its latest again, and the latest of the two others twice.
        EXPECT_EQ(registro(primo).size() + registro(secondo).size(), static_cast<qsizetype>(kGiorni + 1 + 2 + 2))
            << Racconta(primo) << Racconta(secondo);
        ControllaGiorni(database(), cartellaPRE(kModem), kModem, giorniModem);
        ControllaGiorni(database(), cartellaPRE(kDiretto), kDiretto, giorniDiretto);
        ControllaGiorni(database(), cartellaPRE(kScatola), kScatola, {giorniScatola.back()});
        EXPECT_EQ(FileSalvati(database(), kModem).size(), static_cast<size_t>(kGiorni));
        EXPECT_EQ(FileSalvati(database(), kDiretto).size(), static_cast<size_t>(kGiorni));
    }
    EXPECT_EQ(Doppioni(database()), QStringList());
}

TEST_F(ZentarSync, ExportWritesTheExportWindowsDayFilesOrOneCsvOfTheStoredPunches)
{
    ASSERT_TRUE(registra({scatola(8499), diretto(kDiretto, "Reparto (linea)", kPortaDiretta)}));
    {
        // Stored out of time order on 01/04/2025: the export keeps the stored order. The box's
        // punches and the days around the range stay out.
        const StatoTerminale stato(cartellaProgramma());
        QString errore;
        const auto db = ApriDatabase(stato, &errore);
        ASSERT_NE(db, nullptr) << errore.toStdString();
        const RigaTimbratura righe[] = {
            {.ID = 1, .Terminale = 3, .Data = "29/03/2025", .Badge = "00000001", .Verso = 0, .Ora = "09.00.00"},
            {.ID = 1, .Terminale = 3, .Data = "30/03/2025", .Badge = "00001001", .Verso = 0, .Ora = "08.15.00"},
            {.ID = 2, .Terminale = 3, .Data = "30/03/2025", .Badge = "00001002", .Verso = 1, .Ora = "17.45.30"},
            {.ID = 1, .Terminale = 1, .Data = "30/03/2025", .Badge = "00005555", .Verso = 1, .Ora = "12.00.00"},
            {.ID = 1, .Terminale = 3, .Data = "01/04/2025", .Badge = "00001003", .Verso = 1, .Ora = "18.00.00"},
            {.ID = 2, .Terminale = 3, .Data = "01/04/2025", .Badge = "00001003", .Verso = 0, .Ora = "07.59.59"},
            {.ID = 3, .Terminale = 3, .Data = "01/04/2025", .Badge = "00001004", .Verso = 0, .Ora = "08.00.01"},
            {.ID = 1, .Terminale = 3, .Data = "02/04/2025", .Badge = "00000002", .Verso = 0, .Ora = "09.00.00"},
        };
        for (const RigaTimbratura& riga : righe)
            db->InserisciTimbratura(riga);
    }

    const QString giorni = percorso("giorni");
    ASSERT_TRUE(QDir().mkpath(giorni));
    const Esito perGiorno = sync({"export", "3", "30/03/2025", "01/04/2025", giorni}, 60s);
    EXPECT_EQ(perGiorno.codice, 0) << Racconta(perGiorno);
    EXPECT_EQ(QDir(giorni).entryList(QDir::Files, QDir::Name), QStringList({"PRE50330", "PRE50331", "PRE50401"}));
    EXPECT_EQ(ContenutoDelFile(QDir(giorni).filePath("PRE50330")), QByteArray("081500000001001\r\n174530100001002\r\n"));
    EXPECT_EQ(ContenutoDelFile(QDir(giorni).filePath("PRE50331")), QByteArray());
    EXPECT_EQ(ContenutoDelFile(QDir(giorni).filePath("PRE50401")),
              QByteArray("180000100001003\r\n075959000001003\r\n080001000001004\r\n"));

    const QString csv = percorso("csv");
    ASSERT_TRUE(QDir().mkpath(csv));
    const Esito tabella = sync({"export", "3", "30/03/2025", "01/04/2025", csv, "--csv"}, 60s);
    EXPECT_EQ(tabella.codice, 0) << Racconta(tabella);
    EXPECT_EQ(QDir(csv).entryList(QDir::Files), QStringList({"punches-3-20250330-20250401.csv"}));
    EXPECT_EQ(ContenutoDelFile(QDir(csv).filePath("punches-3-20250330-20250401.csv")),
              QByteArray("terminal,date,time,direction,badge\n"
                         "3,2025-03-30,08:15:00,0,00001001\n"
                         "3,2025-03-30,17:45:30,1,00001002\n"
                         "3,2025-04-01,18:00:00,1,00001003\n"
                         "3,2025-04-01,07:59:59,0,00001003\n"
                         "3,2025-04-01,08:00:01,0,00001004\n"));

    // A range of one day without punches: the header alone, and one empty day file.
    const Esito vuoto = sync({"export", "3", "31/03/2025", "31/03/2025", csv, "--csv"}, 60s);
    EXPECT_EQ(vuoto.codice, 0) << Racconta(vuoto);
    EXPECT_EQ(ContenutoDelFile(QDir(csv).filePath("punches-3-20250331-20250331.csv")), QByteArray("terminal,date,time,direction,badge\n"));
}

TEST_F(ZentarSyncConScatola, ClockComparesTheTerminalWithTheComputerAndSetWritesTheComputersTime)
{
    const int porta = avviaScatola({}, {"--clock-offset", "-3600"});
    ASSERT_NE(porta, 0);
    ASSERT_TRUE(avviaLinea(kPortaModem, {}, {"--modem", "--clock-offset", "7200"}));
    // More than a day ahead: setting it must change the date as well.
    ASSERT_TRUE(avviaLinea(kPortaDiretta, {}, {"--clock-offset", "90061"}));
    ASSERT_TRUE(registra({scatola(porta), modem(), diretto(kDiretto, "Reparto (linea)", kPortaDiretta), assente()}));

    struct Orologi {
        QDateTime terminale;
        QDateTime computer;
        std::optional<qint64> differenza;
    };
    // The three lines of `clock`, and the computer's time read before and after the run.
    const auto leggi = [&](int codice, const QStringList& opzioni, QDateTime& prima, QDateTime& dopo, Esito& esito) {
        prima = QDateTime::currentDateTime();
        esito = sync(QStringList{"clock", QString::number(codice)} + opzioni);
        dopo = QDateTime::currentDateTime();
        Orologi orologi;
        const QStringList linee = Righe(esito.uscita);
        const QString formato = QStringLiteral("dd/MM/yyyy hh:mm:ss");
        if (linee.size() >= 3 && linee[0].startsWith("terminal: ") && linee[1].startsWith("computer: ")) {
            orologi.terminale = QDateTime::fromString(linee[0].mid(10), formato);
            orologi.computer = QDateTime::fromString(linee[1].mid(10), formato);
            const QRegularExpressionMatch m = QRegularExpression("^difference: (-?\\d+) s$").match(linee[2]);
            if (m.hasMatch())
                orologi.differenza = m.captured(1).toLongLong();
        }
        return orologi;
    };

    struct Caso {
        int codice;
        qint64 scarto;  // the terminal's clock against the computer's, in seconds
    };
    for (const Caso caso : {Caso{kScatola, -3600}, Caso{kModem, 7200}, Caso{kDiretto, 90061}}) {
        SCOPED_TRACE(caso.codice);
        QDateTime prima, dopo;
        Esito esito;
        const Orologi letti = leggi(caso.codice, {}, prima, dopo, esito);
        EXPECT_EQ(esito.codice, 0) << Racconta(esito);
        ASSERT_TRUE(letti.terminale.isValid() && letti.computer.isValid() && letti.differenza) << Racconta(esito);
        EXPECT_GE(letti.computer.secsTo(dopo), -1) << Racconta(esito);
        EXPECT_GE(prima.secsTo(letti.computer), -1) << Racconta(esito);
        const qint64 avanti = letti.computer.secsTo(letti.terminale);
        EXPECT_LE(std::abs(avanti - caso.scarto), 3) << Racconta(esito);
        // The terminal's clock less the computer's; the two are read a moment apart.
        EXPECT_LE(std::abs(*letti.differenza - avanti), 1) << Racconta(esito);

        const Orologi impostati = leggi(caso.codice, {"--set"}, prima, dopo, esito);
        EXPECT_EQ(esito.codice, 0) << Racconta(esito);
        EXPECT_EQ(Righe(esito.uscita).value(3), "set") << Racconta(esito);

        const Orologi riletti = leggi(caso.codice, {}, prima, dopo, esito);
        EXPECT_EQ(esito.codice, 0) << Racconta(esito);
        ASSERT_TRUE(riletti.terminale.isValid() && riletti.computer.isValid() && riletti.differenza) << Racconta(esito);
        EXPECT_LE(std::abs(riletti.computer.secsTo(riletti.terminale)), 3) << Racconta(esito);
        EXPECT_LE(std::abs(*riletti.differenza), 3) << Racconta(esito);
        EXPECT_FALSE(Righe(esito.uscita).contains("set")) << "set only with --set";
    }

    for (const QStringList& opzioni : {QStringList{}, QStringList{"--set"}}) {
        const Esito esito = sync(QStringList{"clock", "4"} + opzioni, 60s);
        EXPECT_EQ(esito.codice, 2) << Racconta(esito);
        EXPECT_FALSE(Righe(esito.uscita).contains("set")) << Racconta(esito);
    }
}
