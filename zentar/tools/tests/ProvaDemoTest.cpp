// The demo rehearsed without windows: the devices started as scripts/demo starts them (a
// network box with a month of punch days, a dial-up modem terminal with as many on a
// pseudo-terminal), the terminals zentar-demo-register writes, and Zentar's own connection,
// list of days and download reaching each of them through the real libkavex.so.
#include <QDate>
#include <QDir>
#include <QFile>

#include "DMDatabase.h"
#include "ScriptedDialogs.h"
#include "ServiziTerminale.h"
#include "SupportoE2E.h"
#include "TerminalSelection.h"
#include "VisteSenzaFinestre.h"

using namespace zentar;

namespace {

constexpr int kPortaModem = 2;
constexpr int kGiorni = 31;

// The port in "ready 127.0.0.2:PORT".
int portaAnnunciata(const QString& pronto) { return pronto.section(QLatin1Char(':'), -1).toInt(); }

int righeDi(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? static_cast<int>(f.readAll().count("\r\n")) : -1;
}

}  // namespace

class ProvaDemo : public ::testing::Test {
protected:
    void SetUp() override
    {
        AmbienteDiProva();
        ASSERT_TRUE(programma.isValid() && porte.isValid());
        ASSERT_TRUE(QDir(programma.path()).mkdir("Timbrature"));
        qputenv("COM_PORT_DIR", porte.path().toLocal8Bit());
    }
    void TearDown() override { qunsetenv("COM_PORT_DIR"); }

    QTemporaryDir programma;
    QTemporaryDir porte;
};

TEST_F(ProvaDemo, EachDemoTerminalConnectsListsAMonthOfDaysAndDownloadsOne)
{

    const QString giorni = QString::number(kGiorni);
    ProgrammaAvviato scatola(KAVEX_SIM, {"box", "--address", "127.0.0.2", "--port", "0", "--punch-days", giorni});
    const QString scatolaPronta = scatola.primaRiga();
    ASSERT_TRUE(scatolaPronta.startsWith("ready 127.0.0.2:")) << scatolaPronta.toStdString() << scatola.errori().toStdString();
    ProgrammaAvviato modem(KAVEX_SIM, {"rs232", "--dir", porte.path(), "--port", QString::number(kPortaModem),
                                       "--modem", "--punch-days", giorni});
    ASSERT_EQ(modem.primaRiga(), "ready " + porte.filePath("COM2")) << modem.errori().toStdString();

    const Esito registra = Esegui(ZENTAR_DEMO_REGISTER, {programma.path(), "--box-port",
                                                         QString::number(portaAnnunciata(scatolaPronta)),
                                                         "--modem-port", QString::number(kPortaModem)});
    ASSERT_EQ(registra.codice, 0) << registra.errori.toStdString();

    StatoTerminale stato(programma.path());
    QString errore;
    const auto db = ApriDatabase(stato, &errore);
    ASSERT_NE(db, nullptr) << errore.toStdString();
    LibreriaKavex kavex;
    VisteSenzaFinestre finestra;
    ScriptedDialogs dialoghi;
    ServiziTerminale servizi(*db, stato, kavex, finestra, finestra, dialoghi);

    struct Caso {
        int codice;
        const char* numeroNelleRighe;  // the terminal's number as kavex-sim writes it in its punches
    };
    for (const Caso caso : {Caso{1, "01"}, Caso{2, "00"}}) {
        SCOPED_TRACE(caso.codice);
        ASSERT_EQ(SelezionaTerminale(*db, stato, caso.codice), EsitoSelezione::Selezionato);
        ASSERT_TRUE(servizi.connessione.ConnettiTerminale(caso.codice)) << finestra.consoleMainErr.toStdString();

        servizi.elenco.AggiornaElenco();
        ASSERT_EQ(finestra.giorni.size(), kGiorni) << finestra.giorni.join(' ').toStdString();
        const QDate ultimo = QDate::fromString(finestra.giorni.back(), "dd/MM/yyyy");
        EXPECT_LE(std::abs(ultimo.daysTo(QDate::currentDate())), 1) << "the month ends today";
        for (qsizetype i = 1; i < finestra.giorni.size(); ++i)
            EXPECT_EQ(QDate::fromString(finestra.giorni[i - 1], "dd/MM/yyyy").addDays(1),
                      QDate::fromString(finestra.giorni[i], "dd/MM/yyyy"));

        const QString giorno = finestra.giorni.back();
        dialoghi.answers = {Answer::Ok, Answer::Ok};
        EXPECT_EQ(servizi.giorni.Scarica({giorno}, false), 0) << dialoghi.texts().join('\n').toStdString();
        EXPECT_EQ(dialoghi.texts(),
                  QStringList({"Procedere allo Scarico Delle Timbrature ?", "Download Terminato Con Successo"}));
        dialoghi.shown.clear();

        const QString nome = "PRE" + ultimo.toString("yyMMdd").mid(1);
        const QString file = QDir(stato.CartellaPRE).filePath(nome);
        EXPECT_EQ(stato.CartellaPRE, QDir(programma.path()).filePath("Timbrature/" + QString::number(caso.codice)));
        const std::vector<RigaTimbratura> timbrature = db->TimbratureDelGiorno(caso.codice, giorno);
        EXPECT_GE(timbrature.size(), 3u);
        EXPECT_EQ(static_cast<int>(timbrature.size()), righeDi(file)) << "one punch per line of " << nome.toStdString();
        QFile righe(file);
        ASSERT_TRUE(righe.open(QIODevice::ReadOnly));
        EXPECT_EQ(righe.readLine().mid(15, 2), caso.numeroNelleRighe);

        EXPECT_TRUE(servizi.connessione.DisconnettiTerminale(caso.codice));
    }
    EXPECT_TRUE(scatola.inEsecuzione() && modem.inEsecuzione());
}
