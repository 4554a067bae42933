// The export window: opened from the menu, its state line, the date check, the files it writes
// (one per day, other terminals left out, empty days), its refusals (end before start, dates
// that are not calendar dates, a cancelled folder dialog, no terminal selected), the error
// hook's message for the start field left incomplete, and the ways back.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "Errors.h"
#include "FinestreSimulate.h"
#include "TfrmExport.h"
#include "ZentarApplication.h"

using namespace zentar;

class Esporta : public FinestreSimulate {
protected:
    void SetUp() override
    {
        FinestreSimulate::SetUp();
        ASSERT_TRUE(uscita.isValid());
    }

    TfrmExport& frmExport() { return finestre->frmExport(); }
    template <typename T = QWidget>
    T* esporta(const char* nome)
    {
        return in<T>(frmExport(), nome);
    }
    QLineEdit* campo(const char* nome) { return esporta<QLineEdit>(nome); }

    // Terminal 3 registered and selected.
    void terminale3(const char* descrizione = "Reparto")
    {
        registra(3, {{"Descrizione", descrizione}});
        scegli(3);
    }

    // The window opened from the menu and made the active window, so that its fields take the focus.
    void apri()
    {
        principale<QAction>("Esporta1")->trigger();
        ASSERT_TRUE(frmExport().isVisible());
        frmExport().activateWindow();
        QApplication::setActiveWindow(&frmExport());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frmExport()));
    }

    // Types `cifre` over the field from its start, as the operator does, and leaves it with Tab;
    // what the leaving sets off afterwards has run on return.
    void scrivi(const char* nome, const QString& cifre)
    {
        QLineEdit* c = campo(nome);
        c->setFocus(Qt::MouseFocusReason);
        c->setCursorPosition(0);
        QTest::keyClicks(c, cifre);
        QTest::keyClick(c, Qt::Key_Tab);
        QCoreApplication::processEvents();
    }
    // Both dates typed as "ddmmyy" and checked.
    void intervallo(const QString& inizio, const QString& fine)
    {
        scrivi("mskDataInizio", inizio);
        scrivi("mskDataFine", fine);
    }
    // "Esporta" clicked with the folder dialog answered by `risposta`.
    void esportaIn(const std::optional<QString>& risposta)
    {
        dialogs.folderAnswers = {risposta};
        clic(esporta("btnExport"));
    }

    void timbratura(int terminale, const char* data, const char* ora, int verso, const char* badge)
    {
        db().InserisciTimbratura(
            {.ID = ++id_, .Terminale = terminale, .Data = data, .Badge = badge, .Verso = verso, .Ora = ora});
    }

    // The files of the chosen folder by name with their contents.
    std::map<QString, QByteArray> scritti() const
    {
        std::map<QString, QByteArray> file;
        for (const QString& nome : QDir(uscita.path()).entryList(QDir::Files)) {
            QFile f(QDir(uscita.path()).filePath(nome));
            file[nome] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
        }
        return file;
    }

    QString titolo() { return esporta<QLabel>("Label1")->text(); }
    QColor coloreTitolo(QPalette::ColorRole ruolo) { return esporta<QLabel>("Label1")->palette().color(ruolo); }
    bool esportaAttivo() { return esporta("btnExport")->isEnabled(); }

    QTemporaryDir uscita;  // the folder the operator chooses

private:
    int id_ = 0;
};

TEST_F(Esporta, TheMenuItemHidesTheMainWindowAndShowsTheWindowWithNoTerminalSelected)
{
    EXPECT_FALSE(frmExport().isVisible()) << "created hidden";
    apri();
    EXPECT_FALSE(frmMain().isVisible());
    EXPECT_FALSE(frmChooseVRN().isVisible());
    EXPECT_EQ(frmExport().windowTitle(), "Esporta Timbrature");
    EXPECT_EQ(frmExport().pos(), QPoint(200, 100));
    EXPECT_EQ(frmExport().windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint), Qt::WindowFlags());

    EXPECT_EQ(titolo(), "Inserire Un Intervallo Di Date");
    EXPECT_EQ(coloreTitolo(QPalette::WindowText), QColor(Qt::black));
    for (const char* nome : {"mskDataInizio", "mskDataFine"}) {
        EXPECT_EQ(campo(nome)->text(), "00/00/00") << nome;
        EXPECT_EQ(campo(nome)->inputMask(), "00/00/99;_") << nome;
    }
    EXPECT_EQ(esporta<QPushButton>("btnExport")->text(), "Esporta");
    EXPECT_EQ(esporta<QPushButton>("btnExit")->text(), "Esci");
    EXPECT_FALSE(esportaAttivo());
    EXPECT_TRUE(esporta("btnExit")->isEnabled());
    auto* stato = esporta<QLabel>("lblState");
    EXPECT_EQ(stato->text(), "SELEZIONARE UN DISPOSITIVO");
    EXPECT_EQ(stato->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(stato->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(Esporta, TheStateLineShowsTheSelectedTerminalByDescriptionOrByCode)
{
    const struct {
        int codice;
        const char* descrizione;
        const char* stato;
    } casi[] = {{3, "Reparto", "Reparto"}, {4, "", "Terminale 4 Selezionato"}};
    for (const auto& caso : casi) {
        registra(caso.codice, {{"Descrizione", caso.descrizione}});
        scegli(caso.codice);
        apri();
        auto* stato = esporta<QLabel>("lblState");
        EXPECT_EQ(stato->text(), caso.stato);
        EXPECT_EQ(stato->palette().color(QPalette::WindowText), QColor(Qt::black));
        EXPECT_EQ(stato->palette().color(QPalette::Window), frmExport().palette().color(QPalette::Button));
        EXPECT_TRUE(esportaAttivo()) << caso.stato;
        clic(esporta("btnExit"));
    }
}

TEST_F(Esporta, OneDayWritesOneFileWithTheTerminalsPunchesOnly)
{
    terminale3();
    timbratura(3, "15/03/2024", "08.15.30", 1, "00012345");
    timbratura(5, "15/03/2024", "08.20.00", 0, "00099999");
    timbratura(3, "15/03/2024", "17.02.01", 0, "00012345");
    timbratura(3, "16/03/2024", "08.00.00", 1, "00012345");
    apri();
    intervallo("150324", "150324");
    EXPECT_EQ(titolo(), "Inserire Un Intervallo Di Date");
    ASSERT_TRUE(esportaAttivo());

    esportaIn(uscita.path());
    ASSERT_EQ(dialogs.folderDialogs.size(), 1u);
    EXPECT_EQ(dialogs.folderDialogs[0].title, "Seleziona la cartella Dove Esportare le Timbrature:");
    EXPECT_EQ(dialogs.folderDialogs[0].startFolder, QDir::currentPath());
    EXPECT_EQ(scritti(), (std::map<QString, QByteArray>{{"PRE40315", "081530100012345\r\n170201000012345\r\n"}}));
    EXPECT_TRUE(dialogs.shown.empty()) << "nothing is reported at the end";
    EXPECT_TRUE(frmExport().isVisible());
}

TEST_F(Esporta, ARangeOverTheYearsEndWritesOneFilePerDayAndEmptyDaysAsEmptyFiles)
{
    terminale3();
    timbratura(3, "30/12/2019", "07.30.00", 1, "00000042");
    timbratura(7, "31/12/2019", "07.31.00", 1, "00000043");
    timbratura(3, "01/01/2020", "12.00.00", 0, "00000042");
    timbratura(3, "03/01/2020", "12.00.00", 0, "00000042");
    apri();
    intervallo("301219", "020120");
    esportaIn(uscita.path());
    EXPECT_EQ(scritti(), (std::map<QString, QByteArray>{{"PRE91230", "073000100000042\r\n"},
                                                        {"PRE91231", ""},
                                                        {"PRE00101", "120000000000042\r\n"},
                                                        {"PRE00102", ""}}));
}

TEST_F(Esporta, AFileThatCannotBeWrittenStopsTheExportAtThatDaySilently)
{
    // A folder in the place of the third day's file: the days before it are written, in date
    // order, the day after it is not.
    terminale3();
    ASSERT_TRUE(QDir(uscita.path()).mkdir("PRE00101"));
    apri();
    intervallo("301219", "020120");
    testing::internal::CaptureStderr();
    esportaIn(uscita.path());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(scritti(), (std::map<QString, QByteArray>{{"PRE91230", ""}, {"PRE91231", ""}}));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_NE(log.find("zentar: Esporta: operation abandoned"), std::string::npos) << log;
}

TEST_F(Esporta, EndBeforeStartShowsAMessageAndWritesNothing)
{
    terminale3();
    timbratura(3, "01/03/2024", "08.00.00", 1, "00000042");
    apri();
    intervallo("020324", "010324");
    ASSERT_TRUE(esportaAttivo()) << "the date check does not compare the dates";
    dialogs.answers = {Answer::Ok};
    clic(esporta("btnExport"));
    EXPECT_EQ(dialogs.texts(), QStringList{"Inserire una Data di Fine Maggiore"});
    EXPECT_TRUE(dialogs.folderDialogs.empty());
    EXPECT_TRUE(scritti().empty());
}

TEST_F(Esporta, ADateThatIsNotInTheCalendarDisablesEsportaAndIsShownOnceTheEndIsFilled)
{
    terminale3();
    apri();
    ASSERT_TRUE(esportaAttivo()) << "enabled by the selection";
    scrivi("mskDataInizio", "310224");
    EXPECT_FALSE(esportaAttivo());
    EXPECT_EQ(titolo(), "Inserire Un Intervallo Di Date") << "the end field still holds 00/00/00";

    scrivi("mskDataFine", "010324");
    EXPECT_FALSE(esportaAttivo());
    EXPECT_EQ(titolo(), "Inserire Una Data Corretta");
    EXPECT_EQ(coloreTitolo(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(coloreTitolo(QPalette::Window), frmExport().palette().color(QPalette::Highlight));

    scrivi("mskDataInizio", "290224");
    EXPECT_TRUE(esportaAttivo());
    EXPECT_EQ(titolo(), "Inserire Un Intervallo Di Date");
    EXPECT_EQ(coloreTitolo(QPalette::WindowText), QColor(Qt::black));
}

TEST_F(Esporta, DatesNeverCheckedWriteNothing)
{
    // "Esporta" is enabled by the selection while both fields hold 00/00/00, and a field can
    // change without being left: the export checks the dates again rather than writing a file
    // for a day that does not exist.
    terminale3();
    apri();
    ASSERT_TRUE(esportaAttivo());
    clic(esporta("btnExport"));
    EXPECT_TRUE(dialogs.folderDialogs.empty());
    EXPECT_FALSE(esportaAttivo());

    intervallo("010324", "020324");
    campo("mskDataFine")->setText("31/04/24");
    clic(esporta("btnExport"));
    EXPECT_TRUE(dialogs.folderDialogs.empty());
    EXPECT_FALSE(esportaAttivo());
    EXPECT_EQ(titolo(), "Inserire Una Data Corretta");
    EXPECT_TRUE(scritti().empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Esporta, CancellingTheFolderDialogWritesNothing)
{
    terminale3();
    timbratura(3, "01/03/2024", "08.00.00", 1, "00000042");
    apri();
    intervallo("010324", "010324");
    esportaIn(std::nullopt);
    EXPECT_EQ(dialogs.folderDialogs.size(), 1u);
    EXPECT_TRUE(scritti().empty());
    EXPECT_TRUE(QDir::current().entryList({"PRE*"}).isEmpty()) << "nor in the starting folder";
    EXPECT_TRUE(frmExport().isVisible());
}

TEST_F(Esporta, WithNoTerminalSelectedEsportaOpensTheChooser)
{
    registra(3, {{"Descrizione", "Reparto"}});
    apri();
    ASSERT_FALSE(esportaAttivo());
    intervallo("010324", "020324");
    ASSERT_TRUE(esportaAttivo()) << "a valid date pair enables it";
    clic(esporta("btnExport"));
    EXPECT_TRUE(frmChooseVRN().isVisible());
    EXPECT_FALSE(frmExport().isVisible());
    EXPECT_TRUE(dialogs.folderDialogs.empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Esporta, ADoubleClickOnTheStateLineOpensTheChooserOverTheWindow)
{
    registra(3, {{"Descrizione", "Reparto"}});
    apri();
    QTest::mouseDClick(esporta("lblState"), Qt::LeftButton);
    EXPECT_TRUE(frmChooseVRN().isVisible());
    EXPECT_TRUE(frmExport().isVisible());
    EXPECT_FALSE(frmMain().isVisible());
}

TEST_F(Esporta, TheStartFieldLeftIncompleteKeepsTheFocusWithTheHooksMessageUntilEsc)
{
    terminale3();
    apri();
    QLineEdit* inizio = campo("mskDataInizio");
    scrivi("mskDataInizio", "120324");
    ASSERT_EQ(inizio->text(), "12/03/24");

    dialogs.answers = {Answer::Ok};
    inizio->setFocus(Qt::MouseFocusReason);
    inizio->end(false);
    QTest::keyClick(inizio, Qt::Key_Backspace);
    ASSERT_EQ(inizio->displayText(), "12/03/2_");
    testing::internal::CaptureStderr();
    QTest::keyClick(inizio, Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_TRUE(inizio->hasFocus());
    EXPECT_EQ(dialogs.texts(), QStringList{"Data Non Corretta : Premere ESC per Uscire"});

    // A button pressed to leave the field loses the focus while down and gives no click.
    dialogs.answers = {Answer::Ok};
    QTest::mousePress(esporta("btnExit"), Qt::LeftButton);
    QCoreApplication::processEvents();
    QTest::mouseRelease(esporta("btnExit"), Qt::LeftButton);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(frmExport().isVisible());
    EXPECT_TRUE(inizio->hasFocus());
    EXPECT_EQ(dialogs.texts().size(), 2);
    EXPECT_NE(log.find("zentar: mskDataInizio: operation abandoned"), std::string::npos) << log;

    QTest::keyClick(inizio, Qt::Key_Escape);
    EXPECT_EQ(inizio->text(), "12/03/24") << "the last complete text";
    QTest::keyClick(inizio, Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_TRUE(campo("mskDataFine")->hasFocus());
    EXPECT_EQ(dialogs.texts().size(), 2);
}

TEST_F(Esporta, TheEndFieldLeftIncompleteKeepsTheFocusSilentlyUntilEsc)
{
    terminale3();
    apri();
    QLineEdit* fine = campo("mskDataFine");
    fine->setFocus(Qt::MouseFocusReason);
    fine->setCursorPosition(6);
    QTest::keyClick(fine, Qt::Key_Delete);
    ASSERT_EQ(fine->displayText(), "00/00/_0");
    testing::internal::CaptureStderr();
    QTest::keyClick(fine, Qt::Key_Tab);
    QCoreApplication::processEvents();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fine->hasFocus());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_NE(log.find("zentar: mskDataFine: operation abandoned"), std::string::npos) << log;

    QTest::keyClick(fine, Qt::Key_Escape);
    EXPECT_EQ(fine->text(), "00/00/00");
    QTest::keyClick(fine, Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_FALSE(fine->hasFocus());
}

TEST_F(Esporta, TheHookShowsItsMessageOnlyForTheStartFieldAndOnlyWhileTheWindowExists)
{
    const auto solleva = [](auto errore) { Gestito("test", [&errore] { throw errore; }); };
    dialogs.answers = {Answer::Ok};
    testing::internal::CaptureStderr();
    solleva(ErroreMaschera("mskDataInizio"));
    solleva(ErroreMaschera("mskDataFine"));
    solleva(ConversionError("not a number"));
    solleva(DatabaseError("refused"));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(dialogs.texts(), QStringList{"Data Non Corretta : Premere ESC per Uscire"});
    for (const char* testo : {"mskDataInizio", "mskDataFine", "not a number", "refused"})
        EXPECT_NE(log.find(testo), std::string::npos) << testo;

    finestre.reset();
    testing::internal::CaptureStderr();
    solleva(ErroreMaschera("mskDataInizio"));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(dialogs.texts().size(), 1) << "the hook's handler goes with the window";
}

TEST_F(Esporta, EsciAndClosingGoBackToTheMainWindowAndTheDatesStay)
{
    apri();
    intervallo("010324", "020324");
    clic(esporta("btnExit"));
    EXPECT_TRUE(frmMain().isVisible());
    EXPECT_FALSE(frmExport().isVisible());

    apri();
    EXPECT_EQ(campo("mskDataInizio")->text(), "01/03/24");
    EXPECT_EQ(campo("mskDataFine")->text(), "02/03/24");
    frmExport().close();
    EXPECT_TRUE(frmMain().isVisible());
    EXPECT_FALSE(frmExport().isVisible());
}

TEST_F(Esporta, ChoosingATerminalRefreshesTheWindow)
{
    registra(3, {{"Descrizione", "Reparto"}});
    apri();
    ASSERT_FALSE(esportaAttivo());
    clic(esporta("btnExit"));
    scegli(3);
    EXPECT_EQ(esporta<QLabel>("lblState")->text(), "Reparto");
    EXPECT_TRUE(esportaAttivo());
}
