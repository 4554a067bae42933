// Faults end to end: bin/zentar-sync downloads known punch days from kavex-sim devices that
// inject one kind of fault each (on the Selvo bus, on the network box, in the terminal, in the
// modem), then again from the same devices without faults. After every run each day is either
// stored whole (its punches once each in `timbrature`, its text in `file`, its file complete in
// the destination folder) or reported as not imported with nothing of it left behind; nothing is
// stored twice, and the program ends with one of its documented exit statuses. The second run
// completes every day. The faults the devices injected and the punches checked are counted and
// printed.
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "DMDatabase.h"
#include "InstallazioneSync.h"
#include "QtPrinters.h"
#include "RilevatoriDemo.h"
#include "SupportoE2E.h"
#include "SupportoSync.h"

using namespace zentar;

namespace {

constexpr int kCodice = 5;
constexpr int kPorta = 4;
constexpr int kNumeroSulBus = 1;
constexpr int kNumeroInScatola = 1;
constexpr int kNumeroSullaLinea = 0;
// The Selvo bus over its radio modem: the answers to polls and messages are awaited half a
// second there, against a few milliseconds on a wired line, a margin for a loaded machine.
constexpr int kModalitaSelvo = 8;
constexpr int kBaudRadio = 19200;
constexpr int kGiorni = 2;  // of 2 and 3 punches: one day after the one a fault hits
// A run downloads each day after a pause of a second, and a fault may cost every wait of its
// attempts: minutes at worst, never more.
constexpr auto kLimiteSync = 4min;

// How the faulty terminal is reached.
enum class Via { Bus, Scatola, Modem, Linea };

struct Caso {
    const char* nome;
    Via via;
    QStringList guasti;  // the kavex-sim options that inject the faults
};

void PrintTo(const Caso& caso, std::ostream* os) { *os << caso.nome; }

// The faults that hit the first frames or datagrams would only fail the connection: they start
// once it is made, in the listing or the transfers of the days.
const QString kDopoIlCollegamentoBus = QStringLiteral("30");
const QString kDopoIlCollegamentoScatola = QStringLiteral("12");

QStringList sulBus(QStringList guasti) { return QStringList{"--faults-after", kDopoIlCollegamentoBus} + guasti; }
QStringList nellaScatola(QStringList guasti)
{
    return QStringList{"--faults-after", kDopoIlCollegamentoScatola} + guasti;
}

const Caso kCasi[] = {
    {"BusNoise", Via::Bus, sulBus({"--noise", "8"})},
    {"BusGarbledAnswers", Via::Bus, sulBus({"--garbled", "6"})},
    {"BusBadChecksums", Via::Bus, sulBus({"--bad-checksums", "6"})},
    {"BusRepeatRequests", Via::Bus, sulBus({"--repeat-requests", "6"})},
    {"BusWrongAddresses", Via::Bus, sulBus({"--wrong-addresses", "2"})},
    {"BoxLostReceived", Via::Scatola, nellaScatola({"--lose-received", "4"})},
    {"BoxLostSent", Via::Scatola, nellaScatola({"--lose-sent", "4"})},
    {"BoxRepeatedReplies", Via::Scatola, nellaScatola({"--repeat-replies", "6"})},
    {"BoxReorderedAnswers", Via::Scatola, nellaScatola({"--reorder-answers", "6"})},
    {"BoxErrorAnswers", Via::Scatola, nellaScatola({"--error-answers", "3"})},
    {"BoxRestarts", Via::Scatola, nellaScatola({"--restarts", "2"})},
    {"TerminalSilentMidFile", Via::Linea, {"--break-after", "2"}},
    {"WrongChecksumOnce", Via::Linea, {"--wrong-checksums", "1"}},
    {"WrongChecksumsOnEveryAttempt", Via::Linea, {"--wrong-checksums", "3"}},
    {"WrongCounts", Via::Linea, {"--wrong-counts", "2"}},
    // The carrier drops in the first day's download, and between the two days, where the next
    // command's purge would take the modem's NO CARRIER off the line unseen.
    {"ModemDropsTheCarrierInADay", Via::Modem, {"--modem-drop-after", "140"}},
    {"ModemDropsTheCarrierBetweenDays", Via::Modem, {"--modem-drop-after", "170"}},
};

// What every case added up to, printed once the cases of the run are over.
struct Conteggi {
    int casi = 0;
    int guasti = 0;
    int timbrature = 0;
};
Conteggi& totali()
{
    static Conteggi conteggi;
    return conteggi;
}

class StampaTotali : public ::testing::Environment {
public:
    void TearDown() override
    {
        std::printf("faults end to end: %d cases, %d faults injected, %d punches checked\n", totali().casi,
                    totali().guasti, totali().timbrature);
    }
};
const auto* const kStampa = ::testing::AddGlobalTestEnvironment(new StampaTotali);

// What a run's log says of a day: stored, not imported, or nothing.
enum class Resoconto { Memorizzato, NonImportato };

std::map<QString, Resoconto> esitiDelRegistro(const Esito& esito, int codice)
{
    std::map<QString, Resoconto> esiti;
    const QRegularExpression riga(
        QStringLiteral("^terminal %1 (\\d\\d/\\d\\d/\\d{4}): (stored \\d+ punches|not imported: \\w+ failed)$").arg(codice));
    for (const QString& linea : esito.errori.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = riga.match(linea);
        if (!m.hasMatch())
            continue;
        const Resoconto resoconto =
            m.captured(2).startsWith(QLatin1String("stored")) ? Resoconto::Memorizzato : Resoconto::NonImportato;
        EXPECT_TRUE(esiti.emplace(m.captured(1), resoconto).second) << "a day reported twice: " << linea.toStdString();
    }
    return esiti;
}

}  // namespace

class GuastiDaCapoAFondo : public ::testing::TestWithParam<Caso>, protected InstallazioneSync {
protected:
    void SetUp() override
    {
        AmbienteDiProva();
        ASSERT_TRUE(Prepara());
    }

    int numero() const
    {
        switch (GetParam().via) {
        case Via::Bus: return kNumeroSulBus;
        case Via::Scatola: return kNumeroInScatola;
        case Via::Modem:
        case Via::Linea: break;
        }
        return kNumeroSullaLinea;
    }

    // Starts the device holding the days, with `guasti`; false when it did not come up.
    bool avvia(const std::vector<GiornoDiProva>& giorni, const QStringList& guasti)
    {
        const QString file = percorso(QStringLiteral("terminale-%1").arg(++avviati_));
        if (!ScriviGiorni(file, giorni))
            return false;
        QStringList argomenti;
        switch (GetParam().via) {
        case Via::Bus:
            argomenti = {"bus", "--dir", porte(), "--port", QString::number(kPorta), "--sim-terminals",
                         QString::number(kNumeroSulBus), "--radio"};
            break;
        case Via::Scatola:
            // Started again on the port it had, where the registered row looks for it.
            argomenti = {"box", "--address", kIndirizzoScatolaDemo, "--port", QString::number(portaScatola_)};
            break;
        case Via::Modem: argomenti = {"rs232", "--dir", porte(), "--port", QString::number(kPorta), "--modem"}; break;
        case Via::Linea: argomenti = {"rs232", "--dir", porte(), "--port", QString::number(kPorta)}; break;
        }
        dispositivo_ = std::make_unique<ProgrammaAvviato>(KAVEX_SIM, argomenti + guasti + QStringList{"--files", file});
        pronta_ = dispositivo_->primaRiga();
        if (!pronta_.startsWith(QLatin1String("ready "))) {
            ADD_FAILURE() << "kavex-sim did not start: " << pronta_.toStdString() << dispositivo_->errori().toStdString();
            return false;
        }
        if (GetParam().via == Via::Scatola)
            portaScatola_ = pronta_.section(':', -1).toInt();
        return true;
    }

    // Stops the device; the faults it injected, from its last line.
    int ferma()
    {
        if (!dispositivo_ || !dispositivo_->termina()) {
            ADD_FAILURE() << "kavex-sim did not stop";
            return 0;
        }
        const Esito fine = dispositivo_->attendiFine(0ms);
        dispositivo_.reset();
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("faults injected (\\d+)")).match(fine.uscita);
        EXPECT_TRUE(m.hasMatch()) << fine.uscita.toStdString();
        return m.captured(1).toInt();
    }

    bool registra()
    {
        const RilevatoreDemo base = RilevatoriDemo({.portaScatola = 1, .portaModem = kPorta})[1];
        RilevatoreDemo rilevatore;
        switch (GetParam().via) {
        case Via::Bus:
            rilevatore = Variante(base, kCodice, "Mensa (bus)",
                                  {{"Modem", false}, {"Telefono", QString()}, {"Modalita_col", kModalitaSelvo},
                                   {"Indirizzo", kNumeroSulBus}, {"Baudrate", kBaudRadio}});
            break;
        case Via::Scatola:
            rilevatore = Variante(RilevatoriDemo({.portaScatola = portaScatola_, .portaModem = kPorta})[0],
                                  kCodice, "Ingresso (rete)");
            break;
        case Via::Modem: rilevatore = Variante(base, kCodice, "Magazzino (modem)"); break;
        case Via::Linea:
            rilevatore = RilevatoreSullaLinea(kCodice, "Reparto (linea)", kPorta);
            break;
        }
        return InstallazioneSync::registra({rilevatore});
    }

    Esito scarica() const { return sync({"download", QString::number(kCodice)}, kLimiteSync); }

    // The invariant after a run; the punches it compared. `primo`: nothing was stored before,
    // so a day not imported has nothing at all stored.
    int controlla(const Esito& esito, const std::vector<GiornoDiProva>& giorni, bool primo)
    {
        int controllate = 0;
        EXPECT_TRUE(esito.finito) << Racconta(esito);
        EXPECT_EQ(esito.stato, QProcess::NormalExit) << Racconta(esito);
        const std::map<QString, Resoconto> esiti = esitiDelRegistro(esito, kCodice);
        const bool raggiunto = !esito.errori.contains(QStringLiteral("terminal %1: not reached").arg(kCodice));
        const bool tuttiMemorizzati =
            std::all_of(esiti.begin(), esiti.end(), [](const auto& e) { return e.second == Resoconto::Memorizzato; });
        EXPECT_EQ(esito.codice, !raggiunto ? 2 : tuttiMemorizzati ? 0 : 1) << Racconta(esito);

        const std::vector<RigaFile> file = FileSalvati(database(), kCodice);
        QStringList memorizzati;
        for (const GiornoDiProva& giorno : giorni) {
            SCOPED_TRACE(giorno.testo().toStdString());
            const auto riportato = esiti.find(giorno.testo());
            const QString locale = QDir(cartellaPRE(kCodice)).filePath(giorno.nome());
            const auto ultimo = std::find_if(file.rbegin(), file.rend(), [&](const RigaFile& r) { return r.NomeFile == giorno.nome(); });
            const QStringList salvate = TimbratureSalvate(database(), kCodice, giorno.testo());
            if (riportato != esiti.end() && riportato->second == Resoconto::Memorizzato) {
                memorizzati << giorno.nome();
                EXPECT_EQ(ContenutoDelFile(locale), giorno.contenuto());
                EXPECT_EQ(salvate, giorno.attese());
                controllate += static_cast<int>(giorno.attese().size());
                EXPECT_NE(ultimo, file.rend()) << "no row in file";
                if (ultimo != file.rend()) {
                    EXPECT_EQ(ultimo->Blob, QString::fromLatin1(giorno.contenuto()));
                }
                continue;
            }
            if (primo) {
                // Not imported, or never asked for: nothing of the day anywhere.
                EXPECT_TRUE(riportato != esiti.end() || !raggiunto) << "a day neither stored nor reported\n" << Racconta(esito);
                EXPECT_FALSE(QFileInfo::exists(locale)) << "a local file of a day not imported";
                EXPECT_EQ(salvate, QStringList());
                EXPECT_EQ(ultimo, file.rend());
            } else if (QFileInfo::exists(locale)) {
                EXPECT_EQ(ContenutoDelFile(locale), giorno.contenuto()) << "a partial local file";
            }
        }
        if (primo) {
            QStringList presenti = QDir(cartellaPRE(kCodice)).entryList(QDir::Files | QDir::Hidden | QDir::System);
            presenti.sort();
            memorizzati.sort();
            EXPECT_EQ(presenti, memorizzati) << "files in the destination folder of days not stored";
        }
        EXPECT_EQ(Doppioni(database()), QStringList());
        return controllate;
    }

private:
    int avviati_ = 0;
    QString pronta_;
    int portaScatola_ = 0;  // 0: any free port, the first time
    std::unique_ptr<ProgrammaAvviato> dispositivo_;
};

TEST_P(GuastiDaCapoAFondo, EveryDayIsStoredWholeOrReportedAndTheNextRunCompletesIt)
{
    const Caso& caso = GetParam();
    const std::vector<GiornoDiProva> giorni = GiorniDiProva(kCodice, numero(), kGiorni);

    ASSERT_TRUE(avvia(giorni, caso.guasti));
    ASSERT_TRUE(registra());
    const Esito conGuasti = scarica();
    const int guasti = ferma();
    EXPECT_GT(guasti, 0) << "the device injected none of its faults\n" << Racconta(conGuasti);
    int controllate = 0;
    {
        SCOPED_TRACE("the run with faults");
        controllate += controlla(conGuasti, giorni, true);
    }

    ASSERT_TRUE(avvia(giorni, {}));
    const Esito senza = scarica();
    EXPECT_EQ(ferma(), 0);
    {
        SCOPED_TRACE("the run without faults");
        EXPECT_EQ(senza.codice, 0) << Racconta(senza);
        controlla(senza, giorni, false);
        // Every day, whichever run stored it.
        const std::vector<RigaFile> file = FileSalvati(database(), kCodice);
        for (const GiornoDiProva& giorno : giorni) {
            SCOPED_TRACE(giorno.testo().toStdString());
            EXPECT_EQ(ContenutoDelFile(QDir(cartellaPRE(kCodice)).filePath(giorno.nome())), giorno.contenuto());
            EXPECT_EQ(TimbratureSalvate(database(), kCodice, giorno.testo()), giorno.attese());
            controllate += static_cast<int>(giorno.attese().size());
            const auto ultimo = std::find_if(file.rbegin(), file.rend(), [&](const RigaFile& r) { return r.NomeFile == giorno.nome(); });
            ASSERT_NE(ultimo, file.rend()) << "no row in file";
            EXPECT_EQ(ultimo->Blob, QString::fromLatin1(giorno.contenuto()));
        }
    }
    std::printf("%s: %d faults injected, %d punches checked\n", caso.nome, guasti, controllate);
    ++totali().casi;
    totali().guasti += guasti;
    totali().timbrature += controllate;
}

INSTANTIATE_TEST_SUITE_P(Casi, GuastiDaCapoAFondo, ::testing::ValuesIn(kCasi),
                         [](const auto& caso) { return std::string(caso.param.nome); });
