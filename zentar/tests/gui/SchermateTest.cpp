// The windows as the README shows them, drawn under the offscreen platform after real work on
// the simulated terminals. With ZENTAR_SCREENSHOT_DIR set, the pictures are written there
// (scripts/screenshots does so for the README).
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QSet>

#include "FinestreSimulate.h"
#include "TfrmExport.h"
#include "TfrmPrompt.h"
#include "TfrmSetupRilevatore.h"
#include "TfrmSetupRilevatori.h"

using namespace zentar;

namespace {

// The number of distinct colours: a window drawn with its text has many, a blank one few.
int colori(const QImage& immagine)
{
    QSet<QRgb> visti;
    for (int y = 0; y < immagine.height(); y += 2) {
        for (int x = 0; x < immagine.width(); x += 2)
            visti.insert(immagine.pixel(x, y));
    }
    return static_cast<int>(visti.size());
}

}  // namespace

class Schermate : public FinestreSimulate {
protected:
    void SetUp() override
    {
        FinestreSimulate::SetUp();
        // The pictures the build draws, when they are there, rather than the plain test colours.
        const QDir disegnate(QCoreApplication::applicationDirPath() + "/../bin/images");
        for (const char* nome : {"on_.jpg", "off_.jpg"}) {
            if (disegnate.exists(nome)) {
                QFile::remove(QDir(cartella.path()).filePath(QStringLiteral("images/") + nome));
                QFile::copy(disegnate.filePath(nome), QDir(cartella.path()).filePath(QStringLiteral("images/") + nome));
            }
        }
    }

    void fotografa(QWidget& finestra, const char* nome)
    {
        const QImage immagine = finestra.grab().toImage();
        ASSERT_FALSE(immagine.isNull());
        EXPECT_GE(immagine.width(), 300);
        EXPECT_GT(colori(immagine), 20) << "the window's controls and texts are drawn";
        const QString cartella = qEnvironmentVariable("ZENTAR_SCREENSHOT_DIR");
        if (!cartella.isEmpty())
            EXPECT_TRUE(immagine.save(QDir(cartella).filePath(QString::fromLatin1(nome)))) << nome;
    }
};

TEST_F(Schermate, TheMainWindowAfterADownload)
{
    const sim::Records righe{"0730000000012340", "1230001000012340", "0800000000004201"};
    collegatoSuLinea({{"PRE51228", righe}, {"PRE51229", righe}, {"PRE51230", righe}, {"PRE51231", righe}});
    auto* lista = principale<QListWidget>("listFilePre");
    ASSERT_EQ(lista->count(), 4);
    lista->item(0)->setCheckState(Qt::Checked);
    lista->item(1)->setCheckState(Qt::Checked);
    dialogs.answers = {Answer::Ok, Answer::Ok};
    clic("btnScarica");
    ASSERT_EQ(dialogs.texts().back(), "Download Terminato Con Successo");
    lista->item(0)->setCheckState(Qt::Checked);
    principale<QCheckBox>("chkDelete")->setChecked(true);
    ASSERT_EQ(db().TimbratureDelGiorno(3, "28/12/2015").size(), 3u);
    fotografa(frmMain(), "main-window.png");
}

TEST_F(Schermate, TheTerminalChooser)
{
    registra(1, {{"Descrizione", "Ingresso (rete)"}});
    registra(2, {{"Descrizione", "Magazzino (modem)"}});
    registra(3, {{"Descrizione", "Reparto (linea diretta)"}});
    scegli(2);
    clic("lblState");
    ASSERT_TRUE(frmChooseVRN().isVisible());
    fotografa(frmChooseVRN(), "chooser.png");
}

TEST_F(Schermate, TheConsoleAfterACommand)
{
    collegatoSuLinea({{"PRE51231", {"0730000000012340"}}});
    principale<QAction>("Prompt1")->trigger();
    TfrmPrompt& console = finestre->frmPrompt();
    ASSERT_TRUE(console.isVisible());
    auto* schede = in<QTabWidget>(console, "PageControl1");
    schede->setCurrentIndex(1);
    in<QLineEdit>(console, "edtLineCmd")->setText("@TIME");
    clic(in<QWidget>(console, "btnSendCmd"));
    in<QLineEdit>(console, "edtLineCmd")->clear();
    in<QComboBox>(console, "cmbCommand")->setCurrentText("DIR");
    clic(in<QWidget>(console, "btnSendCmd"));
    ASSERT_FALSE(in<QPlainTextEdit>(console, "ListReply")->toPlainText().isEmpty());
    fotografa(console, "console.png");
}

TEST_F(Schermate, TheExportWindow)
{
    registra(3, {{"Descrizione", "Reparto (linea diretta)"}});
    scegli(3);
    principale<QAction>("Esporta1")->trigger();
    TfrmExport& esporta = finestre->frmExport();
    ASSERT_TRUE(esporta.isVisible());
    in<QLineEdit>(esporta, "mskDataInizio")->setText("30/12/19");
    in<QLineEdit>(esporta, "mskDataFine")->setText("02/01/20");
    ASSERT_TRUE(in<QWidget>(esporta, "btnExport")->isEnabled());
    fotografa(esporta, "export.png");
}

TEST_F(Schermate, TheTerminalRegisterAndTheEditWindow)
{
    registra(1, {{"Descrizione", "Ingresso (rete)"}, {"Modalita_col", 6}, {"Portacom", 8499},
                 {"Indiriz_lanbrick", "127.0.0.2"}, {"IPMaster", "127.0.0.1"}});
    registra(2, {{"Descrizione", "Magazzino (modem)"}, {"Modalita_col", 3}, {"Portacom", 2}, {"Baudrate", 9600},
                 {"Modem", true}, {"Telefono", "5551234"}, {"Modem_init", "ATZ"}, {"Modem_wait", 45}});
    registra(3, {{"Descrizione", "Reparto (linea diretta)"}, {"Modalita_col", 3}, {"Portacom", 3},
                 {"Baudrate", 38400}});
    principale<QAction>("mmImpConfigurazione")->trigger();
    QWidget& lista = finestre->frmSetupRilevatori();
    ASSERT_TRUE(lista.isVisible());
    ASSERT_TRUE(db().VaiAlRilevatore(2));
    fotografa(lista, "register.png");

    clic(in<QWidget>(lista, "BitBtn2"));
    QWidget& scheda = finestre->frmSetupRilevatore();
    ASSERT_TRUE(scheda.isVisible());
    in<QTabWidget>(scheda, "PageControl")->setCurrentIndex(3);
    fotografa(scheda, "terminal-edit.png");
}
