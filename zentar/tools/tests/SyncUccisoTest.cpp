// bin/zentar-sync killed with SIGKILL in the middle of a download, then run again untouched:
// every day ends stored exactly once. The kill points are deterministic: the simulated terminal
// breaks a transfer off after a fixed number of records and the test kills while Kavex waits
// for the next one, or the test takes Zentar.db's write lock once the rows it waits for are
// there, so that the run cannot write anything more before it dies.
#include <sys/file.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QThread>

#include "InstallazioneSync.h"
#include "QtPrinters.h"
#include "RilevatoriDemo.h"
#include "SupportoE2E.h"
#include "SupportoSync.h"

using namespace zentar;

namespace {

constexpr int kCodice = 1;          // the terminal's code in Zentar
constexpr int kNumeroScatola = 1;   // its number behind the box
constexpr int kNumeroLinea = 0;     // its number alone on a direct line
constexpr int kPortaDiretta = 3;
constexpr int kGiorni = 4;
constexpr int kGrande = 2;          // the day long enough to be cut in the middle
constexpr int kTimbratureGrande = 200;
constexpr int kInterrottoDopo = 40;  // records of the big day sent before the transfer breaks off
constexpr auto kLimite = 4min;

enum class Linea { Scatola, Diretta };

enum class Punto {
    Trasferimento,     // the big day's transfer broken off after kInterrottoDopo records
    TimbratureAMeta,   // some of the big day's punches stored, not all
    DopoUnGiorno,      // the day before the big one stored, the big one not begun
};

struct CasoUccisione {
    const char* nome;
    Linea linea;
    Punto punto;
    bool ultimoGiornoGiaMemorizzato;  // an earlier run stored the latest day alone
};

void PrintTo(const CasoUccisione& caso, std::ostream* os) { *os << caso.nome; }

const CasoUccisione kCasi[] = {
    {"TransferBrokenOffBehindTheBox", Linea::Scatola, Punto::Trasferimento, false},
    {"TransferBrokenOffOnADirectLine", Linea::Diretta, Punto::Trasferimento, false},
    {"PunchesHalfStored", Linea::Scatola, Punto::TimbratureAMeta, false},
    // The half-stored day is not the latest stored one: only its own state can bring it back.
    {"PunchesHalfStoredWithALaterDayStoredBefore", Linea::Scatola, Punto::TimbratureAMeta, true},
    {"TransferBrokenOffWithALaterDayStoredBefore", Linea::Diretta, Punto::Trasferimento, true},
    {"BetweenTwoDays", Linea::Diretta, Punto::DopoUnGiorno, false},
};

// Four days; the third holds kTimbratureGrande punches, every one of its own badge and time.
std::vector<GiornoDiProva> giorniSulTerminale(int numero)
{
    std::vector<GiornoDiProva> giorni = GiorniDiProva(kCodice, numero, kGiorni);
    std::vector<TimbraturaDiProva>& grande = giorni[kGrande].timbrature;
    grande.clear();
    for (int j = 0; j < kTimbratureGrande; ++j)
        grande.push_back({.ora = QTime(6, 0, 0).addSecs(j * 61),
                          .verso = j % 2,
                          .badge = QString::number(70000000 + j).rightJustified(8, '0')});
    return giorni;
}

// The first `quante` lines of the day's file, each ended by CR LF.
QByteArray inizio(const GiornoDiProva& giorno, int quante)
{
    QByteArray testo;
    for (const QString& riga : giorno.righe().mid(0, quante))
        testo += riga.toLatin1() + "\r\n";
    return testo;
}

// Whether an exclusive lock on the file can be taken at once; it is let go at once.
bool liberoDaBloccare(const QString& file)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool preso = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return preso;
}

// A connection of the test to the SQLite file that, once a count reaches a threshold, keeps
// the write lock it took to read it (BEGIN IMMEDIATE): from then on no other connection can
// write, and a run that tries waits in SQLite's busy handler until it is killed. Reading stays
// open to everyone.
class LetturaCheFerma {
public:
    explicit LetturaCheFerma(const QString& file)
    {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kNome);
        db_.setDatabaseName(file);
        // A lock the run holds fails at once: the loop tries again within a commit's time,
        // where the busy handler's growing pauses would miss whole days.
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        aperto_ = db_.open();
    }
    ~LetturaCheFerma()
    {
        rilascia();
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(kNome);
    }
    LetturaCheFerma(const LetturaCheFerma&) = delete;
    LetturaCheFerma& operator=(const LetturaCheFerma&) = delete;

    // Reads `conteggio` under the write lock until it gives `soglia` or more, and from then
    // keeps the lock; the count read then, or -1 when `finito` came first or `limite` passed.
    int fermaQuando(const QString& conteggio, const QVariantList& valori, int soglia,
                    const std::function<bool()>& finito, std::chrono::milliseconds limite)
    {
        if (!aperto_)
            return -1;
        QElapsedTimer trascorso;
        trascorso.start();
        while (!finito() && trascorso.elapsed() < limite.count()) {
            if (esegui(QStringLiteral("BEGIN IMMEDIATE"))) {
                const int letto = conta(conteggio, valori);
                if (letto >= soglia) {
                    inCorso_ = true;
                    return letto;
                }
                esegui(QStringLiteral("ROLLBACK"));
            }
            QThread::usleep(200);
        }
        return -1;
    }
    void rilascia()
    {
        if (inCorso_)
            esegui(QStringLiteral("ROLLBACK"));
        inCorso_ = false;
    }

private:
    static constexpr const char* kNome = "lettura-che-ferma";

    bool esegui(const QString& statement)
    {
        QSqlQuery query(db_);
        return query.exec(statement);
    }
    int conta(const QString& statement, const QVariantList& valori)
    {
        QSqlQuery query(db_);
        query.prepare(statement);
        for (const QVariant& valore : valori)
            query.addBindValue(valore);
        return query.exec() && query.next() ? query.value(0).toInt() : -1;
    }

    QSqlDatabase db_;
    bool aperto_ = false;
    bool inCorso_ = false;
};

const QString kContaTimbrature =
    QStringLiteral(R"(SELECT COUNT(*) FROM timbrature WHERE "Terminale" = ? AND "Data" = ?)");
const QString kContaFile = QStringLiteral(R"(SELECT COUNT(*) FROM file WHERE "Terminale" = ? AND "NomeFile" = ?)");

}  // namespace

class ZentarSyncUcciso : public ::testing::TestWithParam<CasoUccisione>, protected InstallazioneSync {
protected:
    void SetUp() override
    {
        AmbienteDiProva();
        ASSERT_TRUE(Prepara());
    }
    QString fileDiBlocco() const { return percorso(QStringLiteral("bin/.zentar-sync-%1.lock").arg(kCodice)); }

    // The terminal holding `giorni` on a simulated device started with `opzioni`, registered in
    // Zentar.db as code kCodice.
    bool preparaTerminale(Linea linea, const std::vector<GiornoDiProva>& giorni, const QStringList& opzioni)
    {
        const QString file = percorso("terminale");
        if (!ScriviGiorni(file, giorni))
            return false;
        const QStringList comuni = QStringList{"--files", file} + opzioni;
        const RilevatoreDemo demo = linea == Linea::Scatola ? avviaScatola(comuni) : avviaLinea(comuni);
        return demo.Codice != 0 && registra({demo});
    }

    std::unique_ptr<ProgrammaAvviato> dispositivo_;

private:
    RilevatoreDemo avviaScatola(const QStringList& opzioni)
    {
        dispositivo_ = std::make_unique<ProgrammaAvviato>(
            KAVEX_SIM, QStringList{"box", "--address", kIndirizzoScatolaDemo, "--port", "0"} + opzioni);
        const QString pronta = dispositivo_->primaRiga();
        if (!pronta.startsWith(QStringLiteral("ready ") + kIndirizzoScatolaDemo + ':')) {
            ADD_FAILURE() << "the box did not start: " << pronta.toStdString() << dispositivo_->errori().toStdString();
            return {};
        }
        const int porta = pronta.section(QLatin1Char(':'), -1).toInt();
        return Variante(RilevatoriDemo({.portaScatola = porta, .portaModem = 2})[0], kCodice, "Ingresso (rete)");
    }
    RilevatoreDemo avviaLinea(const QStringList& opzioni)
    {
        dispositivo_ = std::make_unique<ProgrammaAvviato>(
            KAVEX_SIM, QStringList{"rs232", "--dir", porte(), "--port", QString::number(kPortaDiretta)} + opzioni);
        const QString pronta = dispositivo_->primaRiga();
        if (pronta != QStringLiteral("ready ") + QDir(porte()).filePath(QStringLiteral("COM%1").arg(kPortaDiretta))) {
            ADD_FAILURE() << "the line did not start: " << pronta.toStdString() << dispositivo_->errori().toStdString();
            return {};
        }
        return RilevatoreSullaLinea(kCodice, "Reparto (linea)", kPortaDiretta);
    }

};

TEST_P(ZentarSyncUcciso, TheRunAfterAKillLeavesEveryDayStoredExactlyOnce)
{
    const CasoUccisione& caso = GetParam();
    const int numero = caso.linea == Linea::Scatola ? kNumeroScatola : kNumeroLinea;
    const std::vector<GiornoDiProva> giorni = giorniSulTerminale(numero);
    const GiornoDiProva& grande = giorni[kGrande];
    // The first transfer of kInterrottoDopo records or more is the big day's.
    const QStringList interrotto{"--break-after", QString::number(kInterrottoDopo)};
    ASSERT_TRUE(preparaTerminale(caso.linea, giorni, caso.punto == Punto::Trasferimento ? interrotto : QStringList{}));
    const QString codice = QString::number(kCodice);

    if (caso.ultimoGiornoGiaMemorizzato) {
        const Esito prima = sync({"download", codice, "--since", giorni.back().testo()});
        ASSERT_EQ(prima.codice, 0) << Racconta(prima);
        ASSERT_EQ(FileSalvati(database(), kCodice).size(), 1u) << Racconta(prima);
    }

    {
        const auto ucciso = avviaSync({"download", codice});
        const auto finito = [&] { return ucciso->finitoEntro(0ms); };
        LetturaCheFerma lettura(database());
        switch (caso.punto) {
        case Punto::Trasferimento: {
            // Kavex waits seconds for the record that never comes: time enough to kill.
            const QString locale = QDir(cartellaPRE(kCodice)).filePath(grande.nome());
            ASSERT_TRUE(AttendiFinche([&] { return ContenutoDelFile(locale) == inizio(grande, kInterrottoDopo) || finito(); }, kLimite));
            ASSERT_FALSE(finito()) << "the run ended before the transfer broke off";
            break;
        }
        case Punto::TimbratureAMeta: {
            const int visti = lettura.fermaQuando(kContaTimbrature, {kCodice, grande.testo()}, 1, finito, kLimite);
            ASSERT_GE(visti, 1) << "the run ended before the day's punches were stored";
            ASSERT_LT(visti, kTimbratureGrande) << "every punch was stored before the database was held";
            break;
        }
        case Punto::DopoUnGiorno: {
            const int visti = lettura.fermaQuando(kContaFile, {kCodice, giorni[kGrande - 1].nome()}, 1, finito, kLimite);
            ASSERT_GE(visti, 1) << "the run ended before the day was stored";
            ASSERT_EQ(TimbratureSalvate(database(), kCodice, grande.testo()).size(), 0) << "the next day had begun";
            break;
        }
        }
        ucciso->uccidi();
    }
    EXPECT_TRUE(liberoDaBloccare(fileDiBlocco())) << "the killed run's lock is still held";

    const Esito dopo = sync({"download", codice});
    ASSERT_TRUE(dopo.finito) << Racconta(dopo);
    EXPECT_EQ(dopo.codice, 0) << Racconta(dopo);

    const std::vector<RigaFile> righe = FileSalvati(database(), kCodice);
    QStringList nomiSalvati;
    for (const RigaFile& r : righe)
        nomiSalvati << r.NomeFile;
    nomiSalvati.sort();
    QStringList nomi;
    for (const GiornoDiProva& giorno : giorni) {
        SCOPED_TRACE(giorno.testo().toStdString());
        nomi << giorno.nome();
        EXPECT_EQ(ContenutoDelFile(QDir(cartellaPRE(kCodice)).filePath(giorno.nome())), giorno.contenuto());
        EXPECT_EQ(TimbratureSalvate(database(), kCodice, giorno.testo()), giorno.attese()) << Racconta(dopo);
        const auto riga = std::find_if(righe.begin(), righe.end(), [&](const RigaFile& r) { return r.NomeFile == giorno.nome(); });
        ASSERT_NE(riga, righe.end()) << "no row in file";
        EXPECT_EQ(riga->Data, giorno.testo());
        EXPECT_EQ(riga->Blob, QString::fromLatin1(giorno.contenuto()));
    }
    EXPECT_EQ(nomiSalvati, nomi) << "one row in file per day";
    EXPECT_EQ(QDir(cartellaPRE(kCodice)).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name), nomi)
        << "the folder holds the days' files and nothing else";
    EXPECT_EQ(Doppioni(database()), QStringList());
}

INSTANTIATE_TEST_SUITE_P(PuntiDiUccisione, ZentarSyncUcciso, ::testing::ValuesIn(kCasi),
                         [](const ::testing::TestParamInfo<CasoUccisione>& caso) { return std::string(caso.param.nome); });
