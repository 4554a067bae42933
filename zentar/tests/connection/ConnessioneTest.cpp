// Connecting to and disconnecting from registered terminals on the real libkavex.so: behind the
// simulated network box, on a simulated dial-up modem and directly on simulated lines; every
// failure message of the connection.
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSqlTableModel>

#include "IndirizzoLocale.h"
#include "TerminaleSimulato.h"
#include "kavex.h"
#include "sim/box_datagram.h"

using namespace zentar;

namespace {

// The box commands the box received, in order.
QStringList comandiDellaScatola(const sim::NetworkBox& scatola)
{
    QStringList comandi;
    for (const sim::Datagram& d : scatola.engine().received()) {
        if (d.type == sim::packet::kBoxCommand)
            comandi << QString::fromStdString(sim::payloadText(d, {}));
    }
    return comandi;
}

sim::BoxFaults unaRispostaDiErrore()
{
    sim::BoxFaults guasti;
    guasti.errorAnswers = 1;
    return guasti;
}

const QStringList kScollegato{"Immagine: images/off_.jpg", "Controlli: non connesso"};

}  // namespace

class Connessione : public TerminaleSimulato {
protected:
    // Connects and forgets what the connection did, so that a test sees only what follows.
    void collegato(int codice)
    {
        ASSERT_TRUE(connessione->ConnettiTerminale(codice)) << viste.consoleMainErr.toStdString();
        kavex.chiamate.clear();
        viste.eventi.clear();
    }
    QString porta() const { return QString::number(scatola->port()); }
};

// ---- behind the network box ----

// The box with terminal 3 on its serial side.
class ConnessioneScatola : public Connessione {
protected:
    void SetUp() override
    {
        Connessione::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        inScatola(3, terminaleCon());
    }
};

TEST_F(ConnessioneScatola, ThisComputerBecomesTheMasterAndTheTerminalIsLoggedOn)
{
    const QString locale = indirizzoLocale;
    indirizzoLocale = " " + locale + " ";
    registra(4, colonneScatola(3, {{"Indiriz_lanbrick", " 127.0.0.2 "}}));

    EXPECT_TRUE(connessione->ConnettiTerminale(4));

    EXPECT_EQ(kavex.chiamate, QStringList({"InitCOMM " + porta() + " 6 0 0", "ChangeAdapter " + locale,
                                           "SetIPAddress 127.0.0.2", "LbxCommand M" + locale, "LbxCommand %",
                                           "SetTerminal 3"}));
    EXPECT_EQ(viste.eventi, QStringList({"Indirizzi: ||", "Indirizzi: " + locale + "|127.0.0.2|M" + locale,
                                         "ConsoleMainErr: "}));
    EXPECT_EQ(comandiDellaScatola(*scatola), QStringList({"X", "M" + locale, "%"}));
    EXPECT_EQ(scatola->engine().settings().master, locale.toStdString());
    EXPECT_EQ(stato->TerminaleAttivo, 4);
    EXPECT_TRUE(terminale().loggedOn());

    EXPECT_TRUE(connessione->InviaComando("@TIME", true));
    EXPECT_EQ(kavex.chiamate.back(), "PostCommand @TIME") << "sent as typed";
    EXPECT_EQ(connessione->LeggiRisposte(), QStringList{"@TIME 081530"});
}

TEST_F(ConnessioneScatola, TheDisconnectGivesTheBoxBackToTheRecordedMaster)
{
    const struct {
        const char* IPMaster;
        QString master;
    } casi[] = {{"", "0.0.0.0"}, {" 127.0.0.9 ", "127.0.0.9"}};
    int codice = 0;
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.IPMaster);
        registra(++codice, colonneScatola(3, {{"IPMaster", caso.IPMaster}}));
        collegato(codice);
        scatola->engine().clearLogs();

        EXPECT_TRUE(connessione->DisconnettiTerminale(codice));

        EXPECT_EQ(kavex.chiamate, QStringList({"LbxCommand M" + caso.master, "LbxCommand %", "ExitCOMM"}));
        EXPECT_EQ(viste.eventi, QStringList({"Indirizzi: ||", "Indirizzi: " + caso.master + "|127.0.0.2|M" +
                                                 caso.master}) +
                                    kScollegato);
        EXPECT_EQ(comandiDellaScatola(*scatola), QStringList({"M" + caso.master, "%"}));
        EXPECT_EQ(scatola->engine().settings().master, caso.master.toStdString());
        EXPECT_EQ(stato->TerminaleAttivo, codice) << "a disconnect leaves TerminaleAttivo";
    }
}

TEST_F(ConnessioneScatola, ARefusedBoxCommandMakesTheDisconnectFail)
{
    const struct {
        const char* rifiutato;
        QStringList chiamate;
        QStringList comandi;
    } casi[] = {
        {"LbxCommand M", {"LbxCommand M0.0.0.0", "ExitCOMM"}, {"M0.0.0.0"}},
        {"LbxCommand %", {"LbxCommand M0.0.0.0", "LbxCommand %", "ExitCOMM"}, {"M0.0.0.0", "%"}},
    };
    registra(4, colonneScatola(3));
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.rifiutato);
        collegato(4);
        scatola->engine().clearLogs();
        kavex.primaDi = [&](const QString& chiamata) {
            if (chiamata.startsWith(caso.rifiutato))
                scatola->engine().setFaults(unaRispostaDiErrore());
        };

        EXPECT_FALSE(connessione->DisconnettiTerminale(4));

        kavex.primaDi = nullptr;
        EXPECT_EQ(kavex.chiamate, caso.chiamate);
        EXPECT_EQ(comandiDellaScatola(*scatola), caso.comandi);
        EXPECT_EQ(viste.eventi.mid(2), kScollegato) << "not connected in every case";
    }
}

TEST_F(ConnessioneScatola, EveryFailingStepHasItsMessage)
{
    const struct {
        const char* nome;
        Colonne colonne;
        sim::BoxFaults guasti;
        const char* guastoPrimaDi;  // the box answers this call with an error datagram
        QString messaggio;
        QString ultimaChiamata;
    } casi[] = {
        {"InitCOMM", {{"Portacom", 0}}, {}, nullptr, "InitCOMM Fallita = -1", "InitCOMM 0 6 0 0"},
        {"SetIPAddress", {{"Indiriz_lanbrick", "127.0.0.2 "}}, {.notReady = true}, nullptr,
         "SetIPAdress [127.0.0.2] Fallito = -1", "SetIPAddress 127.0.0.2"},
        {"master command", {}, {}, "LbxCommand M", "Master non Impostato[CMD] = -1", ""},
        {"restart", {}, {}, "LbxCommand %", "Master non Impostato[%] = -1", "LbxCommand %"},
        {"no terminal answers", {{"Indirizzo", 9}}, {}, nullptr, "SetTerminal [9] Fallita = -2", "SetTerminal 9"},
        {"bad terminal number", {{"Indirizzo", 255}}, {}, nullptr, "SetTerminal [255] Fallita = -1",
         "SetTerminal 255"},
    };
    int codice = 0;
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        registra(++codice, colonneScatola(3, caso.colonne));
        scatola->engine().setFaults(caso.guasti);
        kavex.chiamate.clear();
        kavex.primaDi = [&](const QString& chiamata) {
            if (caso.guastoPrimaDi && chiamata.startsWith(caso.guastoPrimaDi))
                scatola->engine().setFaults(unaRispostaDiErrore());
        };

        EXPECT_FALSE(connessione->ConnettiTerminale(codice));

        kavex.primaDi = nullptr;
        EXPECT_EQ(viste.consoleMainErr, caso.messaggio);
        EXPECT_EQ(stato->TerminaleAttivo, 0);
        EXPECT_EQ(stato->CodiceTerminale, codice) << "the terminal stays selected";
        const QString ultima = caso.ultimaChiamata.isEmpty() ? "LbxCommand M" + indirizzoLocale : caso.ultimaChiamata;
        EXPECT_EQ(kavex.chiamate.back(), ultima) << "no step after the failing one";
        scatola->engine().setFaults({});
        connessione->DisconnettiTerminale(codice);
    }
}

// ---- on a dial-up modem ----

class ConnessioneModem : public Connessione {
protected:
    void SetUp() override
    {
        Connessione::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        suLinea(kavex_test::withModem(kavex_test::makeDevice(3, 0, terminaleCon())));
    }
    void registraModem(int codice, const Colonne& altre = {})
    {
        Colonne colonne{{"Portacom", kavex_test::kPort}, {"Modalita_col", 3},        {"Baudrate", 9600},
                        {"Parita", 0},                   {"Indirizzo", 0},           {"Modem", true},
                        {"Telefono", "5551234"},         {"Modem_wait", 45},         {"Modem_init", "ATZ"}};
        colonne.insert(colonne.end(), altre.begin(), altre.end());
        registra(codice, colonne);
    }
    sim::HayesModem& modem() { return *sessione->device().modem; }
};

TEST_F(ConnessioneModem, DialsLogsOnAndHangsUp)
{
    registraModem(2);

    EXPECT_TRUE(connessione->ConnettiTerminale(2));
    EXPECT_EQ(kavex.chiamate, QStringList({"InitCOMM 7 3 9600 0", "DialNumber ATZ 5551234 45", "SetTerminal 0"}));
    EXPECT_EQ(viste.eventi, QStringList({"Indirizzi: ||", "ConsoleMainErr: "}));
    EXPECT_EQ(modem().dialled(), std::vector<std::string>{"5551234"});
    EXPECT_EQ(stato->TerminaleAttivo, 2);

    EXPECT_TRUE(connessione->InviaComando("@TIME", true));
    EXPECT_EQ(kavex.chiamate.back(), "PostCommand @TIME\r") << "one CR on a modem line";
    EXPECT_EQ(connessione->LeggiRisposte(), QStringList{"@TIME 081530"});

    kavex.chiamate.clear();
    viste.eventi.clear();
    EXPECT_TRUE(connessione->DisconnettiTerminale(2));
    EXPECT_EQ(kavex.chiamate, QStringList({"HangUp", "ExitCOMM"}));
    EXPECT_EQ(viste.eventi, QStringList{"Indirizzi: ||"} + kScollegato);
    EXPECT_FALSE(modem().connected());
}

TEST_F(ConnessioneModem, EveryFailingStepHasItsMessage)
{
    const struct {
        const char* nome;
        Colonne colonne;
        sim::ModemConfig modem;
        QString messaggio;
        QStringList chiamate;
    } casi[] = {
        {"InitCOMM", {{"Portacom", 9}}, {}, "InitCOMM Fallita = -1", {"InitCOMM 9 3 9600 0"}},
        {"DialNumber",
         {},
         {.outcome = sim::DialOutcome::Busy},
         "DialNumber Fallita = -1",
         {"InitCOMM 7 3 9600 0", "DialNumber ATZ 5551234 45"}},
        // A direct line has terminal 0 only: the refused logon hangs up before the message.
        {"SetTerminal",
         {{"Indirizzo", 5}},
         {},
         "SetTerminal [5] Fallita = -1",
         {"InitCOMM 7 3 9600 0", "DialNumber ATZ 5551234 45", "SetTerminal 5", "HangUp", "ExitCOMM"}},
    };
    int codice = 0;
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        registraModem(++codice, caso.colonne);
        modem().setConfig(caso.modem);
        kavex.chiamate.clear();
        viste.eventi.clear();

        EXPECT_FALSE(connessione->ConnettiTerminale(codice));

        EXPECT_EQ(viste.consoleMainErr, caso.messaggio);
        EXPECT_EQ(viste.eventi.back(), "ConsoleMainErr: " + caso.messaggio) << "written after the disconnect";
        EXPECT_EQ(kavex.chiamate, caso.chiamate);
        EXPECT_EQ(stato->TerminaleAttivo, 0);
        EXPECT_FALSE(modem().connected());
        kavex.ExitCOMM();
    }
}

TEST_F(ConnessioneModem, AHangUpThatFailsIsTriedTwiceAndTheDeviceIsClosedAnyway)
{
    registraModem(2);
    collegato(2);
    modem().setFaults({.refuse = "ATH", .bareRefusal = true});

    EXPECT_FALSE(connessione->DisconnettiTerminale(2));

    EXPECT_EQ(kavex.chiamate, QStringList({"HangUp", "HangUp", "ExitCOMM"}));
    EXPECT_EQ(viste.eventi, QStringList{"Indirizzi: ||"} + kScollegato);
    EXPECT_GT(InitCOMM(kavex_test::kPort, 3, 9600, 0), 0) << "the device was closed";
}

// ---- directly on a bus or a line ----

struct LineaDiretta {
    const char* nome;
    int modalita;
    int baud;
    int terminale;
};

void PrintTo(const LineaDiretta& linea, std::ostream* os) { *os << linea.nome; }

class ConnessioneDiretta : public Connessione, public ::testing::WithParamInterface<LineaDiretta> {};

TEST_P(ConnessioneDiretta, ATerminalWithoutModemOrBoxIsLoggedOnAndLetGoDirectly)
{
    const LineaDiretta& linea = GetParam();
    suLinea(kavex_test::makeDevice(linea.modalita, linea.terminale, terminaleCon()));
    registra(5, {{"Portacom", kavex_test::kPort},
                 {"Modalita_col", linea.modalita},
                 {"Baudrate", linea.baud},
                 {"Parita", 0},
                 {"Indirizzo", linea.terminale},
                 {"Indiriz_lanbrick", "127.0.0.2"}});
    const QString init = QStringLiteral("InitCOMM 7 %1 %2 0").arg(linea.modalita).arg(linea.baud);

    EXPECT_TRUE(connessione->ConnettiTerminale(5));
    EXPECT_EQ(kavex.chiamate, QStringList({init, QStringLiteral("SetTerminal %1").arg(linea.terminale)}));
    EXPECT_EQ(viste.eventi, QStringList({"Indirizzi: ||", "ConsoleMainErr: "}));
    EXPECT_EQ(stato->TerminaleAttivo, 5);
    EXPECT_TRUE(connessione->InviaComando("@TIME", true));
    EXPECT_EQ(connessione->LeggiRisposte(), QStringList{"@TIME 081530"});

    kavex.chiamate.clear();
    viste.eventi.clear();
    EXPECT_TRUE(connessione->DisconnettiTerminale(5));
    EXPECT_EQ(kavex.chiamate, QStringList{"ExitCOMM"}) << "no box commands";
    EXPECT_EQ(viste.eventi, QStringList{"Indirizzi: ||"} + kScollegato);
    EXPECT_GT(InitCOMM(kavex_test::kPort, linea.modalita, linea.baud, 0), 0) << "the device was closed";
}

INSTANTIATE_TEST_SUITE_P(Linee, ConnessioneDiretta,
                         ::testing::Values(LineaDiretta{"Selvo", 0, 0, 12}, LineaDiretta{"LineDriver", 2, 9600, 5},
                                           LineaDiretta{"RS232", 3, 38400, 0}, LineaDiretta{"Relay", 4, 9600, 7}),
                         [](const auto& test) { return std::string(test.param.nome); });

TEST_F(Connessione, Diretta_EveryFailingStepHasItsMessage)
{
    const struct {
        const char* nome;
        const char* modello;
        int porta;
        int indirizzo;
        QString messaggio;
    } casi[] = {
        {"no device", "Pello", 9, 0, "InitCOMM Fallita = -1"},
        {"bad terminal number", "Pello", kavex_test::kPort, 5, "SetTerminal [5] Fallita = -1"},
        {"unknown model", "Sconosciuto", kavex_test::kPort, 0, "SetTerminal [0] Fallita = -2"},
    };
    int codice = 0;
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        suLinea(kavex_test::makeDevice(3, 0, terminaleCon({}, caso.modello)));
        registra(++codice, {{"Portacom", caso.porta},
                            {"Modalita_col", 3},
                            {"Baudrate", 9600},
                            {"Parita", 0},
                            {"Indirizzo", caso.indirizzo}});

        EXPECT_FALSE(connessione->ConnettiTerminale(codice));

        EXPECT_EQ(viste.consoleMainErr, caso.messaggio);
        EXPECT_EQ(stato->TerminaleAttivo, 0);
        EXPECT_TRUE(kavex.chiamateDi("DialNumber").isEmpty());
        EXPECT_TRUE(kavex.chiamateDi("SetIPAddress").isEmpty());
        connessione->DisconnettiTerminale(codice);
        sessione.reset();
    }
}

TEST_F(Connessione, AConnectionWhileTheDeviceIsOpenFailsAtInitCOMM)
{
    suLinea(kavex_test::makeDevice(3, 0, terminaleCon()));
    registra(5, {{"Portacom", kavex_test::kPort}, {"Modalita_col", 3}, {"Baudrate", 9600}, {"Parita", 0}});
    ASSERT_TRUE(connessione->ConnettiTerminale(5));
    EXPECT_FALSE(connessione->ConnettiTerminale(5));
    EXPECT_EQ(viste.consoleMainErr, "InitCOMM Fallita = -1");
    EXPECT_EQ(stato->TerminaleAttivo, 0);
}

TEST_F(Connessione, WithoutARowTheConnectionFailsAtInitCOMM)
{
    EXPECT_FALSE(connessione->ConnettiTerminale(0));
    EXPECT_EQ(kavex.chiamate, QStringList{"InitCOMM 0 0 0 0"});
    EXPECT_EQ(viste.consoleMainErr, "InitCOMM Fallita = -1");
}

// ---- commands and replies ----

TEST_F(Connessione, ACommandEndsWithACarriageReturnOnRS232AndModemLinesOnly)
{
    const struct {
        int modalita;
        bool modem;
        const char* inviato;
    } casi[] = {
        {3, false, "PostCommand DIR\r"}, {4, false, "PostCommand DIR\r"}, {2, true, "PostCommand DIR\r"},
        {6, true, "PostCommand DIR\r"},  {6, false, "PostCommand DIR"},   {2, false, "PostCommand DIR"},
        {0, false, "PostCommand DIR"},   {8, false, "PostCommand DIR"},
    };
    int codice = 0;
    for (const auto& caso : casi) {
        SCOPED_TRACE(testing::Message() << "mode " << caso.modalita << " modem " << caso.modem);
        registra(++codice, {{"Modalita_col", caso.modalita}, {"Modem", caso.modem}});
        kavex.chiamate.clear();
        dialogs.shown.clear();
        dialogs.answers = {Answer::Ok};

        // No device is open: the command is refused after it was handed over.
        EXPECT_FALSE(connessione->InviaComando("DIR", true));
        EXPECT_EQ(kavex.chiamate, QStringList{caso.inviato});
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].text, "Errore durante l'invio del comando (\"DIR\").") << "without the CR";

        EXPECT_FALSE(connessione->InviaComando("DIR", false));
        EXPECT_EQ(dialogs.shown.size(), 1u) << "no message when errors are not shown";
    }
}

TEST_F(Connessione, RepliesAreCollectedInOrderUntilTheLineIsQuiet)
{
    suLinea(kavex_test::makeDevice(3, 0, terminaleCon({{"NOTE", {"uno", "due"}}})));
    registra(5, {{"Portacom", kavex_test::kPort}, {"Modalita_col", 3}, {"Baudrate", 38400}, {"Parita", 0}});
    ASSERT_TRUE(connessione->ConnettiTerminale(5));

    ASSERT_TRUE(connessione->InviaComando("DIR NOTE", true));
    EXPECT_EQ(connessione->LeggiRisposte(), QStringList({"NOTE     10", "\x04" "1"}));

    terminale().setFaults({.silent = true});
    ASSERT_TRUE(connessione->InviaComando("@TIME", true));
    QElapsedTimer tempo;
    tempo.start();
    EXPECT_TRUE(connessione->LeggiRisposte().isEmpty());
    EXPECT_GE(tempo.elapsed(), 900) << "about one second of silence";
}

// ---- this computer's address ----

namespace {

// The system of an office computer: its name resolves to 127.0.1.1 (as Debian's /etc/hosts has
// it), and it has the loopback interface and 192.0.2.2/24 on its network card, the way out to
// every other address.
class ReteDiUfficio final : public ReteDelSistema {
public:
    bool conInterfacce = true;
    QStringList chiesti;  // the destinations asked for

    std::optional<QString> NomeHost() override { return QStringLiteral("ufficio"); }
    QString PrimoIndirizzo(const QString& nome) override
    {
        return nome == QLatin1String("ufficio") ? QStringLiteral("127.0.1.1") : QString();
    }
    QString SorgenteVerso(const QString& destinazione) override
    {
        chiesti << destinazione;
        const QRegularExpression ipv4(R"(^(\d{1,3})\.\d{1,3}\.\d{1,3}\.\d{1,3}$)");
        const QRegularExpressionMatch m = ipv4.match(destinazione);
        if (!conInterfacce || !m.hasMatch())
            return {};
        return m.captured(1) == QLatin1String("127") ? QStringLiteral("127.0.0.1") : QStringLiteral("192.0.2.2");
    }
};

// Kavex answering every connection step with success, sending nothing anywhere.
class KavexCheRisponde final : public LibreriaKavex {
public:
    QStringList chiamate;
    int32_t InitCOMM(int32_t porta, int32_t modalita, int32_t baud, int32_t parita) override
    {
        chiamate << QStringLiteral("InitCOMM %1 %2 %3 %4").arg(porta).arg(modalita).arg(baud).arg(parita);
        return porta;
    }
    int32_t ChangeAdapter(const QString& indirizzo) override { return nota("ChangeAdapter " + indirizzo); }
    int32_t SetIPAddress(const QString& indirizzo) override { return nota("SetIPAddress " + indirizzo); }
    int32_t LbxCommand(const QString& comando) override { return nota("LbxCommand " + comando); }
    int32_t SetTerminal(int32_t terminale) override { return nota("SetTerminal " + QString::number(terminale)); }
    int32_t ExitCOMM() override { return nota("ExitCOMM"); }

private:
    int32_t nota(const QString& chiamata)
    {
        chiamate << chiamata;
        return 0;
    }
};

}  // namespace

TEST(IndirizzoLocale, IsTheAddressThisComputerUsesTowardsTheBox)
{
    ReteDiUfficio rete;
    const struct {
        const char* scatola;
        const char* atteso;
    } casi[] = {
        {"192.0.2.50", "192.0.2.2"},  // on the office LAN
        {" 192.0.2.50 ", "192.0.2.2"},
        {"10.20.30.40", "192.0.2.2"},  // beyond a router
        {"127.0.0.2", "127.0.0.1"},    // on this computer
        {"", "127.0.1.1"},             // no box: the host name's address
        {"scatola", "127.0.1.1"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.scatola);
        QString nome, indirizzo, errore = "prima";
        EXPECT_TRUE(IndirizzoLocale(caso.scatola, nome, indirizzo, errore, rete));
        EXPECT_EQ(nome, "ufficio");
        EXPECT_EQ(indirizzo, caso.atteso);
        EXPECT_EQ(errore, "prima") << "the error text is left as it was";
    }
    rete.conInterfacce = false;
    QString nome, indirizzo, errore;
    EXPECT_TRUE(IndirizzoLocale("192.0.2.50", nome, indirizzo, errore, rete));
    EXPECT_EQ(indirizzo, "127.0.1.1") << "no route: the host name's address";
}

TEST(IndirizzoLocale, OnThisComputerABoxOnLoopbackIsReachedFromALoopbackAddress)
{
    QString nome, indirizzo, errore = "prima";
    EXPECT_TRUE(IndirizzoLocale("127.0.0.2", nome, indirizzo, errore));
    EXPECT_FALSE(nome.isEmpty());
    EXPECT_TRUE(indirizzo.startsWith("127.")) << indirizzo.toStdString();
    EXPECT_EQ(errore, "prima");
    EXPECT_EQ(IndirizzoDelSistema("127.0.0.2"), indirizzo);
    const QRegularExpression dotted(R"(^(\d{1,3}\.){3}\d{1,3}$)");
    EXPECT_TRUE(dotted.match(IndirizzoDelSistema("")).hasMatch() || IndirizzoDelSistema("").isEmpty());
}

// The connection to a box on the office LAN, with the system's addresses and Kavex answered by
// doubles: nothing is sent anywhere.
class IndirizzoVersoLaScatola : public DatabaseTest {
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(db->tblRilevatori()->insertRecord(
            -1, rigaRilevatore(*db, 5, {{"Portacom", 8499}, {"Modalita_col", 6}, {"Indiriz_lanbrick", " 192.0.2.50 "},
                                        {"Indirizzo", 1}, {"Modem", false}})));
        db->ApplicaRilevatori();
    }
    GestoreConnessione connessioneCon(FonteIndirizzoLocale indirizzo)
    {
        return GestoreConnessione(*db, *stato, kavex, viste, dialogs, std::move(indirizzo));
    }

    ReteDiUfficio rete;
    KavexCheRisponde kavex;
    VisteRegistrate viste;
};

TEST_F(IndirizzoVersoLaScatola, TheLocalAddressComesUpperCasedAndTrimmed)
{
    GestoreConnessione connessione = connessioneCon([](const QString&) { return QStringLiteral("  localhost "); });
    ASSERT_TRUE(connessione.ConnettiTerminale(5));
    EXPECT_EQ(viste.indirizzi, (IndirizziRete{"LOCALHOST", "192.0.2.50", "MLOCALHOST"}));
    EXPECT_TRUE(kavex.chiamate.contains("ChangeAdapter LOCALHOST"));
    EXPECT_TRUE(kavex.chiamate.contains("LbxCommand MLOCALHOST"));
}

TEST_F(IndirizzoVersoLaScatola, TheBoxOnTheLanIsGivenTheAddressItCanAnswer)
{
    GestoreConnessione connessione = connessioneCon([this](const QString& scatola) {
        QString nome, indirizzo, errore;
        IndirizzoLocale(scatola, nome, indirizzo, errore, rete);
        return indirizzo;
    });
    ASSERT_TRUE(connessione.ConnettiTerminale(5)) << viste.consoleMainErr.toStdString();
    EXPECT_EQ(rete.chiesti, QStringList{"192.0.2.50"});
    EXPECT_EQ(kavex.chiamate, QStringList({"InitCOMM 8499 6 0 0", "ChangeAdapter 192.0.2.2", "SetIPAddress 192.0.2.50",
                                           "LbxCommand M192.0.2.2", "LbxCommand %", "SetTerminal 1"}));
    EXPECT_EQ(viste.indirizzi, (IndirizziRete{.nIPMaster = "192.0.2.2", .nIPVRN = "192.0.2.50", .nMIPMaster = "M192.0.2.2"}));
}
