// The main window and the terminal chooser on their own: the start-up state, the selection
// through the chooser, the enabling rules, the parameter, the restart, "Apri Cartella" and the
// ways out of the program.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSqlTableModel>
#include <QTableView>
#include <QTest>

#include "FinestreSimulate.h"
#include "TerminalState.h"

using namespace zentar;

namespace {

const char* const kControlliDellaConnessione[] = {"btnSelectAll", "btnRefresh", "chkDelete", "listFilePre",
                                                  "edtParCod",    "edtParVal",  "btnReboot", "btnDisconnetti"};

}  // namespace

class FinestraPrincipale : public FinestreSimulate {};

TEST_F(FinestraPrincipale, StartsWithNoTerminalSelectedAndOnlyItselfShown)
{
    EXPECT_EQ(frmMain().windowTitle(), "Zentar");
    EXPECT_EQ(frmMain().pos(), QPoint(200, 100));
    EXPECT_TRUE(frmMain().isVisible());
    EXPECT_FALSE(frmChooseVRN().isVisible());
    EXPECT_EQ(frmMain().windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint), Qt::WindowFlags());

    auto* stato = principale<QLabel>("lblState");
    EXPECT_EQ(stato->text(), "SELEZIONARE UN RILEVATORE");
    EXPECT_EQ(stato->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(stato->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(principale<QLabel>("Label1")->text(), "TIMBRATURE PRESENTI");
    EXPECT_FALSE(principale<QLabel>("Image1")->isVisible());
    EXPECT_EQ(principale<QLabel>("Image1")->pixmap().size(), QSize(16, 16));

    for (const char* nome : {"btnSelectAll", "btnRefresh", "chkDelete", "btnScarica", "btnDelete", "edtParCod",
                             "edtParVal", "btnReadPar", "btnWritePar", "btnReboot", "btnConnetti", "btnDisconnetti"})
        EXPECT_FALSE(abilitato(nome)) << nome;
    EXPECT_TRUE(abilitato("SpeedButton1"));
    EXPECT_FALSE(principale<QCheckBox>("chkDelete")->isChecked());

    QStringList menu;
    for (QAction* voce : frmMain().menuBar()->actions())
        menu << voce->text();
    EXPECT_EQ(menu, QStringList({"Rilevatore", "Timbrature", "Impostazioni", "Esci"}));
    EXPECT_EQ(principale<QAction>("mmFilNuovo")->text(), "Seleziona");
    EXPECT_EQ(principale<QAction>("Esporta1")->text(), "Esporta");
    EXPECT_EQ(principale<QAction>("mmImpConfigurazione")->text(), "Configurazione");
    EXPECT_EQ(principale<QAction>("Prompt1")->text(), "Prompt");
}

TEST_F(FinestraPrincipale, TheStateLineOpensTheChooserAndAnnullaComesBack)
{
    registra(1, {{"Descrizione", "Ingresso"}});
    clic("lblState");
    EXPECT_FALSE(frmMain().isVisible());
    ASSERT_TRUE(frmChooseVRN().isVisible());
    EXPECT_EQ(in<QLabel>(frmChooseVRN(), "Label2")->text(), "SELEZIONARE UN RILEVATORE");
    EXPECT_FALSE(in<QWidget>(frmChooseVRN(), "btnSeleziona")->isEnabled()) << "until the list is clicked";

    clic(in<QWidget>(frmChooseVRN(), "btnAnnulla"));
    EXPECT_TRUE(frmMain().isVisible());
    EXPECT_FALSE(frmChooseVRN().isVisible());
    EXPECT_EQ(stato().CodiceTerminale, 0);

    principale<QAction>("mmFilNuovo")->trigger();
    EXPECT_TRUE(frmChooseVRN().isVisible()) << "the menu item does the same";
}

TEST_F(FinestraPrincipale, ASelectedTerminalIsShownByDescriptionOrByCode)
{
    const struct {
        int codice;
        const char* descrizione;
        const char* mostrato;
    } casi[] = {{3, "Ingresso", "Ingresso"}, {7, "", "Terminale 7 Selezionato"}};
    for (const auto& caso : casi)
        registra(caso.codice, {{"Descrizione", caso.descrizione}});
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.codice);
        scegli(caso.codice);
        EXPECT_TRUE(frmMain().isVisible());
        EXPECT_FALSE(frmChooseVRN().isVisible());
        EXPECT_EQ(stato().CodiceTerminale, caso.codice);
        EXPECT_EQ(stato().TerminaleAttivo, caso.codice);
        EXPECT_EQ(stato().CartellaPRE, QDir(cartella.path()).filePath(QStringLiteral("Timbrature/%1").arg(caso.codice)));
        EXPECT_TRUE(QDir(stato().CartellaPRE).exists());
        auto* etichetta = principale<QLabel>("lblState");
        EXPECT_EQ(etichetta->text(), caso.mostrato);
        EXPECT_EQ(etichetta->palette().color(QPalette::WindowText), QColor(Qt::black));
        EXPECT_TRUE(abilitato("btnConnetti"));
        EXPECT_FALSE(abilitato("btnDisconnetti"));
    }
    EXPECT_TRUE(dialogs.shown.empty());

    clic("lblState");
    auto* lista = in<QTableView>(frmChooseVRN(), "lstVRN");
    ASSERT_EQ(lista->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(lista->selectionModel()->selectedRows().front().row(), db().RigaCorrente());
    EXPECT_EQ(frmChooseVRN().Chiave(), 7) << "the chooser opens on the selected terminal";
    EXPECT_TRUE(in<QWidget>(frmChooseVRN(), "btnSeleziona")->isEnabled()) << "stays enabled after the first click";
}

TEST_F(FinestraPrincipale, AFolderThatCannotBeMadeLeavesNoTerminalSelected)
{
    registra(1, {{"Descrizione", "Lontano"}, {"PercorsoPRE", QDir(cartella.path()).filePath("manca/1")}});
    dialogs.answers = {Answer::Ok};
    scegli(1);
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Impossibile Creare la Cartella di Destinazione\rNon Scaricare Nessuna Timbratura"});
    EXPECT_FALSE(frmChooseVRN().isVisible());
    EXPECT_TRUE(frmMain().isVisible());
    EXPECT_EQ(stato().CodiceTerminale, 0);
    EXPECT_EQ(stato().TerminaleAttivo, 0);
    EXPECT_EQ(principale<QLabel>("lblState")->text(), "SELEZIONARE UN RILEVATORE");
    EXPECT_FALSE(abilitato("btnConnetti")) << "nothing to connect to: the shown window checks the selection last";

    // With no terminal highlighted, "Seleziona" (enabled since the first click) changes nothing.
    clic("lblState");
    EXPECT_EQ(frmChooseVRN().Chiave(), 0);
    dialogs.answers = {Answer::Ok};
    clic(in<QWidget>(frmChooseVRN(), "btnSeleziona"));
    EXPECT_EQ(dialogs.texts().back(), "Selezionare Un Terminale");
    EXPECT_TRUE(frmChooseVRN().isVisible());
}

TEST_F(FinestraPrincipale, ConnectedTheControlsAndTheMenuFollowTheState)
{
    collegatoSuLinea({{"PRE51231", {"0815300000012340"}}});
    EXPECT_EQ(coloreIndicatore(), kAcceso);
    for (const char* nome : kControlliDellaConnessione)
        EXPECT_TRUE(abilitato(nome)) << nome;
    for (const char* nome : {"btnConnetti", "btnScarica", "btnDelete", "btnReadPar", "btnWritePar"})
        EXPECT_FALSE(abilitato(nome)) << nome;
    for (QAction* voce : frmMain().menuBar()->actions())
        EXPECT_FALSE(voce->isEnabled()) << voce->text().toStdString();
    EXPECT_EQ(principale<QListWidget>("listFilePre")->count(), 1);

    clic("btnDisconnetti");
    EXPECT_EQ(kavex.chiamate, QStringList{"ExitCOMM"});
    EXPECT_EQ(coloreIndicatore(), kSpento);
    for (const char* nome : kControlliDellaConnessione)
        EXPECT_FALSE(abilitato(nome)) << nome;
    EXPECT_TRUE(abilitato("btnConnetti"));
    EXPECT_EQ(principale<QListWidget>("listFilePre")->count(), 0);
    for (QAction* voce : frmMain().menuBar()->actions())
        EXPECT_TRUE(voce->isEnabled()) << voce->text().toStdString();
}

TEST_F(FinestraPrincipale, TickingDaysEnablesScaricaAndElimina)
{
    collegatoSuLinea({{"PRE51230", {}}, {"PRE51231", {}}});
    auto* lista = principale<QListWidget>("listFilePre");
    ASSERT_EQ(lista->count(), 2);
    EXPECT_FALSE(abilitato("btnScarica"));

    lista->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(frmMain().ContaSelezionati(), 1);
    EXPECT_TRUE(abilitato("btnScarica"));
    EXPECT_TRUE(abilitato("btnDelete"));
    lista->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(abilitato("btnScarica"));
    EXPECT_FALSE(abilitato("btnDelete"));

    clic("btnSelectAll");
    EXPECT_EQ(frmMain().ContaSelezionati(), 2);
    EXPECT_TRUE(abilitato("btnScarica"));

    clic("btnRefresh");
    EXPECT_FALSE(abilitato("btnScarica"));
    EXPECT_EQ(frmMain().ContaSelezionati(), 0);
    EXPECT_EQ(lista->count(), 2);

    // "Seleziona Tutto" on an empty list enables neither button.
    terminale().command("@DEL PRE51230");
    terminale().command("@DEL PRE51231");
    clic("btnRefresh");
    ASSERT_EQ(lista->count(), 0);
    clic("btnSelectAll");
    EXPECT_FALSE(abilitato("btnScarica"));
    EXPECT_FALSE(abilitato("btnDelete"));
}

TEST_F(FinestraPrincipale, EveryClickInTheListReevaluatesScaricaAndElimina)
{
    collegatoSuLinea({{"PRE51230", {}}, {"PRE51231", {}}});
    auto* lista = principale<QListWidget>("listFilePre");
    ASSERT_EQ(lista->count(), 2);
    lista->item(0)->setCheckState(Qt::Checked);
    frmMain().DisabilitaScaricaElimina();
    ASSERT_FALSE(abilitato("btnScarica"));

    // A click on the other day's text: no tick changes, one day stays ticked.
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualItemRect(lista->item(1)).center());
    EXPECT_EQ(frmMain().ContaSelezionati(), 1);
    EXPECT_TRUE(abilitato("btnScarica"));
    EXPECT_TRUE(abilitato("btnDelete"));
}

TEST_F(FinestraPrincipale, ShownAgainWhileConnectedConnettiStaysDisabled)
{
    collegatoSuLinea({{"PRE51231", {}}});
    ASSERT_FALSE(abilitato("btnConnetti"));
    frmMain().showMinimized();
    frmMain().hide();
    frmMain().showNormal();  // restored
    EXPECT_FALSE(abilitato("btnConnetti"));
    EXPECT_TRUE(abilitato("btnDisconnetti"));

    clic("btnDisconnetti");
    frmMain().hide();
    frmMain().show();
    EXPECT_TRUE(abilitato("btnConnetti")) << "disconnected, the selected terminal can be connected again";
}

TEST_F(FinestraPrincipale, EnterInTheChooserPressesSeleziona)
{
    registra(1, {{"Descrizione", "Ingresso"}});
    registra(2, {{"Descrizione", "Uscita"}});
    clic("lblState");
    auto* lista = in<QTableView>(frmChooseVRN(), "lstVRN");
    QTest::keyClick(lista, Qt::Key_Return);
    EXPECT_TRUE(frmChooseVRN().isVisible()) << "Seleziona is disabled until the list is clicked";
    EXPECT_EQ(stato().CodiceTerminale, 0);

    const int colonna = db().tblRilevatori()->fieldIndex("Descrizione");
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {},
                      lista->visualRect(db().tblRilevatori()->index(1, colonna)).center());
    QTest::keyClick(lista, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(stato().CodiceTerminale, 2);
    EXPECT_TRUE(frmMain().isVisible());
    EXPECT_FALSE(frmChooseVRN().isVisible());
}

TEST_F(FinestraPrincipale, TheParameterIsReadAndWrittenByNumber)
{
    collegatoSuLinea({});
    const struct {
        const char* numero;
        bool leggiAbilitato;
    } numeri[] = {{"12a", false}, {"", false}, {"-1", false}, {" 12", false}, {"12", true}};
    auto* codice = principale<QLineEdit>("edtParCod");
    for (const auto& caso : numeri) {
        codice->setText(caso.numero);
        EXPECT_EQ(abilitato("btnReadPar"), caso.leggiAbilitato) << caso.numero;
    }
    auto* valore = principale<QLineEdit>("edtParVal");
    valore->setText("x");
    EXPECT_TRUE(abilitato("btnWritePar"));
    valore->clear();
    EXPECT_FALSE(abilitato("btnWritePar"));

    terminale().command("@CFG 12 ABC");
    clic("btnReadPar");
    EXPECT_EQ(valore->text(), "ABC");
    EXPECT_EQ(testo("ConsoleMainErr"), "");

    valore->setText("XYZ");
    clic("btnWritePar");
    EXPECT_EQ(testo("ConsoleMainErr"), "0 : Salvataggio Eseguito. Eseguire un Riavvio");
    EXPECT_EQ(terminale().parameter(12), "XYZ");

    codice->setText("120");
    clic("btnReadPar");
    EXPECT_EQ(testo("ConsoleMainErr"), "-1") << "the library refuses the number";
    clic("btnWritePar");
    EXPECT_EQ(testo("ConsoleMainErr"), "-1");
    EXPECT_EQ(kavex.chiamate, QStringList({"GetParameter 12", "SetParameter 12 XYZ", "GetParameter 120",
                                           "SetParameter 120 XYZ"}));
}

TEST_F(FinestraPrincipale, ANumberTooLargeIsDroppedByTheErrorHookWithoutAMessage)
{
    collegatoSuLinea({});
    principale<QLineEdit>("edtParCod")->setText("99999999999");
    principale<QLineEdit>("edtParVal")->setText("1");
    principale<QLineEdit>("ConsoleMainErr")->setText("vecchio");
    for (const char* pulsante : {"btnReadPar", "btnWritePar"}) {
        SCOPED_TRACE(pulsante);
        testing::internal::CaptureStderr();
        clic(pulsante);
        const std::string registro = testing::internal::GetCapturedStderr();
        EXPECT_NE(registro.find("operation abandoned"), std::string::npos) << registro;
        EXPECT_NE(registro.find("99999999999"), std::string::npos) << registro;
    }
    EXPECT_TRUE(kavex.chiamate.isEmpty()) << "nothing is sent";
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(testo("ConsoleMainErr"), "");
    EXPECT_EQ(principale<QLineEdit>("edtParVal")->text(), "1");
}

TEST_F(FinestraPrincipale, TheRestartButtonSendsTheRestartCommand)
{
    collegatoSuLinea({});
    clic("btnReboot");
    EXPECT_EQ(kavex.chiamate, QStringList{"PostCommand %%\r"}) << "one CR on an RS232 line";
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(FinestraPrincipale, ApriCartellaOpensTheSelectedTerminalsFolder)
{
    dialogs.answers = {Answer::Ok};
    clic("SpeedButton1");
    EXPECT_EQ(dialogs.texts(), QStringList{"Selezionare un Rilevatore"});
    EXPECT_TRUE(dialogs.foldersShown.isEmpty());

    registra(4, {});
    scegli(4);
    ASSERT_TRUE(QDir(stato().CartellaPRE).removeRecursively());
    clic("SpeedButton1");
    EXPECT_TRUE(QDir(stato().CartellaPRE).exists()) << "made again before it is opened";
    EXPECT_EQ(dialogs.foldersShown, QStringList{stato().CartellaPRE});
}

TEST_F(FinestraPrincipale, EsciDisconnectsTheSelectedTerminalAndEndsTheProgram)
{
    collegatoSuLinea({});
    EXPECT_FALSE(principale<QAction>("Exit1")->isEnabled()) << "disabled while connected";
    clic("btnDisconnetti");
    kavex.chiamate.clear();

    principale<QAction>("Exit1")->trigger();
    EXPECT_EQ(kavex.chiamate, QStringList{"ExitCOMM"}) << "the selected terminal is disconnected first";
    EXPECT_EQ(terminazioni, 1);
}

TEST_F(FinestraPrincipale, ClosingTheWindowEndsTheProgramWithoutDisconnecting)
{
    collegatoSuLinea({});
    frmMain().close();
    EXPECT_EQ(terminazioni, 1);
    EXPECT_TRUE(kavex.chiamate.isEmpty());
}
