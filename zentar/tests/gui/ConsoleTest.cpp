// The terminal console through its widgets: how "Prompt" opens it and "ESCI" leaves it, its
// starting state, the terminal list with "CONNETTI" and "DISCONNETTI", and the command board
// against simulated terminals on a direct line, behind the network box and on a modem.
#include <numeric>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTabWidget>
#include <QTest>

#include "ConsoleSimulata.h"

using namespace zentar;

class ConsoleFinestra : public ConsoleSimulata {
protected:
    // Terminal 3 on a dial-up modem, connected from the console; the calls so far forgotten.
    void collegatoViaModem()
    {
        suLinea(kavex_test::withModem(kavex_test::makeDevice(3, 0, terminaleCon())));
        registra(3, {{"Portacom", kavex_test::kPort}, {"Modalita_col", 3}, {"Baudrate", 9600}, {"Parita", 0},
                     {"Indirizzo", 0}, {"Modem", true}, {"Telefono", "5551234"}, {"Modem_wait", 45}});
        apri();
        scegliInConsole(3);
        premi("btnConnetti");
        ASSERT_TRUE(sessione->device().modem->connected()) << testo("ConsoleMainErr").toStdString();
        kavex.chiamate.clear();
    }
};

TEST_F(ConsoleFinestra, PromptShowsTheConsoleInItsStartingStateInPlaceOfTheMainWindow)
{
    registra(5, {{"Descrizione", "Uscita"}});
    registra(2, {{"Descrizione", "Ingresso"}});
    EXPECT_FALSE(frmPrompt().isVisible()) << "made hidden at start";
    apri();
    EXPECT_FALSE(frmMain().isVisible());
    EXPECT_EQ(frmPrompt().windowTitle(), "Zentar");
    EXPECT_EQ(frmPrompt().pos(), QPoint(200, 100));
    EXPECT_EQ(frmPrompt().windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint), Qt::WindowFlags())
        << "no close box and no system menu";

    auto* pagine = console<QTabWidget>("PageControl1");
    QStringList schede, titoli;
    for (int i = 0; i < pagine->count(); ++i) {
        schede << pagine->widget(i)->objectName();
        titoli << pagine->tabText(i);
    }
    EXPECT_EQ(schede, QStringList({"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "Kavex"}));
    EXPECT_EQ(titoli, QStringList({"Rilevatori", "Finestra dei Comandi", "Gestione File", "Altre Funzioni", "Kavex"}));

    auto* lista = console<QListView>("lstVRN");
    QStringList righe;
    for (int r = 0; r < lista->model()->rowCount(); ++r)
        righe << lista->model()->index(r, lista->modelColumn()).data().toString();
    EXPECT_EQ(righe, QStringList({"Ingresso", "Uscita"})) << "descriptions in the order of the codes";
    EXPECT_TRUE(lista->selectionModel()->selectedIndexes().isEmpty());

    const struct {
        const char* nome;
        const char* testo;
        bool abilitato;
    } pulsanti[] = {
        {"Button1", "ESCI", true},          {"btnConnetti", "CONNETTI", true},   {"btnDisconnetti", "DISCONNETTI", false},
        {"btnHelp", "?", false},            {"btnSendCmd", "Invia Comando", true}, {"btnRebootVRN", "Riavvia", true},
        {"btnClear", "Pulisci", true},      {"btnListFile", "Lista dei File", true}, {"btnRecive", "Ricevi", true},
        {"btnDelete", "Cancella", true},    {"btnLoad", "Carica", true},         {"btnSend", "Invia", true},
        {"btnReadTime", "Leggi", true},     {"btnWriteDate", "Salva", false},    {"Button2", "Leggi", true},
        {"btnWriteTime", "Salva", false},   {"btnReadPar", "Leggi", false},      {"btnWritePar", "Salva", false},
        {"btnBD", "<-", true},              {"btnDB", "->", true},               {"Exe_Init", "!", true},
        {"Exe_ChgAdapter", "!", true},      {"Exe_SetIP", "!", true},            {"Exe_SetMaster", "!", true},
        {"Exe_DialNumber", "!", true},      {"Exe_SetVRN", "!", true},           {"Exe_HangUp", "!", true},
        {"Exe_Exit", "!", true},
    };
    for (const auto& p : pulsanti) {
        EXPECT_EQ(console<QAbstractButton>(p.nome)->text(), p.testo) << p.nome;
        EXPECT_EQ(attivo(p.nome), p.abilitato) << p.nome;
    }

    const struct {
        const char* nome;
        const char* testo;
    } campi[] = {{"ConsoleErr", ""}, {"edtLineCmd", ""}, {"fileVRN", ""},   {"fileLCL", ""},  {"edtDate", "00-00-0000"},
                 {"edtTime", "00.00.00"}, {"edtParCod", ""}, {"edtParVal", ""}, {"edtDec", ""},  {"edtBinCopy", ""},
                 {"nPort", ""},      {"nDevice", ""},    {"nBaud", ""},     {"nPar", ""},     {"nIPMaster", ""},
                 {"nIPVRN", ""},     {"nMIPMaster", ""}, {"nInit", ""},     {"nNumber", ""},  {"nWait", ""},
                 {"nSELVO", ""}};
    for (const auto& c : campi)
        EXPECT_EQ(campo(c.nome)->text(), c.testo) << c.nome;
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(campo(qPrintable(QStringLiteral("bit%1").arg(k)))->text(), "0") << k;
    for (const char* nome : {"ConsoleErr", "fileVRN", "edtBinCopy"})
        EXPECT_TRUE(campo(nome)->isReadOnly()) << nome;
    for (const char* nome : {"Reply_Init", "Reply_ChgAdapter", "Reply_SetIP", "Reply_SetMaster", "Reply_DialNumber",
                             "Reply_SetVRN", "Reply_HangUP", "Reply_Exit"})
        EXPECT_EQ(console<QLabel>(nome)->text(), "") << nome;
    EXPECT_TRUE(console<QPlainTextEdit>("ListReply")->isReadOnly());
    EXPECT_TRUE(console<QPlainTextEdit>("ListReply")->toPlainText().isEmpty());
    EXPECT_EQ(console<QListWidget>("ListFile")->count(), 0);
    EXPECT_TRUE(console<QRadioButton>("rgDriveA")->isChecked());
    EXPECT_FALSE(console<QLabel>("lblDirLoad")->isVisible());

    auto* comandi = console<QComboBox>("cmbCommand");
    EXPECT_TRUE(comandi->isEditable());
    EXPECT_EQ(comandi->currentText(), "");
    QStringList voci;
    for (int i = 0; i < comandi->count(); ++i)
        voci << comandi->itemText(i);
    EXPECT_EQ(voci, QStringList({"",      "BYE",     "CD",      "CFG",    "CONSIDLE", "COPY",   "DATE",
                                 "DBA",   "DBC",     "DBL",     "DBS",    "DBU",      "DBZ",    "DEL",
                                 "HT",    "IDLE",    "LOAD",    "LOADP",  "LOGOFF",   "LOGON",  "MEM",
                                 "OFF!",  "OFFLINE", "ONLINE",  "PRINT",  "PROC",     "PW",     "REN",
                                 "SPACE", "TIME",    "TYPE",    "TYPE CFGS", "%XI",   "%%"}));
    EXPECT_TRUE(kavex.chiamate.isEmpty()) << "opening talks to no terminal";
}

TEST_F(ConsoleFinestra, EsciHangsUpClosesTheDeviceAndGoesBackKeepingTheSelection)
{
    collegatoViaModem();
    ASSERT_FALSE(HasFatalFailure());

    premi("Button1");

    EXPECT_EQ(kavex.chiamate, QStringList({"HangUp", "ExitCOMM"}));
    EXPECT_FALSE(sessione->device().modem->connected());
    EXPECT_EQ(console<QLabel>("Reply_HangUP")->text(), "0");
    EXPECT_EQ(console<QLabel>("Reply_Exit")->text(), "0");
    EXPECT_EQ(messaggio(), "Chiamata Chiusa") << "the hang-up's text, not the ExitCOMM row's";
    EXPECT_TRUE(frmMain().isVisible());
    EXPECT_FALSE(frmPrompt().isVisible());
    EXPECT_EQ(stato().CodiceTerminale, 3);
    EXPECT_EQ(stato().TerminaleAttivo, 3);
    EXPECT_TRUE(dialogs.shown.empty());

    apri();
    EXPECT_EQ(console<QLabel>("Reply_Exit")->text(), "0") << "the console keeps its contents";
    EXPECT_FALSE(attivo("btnConnetti"));
}

TEST_F(ConsoleFinestra, ClosedByTheWindowManagerTheConsoleDoesWhatEsciDoes)
{
    collegatoViaModem();
    ASSERT_FALSE(HasFatalFailure());

    EXPECT_TRUE(frmPrompt().close());  // Alt+F4

    EXPECT_EQ(kavex.chiamate, QStringList({"HangUp", "ExitCOMM"}));
    EXPECT_FALSE(sessione->device().modem->connected());
    EXPECT_TRUE(frmMain().isVisible()) << "a window is left on screen";
    EXPECT_FALSE(frmPrompt().isVisible());
}

// ---- The terminal list, CONNETTI and DISCONNETTI ----

TEST_F(ConsoleFinestra, AClickInTheListSelectsTheTerminalForTheWholeProgram)
{
    registra(3, {{"Descrizione", "Ingresso"}});
    registra(4, {{"Descrizione", "Uscita"}});
    registra(0, {{"Descrizione", "Senza codice"}});
    registra(6, {{"Descrizione", "Lontano"}, {"PercorsoPRE", QDir(cartella.path()).filePath("manca/6")}});
    apri();

    scegliInConsole(4);
    EXPECT_EQ(stato().CodiceTerminale, 4);
    EXPECT_EQ(stato().TerminaleAttivo, 4);
    EXPECT_EQ(stato().DescrizioneTerminale, "Uscita");
    EXPECT_EQ(stato().CartellaPRE, QDir(cartella.path()).filePath("Timbrature/4"));
    EXPECT_TRUE(QDir(stato().CartellaPRE).exists());
    EXPECT_EQ(db().tblRilevatori()->record(db().RigaCorrente()).value("Codice").toInt(), 4);
    EXPECT_EQ(principale<QLabel>("lblState")->text(), "Uscita") << "the main window shows the selection";
    EXPECT_TRUE(dialogs.shown.empty());

    dialogs.answers = {Answer::Ok};
    scegliInConsole(0);
    EXPECT_EQ(dialogs.texts(), QStringList{"Selezionare Un Terminale"});
    EXPECT_EQ(stato().CodiceTerminale, 4) << "a line without a code changes nothing";

    dialogs.shown.clear();
    dialogs.answers = {Answer::Ok};
    scegliInConsole(6);
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Impossibile Creare la Cartella di Destinazione\rNon Scaricare Nessuna Timbratura"});
    EXPECT_EQ(stato().CodiceTerminale, 0);
    EXPECT_EQ(stato().TerminaleAttivo, 0);
    EXPECT_EQ(principale<QLabel>("lblState")->text(), "SELEZIONARE UN RILEVATORE");
}

TEST_F(ConsoleFinestra, ConnettiNeedsASelectedTerminalAndReportsAFailureInTheMainWindow)
{
    apri();
    dialogs.answers = {Answer::Ok};
    premi("btnConnetti");
    EXPECT_EQ(dialogs.texts(), QStringList{"Selezionare un Terminale"});
    EXPECT_TRUE(kavex.chiamate.isEmpty());

    dialogs.shown.clear();
    registra(5, {{"Portacom", 9}, {"Modalita_col", 3}, {"Baudrate", 9600}, {"Parita", 0}});
    scegliInConsole(5);
    premi("btnConnetti");
    EXPECT_EQ(testo("ConsoleMainErr"), "InitCOMM Fallita = -1");
    EXPECT_TRUE(dialogs.shown.empty()) << "the reason is only in the main window's line";
    EXPECT_TRUE(attivo("btnConnetti"));
    EXPECT_FALSE(attivo("btnDisconnetti"));
    EXPECT_EQ(stato().TerminaleAttivo, 0);
}

TEST_F(ConsoleFinestra, BehindTheNetworkBoxConnettiAndDisconnettiSwapOnlyOnce)
{
    collegatoInScatola(terminaleCon(), "TabSheet1");
    if (IsSkipped())
        return;
    EXPECT_FALSE(attivo("btnConnetti"));
    EXPECT_EQ(stato().TerminaleAttivo, 3);
    EXPECT_EQ(testo("ConsoleMainErr"), "");
    EXPECT_FALSE(abilitato("btnDisconnetti")) << "the console's connect leaves the main window's controls";
    EXPECT_EQ(scatola->engine().settings().master, indirizzoLocale.toStdString());
    // The connection's working fields on the Kavex tab show what it used.
    EXPECT_EQ(campo("nIPMaster")->text(), indirizzoLocale);
    EXPECT_EQ(campo("nIPVRN")->text(), "127.0.0.2");
    EXPECT_EQ(campo("nMIPMaster")->text(), "M" + indirizzoLocale);

    premi("btnDisconnetti");
    EXPECT_EQ(kavex.chiamate, QStringList({"LbxCommand M127.0.0.9", "LbxCommand %", "ExitCOMM"}));
    EXPECT_FALSE(attivo("btnDisconnetti"));
    EXPECT_FALSE(attivo("btnConnetti")) << "a disconnect re-enables only the main window's connect";
    EXPECT_EQ(scatola->engine().settings().master, "127.0.0.9");
    EXPECT_EQ(campo("nMIPMaster")->text(), "M127.0.0.9");
    EXPECT_EQ(stato().TerminaleAttivo, 3) << "a disconnect leaves the active terminal";
}

TEST_F(ConsoleFinestra, DisconnettiStaysAfterAFailedDisconnectAndIsIdleWithoutAnActiveTerminal)
{
    collegatoInScatola(terminaleCon(), "TabSheet1");
    if (IsSkipped())
        return;
    scatola->engine().setFaults({.errorAnswers = 1});
    premi("btnDisconnetti");
    EXPECT_EQ(kavex.chiamate, QStringList({"LbxCommand M127.0.0.9", "ExitCOMM"})) << "the device is closed anyway";
    EXPECT_TRUE(attivo("btnDisconnetti"));

    registra(6, {{"PercorsoPRE", QDir(cartella.path()).filePath("manca/6")}});
    dialogs.answers = {Answer::Ok};
    scegliInConsole(6);
    ASSERT_EQ(stato().TerminaleAttivo, 0);
    kavex.chiamate.clear();
    premi("btnDisconnetti");
    EXPECT_TRUE(kavex.chiamate.isEmpty());
    EXPECT_TRUE(attivo("btnDisconnetti"));
}

TEST_F(ConsoleFinestra, PickingAnotherTerminalDisconnectsTheSelectedOneAndEmptiesTheMainList)
{
    collegatoSuLinea({{"PRE51231", {"0815300000012340"}}});
    ASSERT_EQ(principale<QListWidget>("listFilePre")->count(), 1);
    registra(4, {{"Descrizione", "Uscita"}});
    apri();
    scegliInConsole(4);
    ASSERT_FALSE(kavex.chiamate.isEmpty());
    EXPECT_EQ(kavex.chiamate.back(), "ExitCOMM");
    EXPECT_FALSE(abilitato("btnDisconnetti")) << "the main window is left not connected";
    EXPECT_EQ(coloreIndicatore(), kSpento);
    EXPECT_EQ(principale<QListWidget>("listFilePre")->count(), 0);
    EXPECT_EQ(stato().CodiceTerminale, 4);
    EXPECT_EQ(stato().TerminaleAttivo, 4);
}

// ---- The command board ----

class ConsoleComandi : public ConsoleSimulata {
protected:
    // The text of the drop-down list: its item when there is one, else typed.
    void comando(const QString& testo)
    {
        auto* lista = console<QComboBox>("cmbCommand");
        const int voce = lista->findText(testo);
        if (voce >= 0)
            lista->setCurrentIndex(voce);
        else
            lista->setEditText(testo);
        ASSERT_EQ(lista->currentText(), testo);
    }
    // The command line as the operator types it.
    void riga(const QString& testo)
    {
        campo("edtLineCmd")->clear();
        QTest::keyClicks(campo("edtLineCmd"), testo);
    }
};

TEST_F(ConsoleComandi, TheListAndTheLineMakeTheCommandAndASingleQuestionedEchoIsReported)
{
    collegatoInConsole(terminaleCon(), "TabSheet2");
    const struct {
        const char* comando;
        const char* riga;
        const char* inviato;
        QStringList aggiunte;  // to the board
        const char* messaggio;
    } casi[] = {
        {"", "@time", "@TIME\r", {"@TIME 081530"}, ""},
        {"TIME", "", "TIME \r", {}, "Comando 'TIME ' non Valido"},
        {"@CFG", "07", "@CFG 07\r", {"@CFG 07 0"}, ""},
        {"CFG", " 07", "CFG  07\r", {}, "Comando 'CFG  07' non Valido"},
        {"", "@cfg 07", "@CFG 07\r", {"@CFG 07 0"}, ""},
    };
    QStringList attesa;
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.inviato);
        comando(caso.comando);
        riga(caso.riga);
        campo("ConsoleErr")->setText("vecchio");
        kavex.chiamate.clear();

        premi("btnSendCmd");

        EXPECT_EQ(kavex.chiamate, QStringList{QStringLiteral("PostCommand ") + caso.inviato});
        attesa << caso.aggiunte;
        EXPECT_EQ(bacheca(), attesa);
        EXPECT_EQ(messaggio(), caso.messaggio);
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ConsoleComandi, TheQuestionedEchoAmongSeveralLinesGoesOnTheBoard)
{
    sim::TerminalConfig config = terminaleCon({{"NOTE", {"@TYPE NOTE ??"}}});
    collegatoInScatola(config, "TabSheet2");
    if (IsSkipped())
        return;
    riga("@TYPE NOTE");
    campo("ConsoleErr")->setText("vecchio");

    premi("btnSendCmd");

    EXPECT_EQ(kavex.chiamate, QStringList{"PostCommand @TYPE NOTE"}) << "no carriage return behind the box";
    const std::string record = "@TYPE NOTE ??";
    const int somma = std::accumulate(record.begin(), record.end(), 0);
    EXPECT_EQ(bacheca(), QStringList({"@TYPE NOTE", "@TYPE NOTE ??", QStringLiteral("\x04" "1 RECS %1").arg(somma)}));
    EXPECT_EQ(messaggio(), "");
}

TEST_F(ConsoleComandi, ThePlaceholderAppearsOnAnEmptyLineAndIsNeverSent)
{
    collegatoInConsole(terminaleCon(), "TabSheet2");
    attiva();
    QLineEdit* linea = campo("edtLineCmd");
    const QString segnaposto = QStringLiteral(" INSERISCI QUI IL COMANDO DA INVIARE AL TERMINALE");
    linea->setFocus();
    console<QWidget>("cmbCommand")->setFocus();
    EXPECT_EQ(linea->text(), segnaposto);
    EXPECT_EQ(linea->palette().color(QPalette::Text), QColor(128, 128, 128));

    const struct {
        const char* comando;
        const char* inviato;
    } casi[] = {{"%XI", "PostCommand %XI \r"}, {"", "PostCommand \r"}};
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.comando);
        comando(caso.comando);
        kavex.chiamate.clear();
        premi("btnSendCmd");
        EXPECT_EQ(kavex.chiamate, QStringList{caso.inviato});
        EXPECT_EQ(linea->text(), segnaposto) << "the line keeps it";
    }

    linea->setFocus();
    EXPECT_EQ(linea->text(), "");
    EXPECT_EQ(linea->palette().color(QPalette::Text), QColor(Qt::black));
    QTest::keyClicks(linea, "abc");
    console<QWidget>("cmbCommand")->setFocus();
    EXPECT_EQ(linea->text(), "ABC") << "a typed line is kept, in upper case";
}

TEST_F(ConsoleComandi, RiavviaAddsTheRepliesAndAnEmptyLineAndPulisciEmptiesTheBoard)
{
    collegatoInConsole(terminaleCon(), "TabSheet2");
    riga("@TIME");
    premi("btnSendCmd");
    ASSERT_EQ(bacheca(), QStringList{"@TIME 081530"});

    premi("btnRebootVRN");
    EXPECT_EQ(kavex.chiamate.filter("PostCommand"), QStringList({"PostCommand @TIME\r", "PostCommand %%\r"}));
    EXPECT_EQ(bacheca(), QStringList({"@TIME 081530", "RESTART", ""}));

    premi("btnClear");
    EXPECT_EQ(bacheca(), QStringList());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ConsoleComandi, ACommandThatCannotBePostedIsReportedAndNothingIsRead)
{
    registra(3, {});
    apri();
    scegliInConsole(3);
    scheda("TabSheet2");
    console<QPlainTextEdit>("ListReply")->setPlainText("prima");
    const struct {
        const char* pulsante;
        const char* messaggio;
        const char* riga;  // the message line afterwards, "vecchio" before
    } casi[] = {{"btnSendCmd", "Errore durante l'invio del comando (\"@TIME\").", ""},
                {"btnRebootVRN", "Errore durante l'invio del comando (\"%%\").", "vecchio"}};
    riga("@TIME");
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.pulsante);
        dialogs.shown.clear();
        dialogs.answers = {Answer::Ok};
        campo("ConsoleErr")->setText("vecchio");
        premi(caso.pulsante);
        EXPECT_EQ(dialogs.texts(), QStringList{caso.messaggio});
        EXPECT_EQ(bacheca(), QStringList{"prima"});
        EXPECT_EQ(messaggio(), caso.riga);
    }
}
