// The console's tab "Kavex": every row run by its "!" button against the network box and a
// dial-up modem line, each result in its reply label and the row's text in the message line;
// the master command whose "%" fails; and the whole-number fields of the console that hold
// something else.
#include <QLabel>

#include "ConsoleSimulata.h"

using namespace zentar;

namespace {

// One "!" of the tab: the fields it reads, the result and calls expected, and the message line
// afterwards.
struct Passo {
    std::vector<std::pair<const char*, QString>> campi;
    const char* pulsante;
    const char* risposta;
    QString risultato;
    QStringList chiamate;
    QString messaggio;
};

}  // namespace

class ConsoleKavex : public ConsoleSimulata {
protected:
    void esegui(const std::vector<Passo>& passi)
    {
        apri("Kavex");
        campo("ConsoleErr")->setText("vecchio");
        for (const Passo& passo : passi) {
            SCOPED_TRACE(passo.pulsante);
            for (const auto& [nome, testo] : passo.campi)
                campo(nome)->setText(testo);
            kavex.chiamate.clear();
            premi(passo.pulsante);
            EXPECT_EQ(kavex.chiamate, passo.chiamate);
            EXPECT_EQ(console<QLabel>(passo.risposta)->text(), passo.risultato);
            EXPECT_EQ(messaggio(), passo.messaggio);
        }
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_EQ(stato().TerminaleAttivo, 0) << "the rows leave the shared state";
        EXPECT_TRUE(attivo("btnConnetti"));
        EXPECT_FALSE(attivo("btnDisconnetti"));
    }
};

TEST_F(ConsoleKavex, EveryRowOnTheNetworkBox)
{
    inScatola(2, terminaleCon());
    if (IsSkipped())
        return;
    const QString porta = QString::number(scatola->port());
    const QString locale = indirizzoLocale;
    esegui({
        {{{"nPort", porta}, {"nDevice", "6"}, {"nBaud", "0"}, {"nPar", "0"}}, "Exe_Init", "Reply_Init", porta,
         {"InitCOMM " + porta + " 6 0 0"}, "vecchio"},
        {{{"nIPMaster", "10.9.9.9"}}, "Exe_ChgAdapter", "Reply_ChgAdapter", "-1", {"ChangeAdapter 10.9.9.9"}, "vecchio"},
        {{{"nIPMaster", locale}}, "Exe_ChgAdapter", "Reply_ChgAdapter", "0", {"ChangeAdapter " + locale}, "vecchio"},
        {{{"nIPVRN", "127.0.0.2"}}, "Exe_SetIP", "Reply_SetIP", "0", {"SetIPAddress 127.0.0.2"}, "vecchio"},
        {{{"nMIPMaster", "M" + locale}}, "Exe_SetMaster", "Reply_SetMaster", "0",
         {"LbxCommand M" + locale, "LbxCommand %"}, "vecchio"},
        {{{"nInit", "ATZ"}, {"nNumber", "5551234"}, {"nWait", "45"}}, "Exe_DialNumber", "Reply_DialNumber", "-1",
         {"DialNumber ATZ 5551234 45"}, "vecchio"},
        {{{"nSELVO", "9"}}, "Exe_SetVRN", "Reply_SetVRN", "-2", {"SetTerminal 9"}, "vecchio"},
        {{{"nSELVO", "2"}}, "Exe_SetVRN", "Reply_SetVRN", "0", {"SetTerminal 2"}, "Rilevatore Connesso"},
        {{}, "Exe_HangUp", "Reply_HangUP", "-1", {"HangUp"}, "Rilevatore Connesso"},
        {{}, "Exe_Exit", "Reply_Exit", "0", {"ExitCOMM"}, "Connesione Terminata"},
    });
    EXPECT_EQ(scatola->engine().settings().master, locale.toStdString());
    EXPECT_TRUE(terminale().loggedOn());
}

TEST_F(ConsoleKavex, EveryRowOnADialUpModemLine)
{
    suLinea(kavex_test::withModem(kavex_test::makeDevice(3, 0, terminaleCon())));
    esegui({
        {{}, "Exe_Exit", "Reply_Exit", "-1", {"ExitCOMM"}, "vecchio"},
        {{{"nPort", "7"}, {"nDevice", "3"}, {"nBaud", "9600"}, {"nPar", "0"}}, "Exe_Init", "Reply_Init", "1",
         {"InitCOMM 7 3 9600 0"}, "vecchio"},
        {{{"nIPMaster", "127.0.0.1"}}, "Exe_ChgAdapter", "Reply_ChgAdapter", "-1", {"ChangeAdapter 127.0.0.1"},
         "vecchio"},
        {{{"nIPVRN", "127.0.0.2"}}, "Exe_SetIP", "Reply_SetIP", "-1", {"SetIPAddress 127.0.0.2"}, "vecchio"},
        {{{"nMIPMaster", "M127.0.0.1"}}, "Exe_SetMaster", "Reply_SetMaster", "-1", {"LbxCommand M127.0.0.1"},
         "vecchio"},
        {{{"nInit", "ATZ"}, {"nNumber", "5551234"}, {"nWait", "45"}}, "Exe_DialNumber", "Reply_DialNumber", "0",
         {"DialNumber ATZ 5551234 45"}, "vecchio"},
        {{{"nSELVO", "0"}}, "Exe_SetVRN", "Reply_SetVRN", "0", {"SetTerminal 0"}, "Rilevatore Connesso"},
        {{}, "Exe_HangUp", "Reply_HangUP", "0", {"HangUp"}, "Chiamata Chiusa"},
        {{}, "Exe_Exit", "Reply_Exit", "0", {"ExitCOMM"}, "Connesione Terminata"},
        {{}, "Exe_HangUp", "Reply_HangUP", "-1", {"HangUp"}, "Connesione Terminata"},
    });
    EXPECT_EQ(sessione->device().modem->dialled(), std::vector<std::string>{"5551234"});
    EXPECT_FALSE(sessione->device().modem->connected());
}

TEST_F(ConsoleKavex, SetMasterReportsAFailedRestartAndShowsTheLastResult)
{
    inScatola(2, terminaleCon());
    if (IsSkipped())
        return;
    esegui({
        {{{"nPort", QString::number(scatola->port())}, {"nDevice", "6"}, {"nBaud", "0"}, {"nPar", "0"}}, "Exe_Init",
         "Reply_Init", QString::number(scatola->port()), {QStringLiteral("InitCOMM %1 6 0 0").arg(scatola->port())},
         "vecchio"},
        {{{"nIPMaster", indirizzoLocale}}, "Exe_ChgAdapter", "Reply_ChgAdapter", "0", {"ChangeAdapter " + indirizzoLocale},
         "vecchio"},
        {{{"nIPVRN", "127.0.0.2"}}, "Exe_SetIP", "Reply_SetIP", "0", {"SetIPAddress 127.0.0.2"}, "vecchio"},
    });
    QList<int32_t> risultati;
    kavex.dopo = [&](const QString&, int32_t risultato) { risultati << risultato; };
    kavex.primaDi = [&](const QString& chiamata) {
        if (chiamata == "LbxCommand %")
            scatola->engine().setFaults({.errorAnswers = 1});
    };
    const struct {
        const char* comando;
        QStringList chiamate;
        QStringList messaggi;
    } casi[] = {
        {"M127.0.0.9", {"LbxCommand M127.0.0.9", "LbxCommand %"}, {"Master non Impostato"}},
        {"Mxyz", {"LbxCommand Mxyz"}, {}},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.comando);
        campo("nMIPMaster")->setText(caso.comando);
        kavex.chiamate.clear();
        risultati.clear();
        dialogs.shown.clear();
        dialogs.answers = {Answer::Ok};
        premi("Exe_SetMaster");
        EXPECT_EQ(kavex.chiamate, caso.chiamate);
        EXPECT_EQ(dialogs.texts(), caso.messaggi);
        ASSERT_EQ(risultati.size(), caso.chiamate.size());
        EXPECT_LT(risultati.back(), 0);
        EXPECT_EQ(console<QLabel>("Reply_SetMaster")->text(), QString::number(risultati.back()));
    }
}

// A field that must hold a whole number and holds something else stops its operation before
// any call; the error ends at the application-wide hook, which writes it to the log.
TEST_F(ConsoleKavex, WholeNumberFieldsHoldingSomethingElseStopTheirOperationWithoutAMessage)
{
    apri();
    const struct {
        const char* scheda;
        std::vector<std::pair<const char*, const char*>> campi;
        const char* pulsante;
        const char* risposta;  // the row's label, which stays empty; null for the parameter
        const char* errato;
    } casi[] = {
        {"Kavex", {{"nPort", "7x"}, {"nDevice", "3"}, {"nBaud", "9600"}, {"nPar", "0"}}, "Exe_Init", "Reply_Init", "7x"},
        {"Kavex", {{"nPort", "7"}, {"nDevice", "3"}, {"nBaud", "96 00"}, {"nPar", "0"}}, "Exe_Init", "Reply_Init",
         "96 00"},
        {"Kavex", {{"nInit", "ATZ"}, {"nNumber", "5551234"}, {"nWait", "4.5"}}, "Exe_DialNumber", "Reply_DialNumber",
         "4.5"},
        {"Kavex", {{"nSELVO", "uno"}}, "Exe_SetVRN", "Reply_SetVRN", "uno"},
        {"TabSheet4", {{"edtParCod", "99999999999"}, {"edtParVal", "1"}}, "btnReadPar", nullptr, "99999999999"},
        {"TabSheet4", {{"edtParCod", "7a"}, {"edtParVal", "1"}}, "btnWritePar", nullptr, "7a"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.pulsante + std::string(" ") + caso.errato);
        scheda(caso.scheda);
        for (const auto& [nome, testo] : caso.campi)
            campo(nome)->setText(testo);
        testing::internal::CaptureStderr();
        premi(caso.pulsante);
        const std::string registro = testing::internal::GetCapturedStderr();
        EXPECT_NE(registro.find("operation abandoned"), std::string::npos) << registro;
        EXPECT_NE(registro.find(caso.errato), std::string::npos) << registro;
        if (caso.risposta) {
            EXPECT_EQ(console<QLabel>(caso.risposta)->text(), "");
        }
    }
    EXPECT_TRUE(kavex.chiamate.isEmpty()) << "nothing is called";
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(campo("edtParVal")->text(), "1");
}
