// "Scarica" and "Elimina" of the main window on a terminal on a direct line: what lands in the
// folder and the database, "Elimina File Scaricati", a day downloaded again, a day with an
// unusable line, a receive that fails before it succeeds, a deletion the terminal refuses, and
// the progress dialog shown meanwhile.
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QProgressDialog>
#include <QAction>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTableView>
#include <QTest>

#include "FinestreSimulate.h"
#include "DialoghiQt.h"
#include "TfrmSetupRilevatori.h"
#include "TracciatoRilevatore.h"

using namespace zentar;

namespace {

const sim::Records kOra25{rigaTimbratura("073000", 0, "00001234"), rigaTimbratura("123000", 1, "00001234"),
                          rigaTimbratura("250000", 0, "00000042")};
const QString& kDomanda = kDomandaScarico;

// Notes the title of every progress dialog shown.
class DialoghiDiAvanzamento final : public QObject {
public:
    QStringList titoli;

    DialoghiDiAvanzamento() { qApp->installEventFilter(this); }
    ~DialoghiDiAvanzamento() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* oggetto, QEvent* evento) override
    {
        if (evento->type() == QEvent::Show) {
            if (auto* dialogo = qobject_cast<QProgressDialog*>(oggetto))
                titoli << dialogo->windowTitle();
        }
        return false;
    }
};

}  // namespace

class ScaricoFinestra : public FinestreSimulate {
protected:
    QListWidget& lista() { return *principale<QListWidget>("listFilePre"); }

    void spunta(const QStringList& giorni)
    {
        for (int i = 0; i < lista().count(); ++i) {
            if (giorni.contains(lista().item(i)->text()))
                lista().item(i)->setCheckState(Qt::Checked);
        }
    }
    QStringList giorniInElenco()
    {
        QStringList testi;
        for (int i = 0; i < lista().count(); ++i)
            testi << lista().item(i)->text();
        return testi;
    }
    std::vector<QString> timbrature(const QString& data)
    {
        std::vector<QString> testi;
        for (const RigaTimbratura& r : db().TimbratureDelGiorno(3, data))
            testi.push_back(QStringLiteral("%1 %2 %3 %4").arg(r.ID).arg(r.Badge).arg(r.Verso).arg(r.Ora));
        return testi;
    }
    bool sulTerminale(const std::string& nome) { return terminale().file('A', nome).has_value(); }
    QString nelFolder(const QString& nome) { return QDir(stato().CartellaPRE).filePath(nome); }
};

TEST_F(ScaricoFinestra, TickedDaysAreStoredAndWithEliminaFileScaricatiDeletedOnTheTerminal)
{
    collegatoSuLinea({{"PRE51230", kTrenta}, {"PRE51231", kTrentuno}, {"PRE51115", kTrenta}});
    ASSERT_EQ(giorniInElenco(), QStringList({"15/11/2015", "30/12/2015", "31/12/2015"}));
    spunta({"30/12/2015", "31/12/2015"});
    principale<QCheckBox>("chkDelete")->setChecked(true);
    dialogs.answers = {Answer::Ok, Answer::Ok};
    DialoghiDiAvanzamento avanzamento;

    clic("btnScarica");

    EXPECT_EQ(dialogs.texts(), QStringList({kDomanda, "Download Terminato Con Successo"}));
    EXPECT_EQ(dialogs.foldersShown, QStringList{stato().CartellaPRE}) << "the folder is opened after a full success";
    EXPECT_EQ(avanzamento.titoli, QStringList({"Receive File: PRE51230", "Receive File: PRE51231"}));
    EXPECT_EQ(timbrature("30/12/2015"),
              (std::vector<QString>{"1 00001234 0 07.30.00", "2 00001234 1 12.30.00", "3 00000042 0 08.00.00"}));
    EXPECT_EQ(timbrature("31/12/2015"), (std::vector<QString>{"1 00001234 0 08.15.30", "2 00001234 1 17.00.00"}));
    EXPECT_EQ(db().ContaFile(), 2);
    EXPECT_TRUE(QFile::exists(nelFolder("PRE51230")));
    EXPECT_TRUE(QFile::exists(nelFolder("PRE51231")));
    EXPECT_FALSE(sulTerminale("PRE51230"));
    EXPECT_FALSE(sulTerminale("PRE51231"));
    EXPECT_TRUE(sulTerminale("PRE51115")) << "a day not ticked stays";
    EXPECT_EQ(giorniInElenco(), QStringList{"15/11/2015"}) << "the list is asked again";
    EXPECT_FALSE(abilitato("btnScarica"));
    EXPECT_FALSE(abilitato("btnDelete"));
}

TEST_F(ScaricoFinestra, ADayDownloadedAgainKeepsOneRowPerPunch)
{
    collegatoSuLinea({{"PRE51231", kTrentuno}});
    for (int volta = 1; volta <= 2; ++volta) {
        SCOPED_TRACE(volta);
        spunta({"31/12/2015"});
        dialogs.answers = {Answer::Ok, Answer::Ok};
        clic("btnScarica");
        EXPECT_EQ(dialogs.texts().back(), "Download Terminato Con Successo");
        // Each identical punch is deleted before it is stored again with the next identifier.
        const int primo = 2 * volta - 1;
        EXPECT_EQ(timbrature("31/12/2015"),
                  (std::vector<QString>{QStringLiteral("%1 00001234 0 08.15.30").arg(primo),
                                        QStringLiteral("%1 00001234 1 17.00.00").arg(primo + 1)}));
        EXPECT_EQ(db().ContaFile(), volta) << "each download keeps its file row";
        EXPECT_TRUE(sulTerminale("PRE51231")) << "not deleted without the tick";
    }
}

TEST_F(ScaricoFinestra, ADayWhoseThirdLineHasHour25IsNotImported)
{
    collegatoSuLinea({{"PRE51230", kOra25}, {"PRE51231", kTrentuno}});
    spunta({"30/12/2015", "31/12/2015"});
    principale<QCheckBox>("chkDelete")->setChecked(true);
    dialogs.answers = {Answer::Ok, Answer::Ok, Answer::Ok};

    clic("btnScarica");

    EXPECT_EQ(dialogs.texts(), QStringList({kDomanda, "Salvataggio Timbrature Fallito", "Totale Date Non Importate : 1"}));
    EXPECT_EQ(timbrature("30/12/2015"), (std::vector<QString>{"1 00001234 0 07.30.00", "2 00001234 1 12.30.00"}))
        << "the punches before the line stay";
    EXPECT_TRUE(sulTerminale("PRE51230")) << "a day not fully stored is not deleted";
    EXPECT_FALSE(sulTerminale("PRE51231"));
    EXPECT_EQ(timbrature("31/12/2015").size(), 2u) << "the next day is still downloaded";
    EXPECT_TRUE(dialogs.foldersShown.isEmpty());
    EXPECT_EQ(giorniInElenco(), QStringList{"30/12/2015"});
}

TEST_F(ScaricoFinestra, AReceiveThatFailsTwiceIsTriedAgainAndSucceeds)
{
    collegatoSuLinea({{"PRE51231", kTrentuno}});
    terminale().setFaults({.wrongChecksums = 2});
    spunta({"31/12/2015"});
    dialogs.answers = {Answer::Ok, Answer::Ok};

    clic("btnScarica");

    EXPECT_EQ(kavex.chiamateDi("RecvFile"), QStringList(3, "RecvFile PRE51231"));
    EXPECT_EQ(dialogs.texts(), QStringList({kDomanda, "Download Terminato Con Successo"}));
    EXPECT_EQ(timbrature("31/12/2015").size(), 2u);
}

TEST_F(ScaricoFinestra, TheOperatorCancellingTheQuestionDownloadsNothing)
{
    collegatoSuLinea({{"PRE51231", kTrentuno}});
    spunta({"31/12/2015"});
    dialogs.answers = {Answer::Cancel};
    clic("btnScarica");
    EXPECT_EQ(dialogs.texts(), QStringList{kDomanda});
    EXPECT_TRUE(kavex.chiamateDi("RecvFile").isEmpty());
    EXPECT_TRUE(abilitato("btnScarica")) << "the ticks and buttons stay";
}

TEST_F(ScaricoFinestra, TheDeletionReportsTheFilesTheTerminalRefused)
{
    collegatoSuLinea({{"PRE51230", kTrenta}, {"PRE51231", kTrentuno}, {"PRE51115", kTrenta}});
    spunta({"30/12/2015", "31/12/2015"});
    terminale().command("@DEL PRE51231");  // gone before the operator deletes it
    dialogs.answers = {Answer::Ok, Answer::Ok};

    clic("btnDelete");

    EXPECT_EQ(dialogs.texts(), QStringList({"Cancellare le Timbrature Selezionate ?", "Timbrature Non Cancellate : 1"}));
    EXPECT_EQ(kavex.chiamateDi("DeleFile"), QStringList({"DeleFile PRE51230", "DeleFile PRE51231"}));
    EXPECT_FALSE(sulTerminale("PRE51230"));
    EXPECT_EQ(giorniInElenco(), QStringList{"15/11/2015"});
    EXPECT_EQ(db().ContaFile(), 0) << "the database is not touched";
}

// Browsing the chooser and the register moves the row they stand on, never the selected
// terminal: its layout, the default written for it and the ending of its commands.
TEST_F(ScaricoFinestra, BrowsingTheChooserAndTheRegisterChangesNothingOfTheSelectedTerminal)
{
    suLinea(kavex_test::makeDevice(3, 0, terminaleCon({{"PRE51231", kTrentuno}})));
    registra(1, {{"Portacom", kavex_test::kPort}, {"Modalita_col", 3}, {"Baudrate", 38400}, {"Parita", 0},
                 {"Pos_Cartellino", ""}});
    // Another terminal on a Selvo bus (no CR after a command) whose layout would cut the
    // simulated lines into other badges and times.
    registra(2, {{"Portacom", 9}, {"Modalita_col", 0}, {"Pos_Ora", "2"}, {"Len_Ora", "4"}, {"Pos_Verso", "1"},
                 {"Pos_Cartellino", "9"}, {"Len_Cartellino", "4"}});
    const QSqlRecord secondoPrima = db().LeggiRilevatore(2);
    scegli(1);

    const auto rigaDi = [this](int codice) {
        for (int r = 0; r < db().tblRilevatori()->rowCount(); ++r) {
            if (db().tblRilevatori()->record(r).value("Codice").toInt() == codice)
                return r;
        }
        return -1;
    };
    const auto clicSullaRiga = [&](QTableView* vista, int codice) {
        ASSERT_NE(vista, nullptr);
        const QRect cella = vista->visualRect(db().tblRilevatori()->index(rigaDi(codice), 0));
        QTest::mouseClick(vista->viewport(), Qt::LeftButton, {}, cella.center());
    };
    clic("lblState");
    clicSullaRiga(in<QTableView>(frmChooseVRN(), "lstVRN"), 2);
    clic(in<QWidget>(frmChooseVRN(), "btnAnnulla"));
    principale<QAction>("mmImpConfigurazione")->trigger();
    clicSullaRiga(in<QTableView>(finestre->frmSetupRilevatori(), "DBGRilevatori"), 2);
    ASSERT_EQ(db().CampoCorrente("Codice").toInt(), 2) << "the register stands on terminal 2";
    clic(in<QWidget>(finestre->frmSetupRilevatori(), "BitBtn6"));
    ASSERT_EQ(stato().CodiceTerminale, 1);

    clic("btnConnetti");
    EXPECT_TRUE(kavex.chiamate.contains("PostCommand DIR\r")) << "terminal 1 is on a direct line";
    ASSERT_EQ(giorniInElenco(), QStringList{"31/12/2015"});
    spunta({"31/12/2015"});
    // The question, the default offered for terminal 1's empty badge position, the outcome.
    dialogs.answers = {Answer::Ok, Answer::Ok, Answer::Ok};
    clic("btnScarica");
    EXPECT_EQ(dialogs.texts().back(), "Download Terminato Con Successo");

    std::vector<QString> punches;
    for (const RigaTimbratura& r : db().TimbratureDelGiorno(1, "31/12/2015"))
        punches.push_back(QStringLiteral("%1 %2 %3").arg(r.Badge).arg(r.Verso).arg(r.Ora));
    EXPECT_EQ(punches, std::vector<QString>({"00001234 0 08.15.30", "00001234 1 17.00.00"}))
        << "cut with terminal 1's layout";
    EXPECT_EQ(db().LeggiRilevatore(1).value("Pos_Cartellino").toString(), "7") << "the default lands in row 1";
    const QSqlRecord secondoDopo = db().LeggiRilevatore(2);
    for (int i = 0; i < secondoPrima.count(); ++i)
        EXPECT_EQ(secondoDopo.value(i), secondoPrima.value(i)) << secondoPrima.fieldName(i).toStdString();
}

// The question for a missing layout parameter is written with CR LF, the folder message with a
// lone CR: the box shows each as one line break.
TEST(TestoDelMessaggio, ALineBreakWrittenAsCrLfOrAsCrIsOneLineBreak)
{
    const struct {
        QString scritto;
        QString mostrato;
    } casi[] = {
        {DomandaParametroMancante(CampoTracciato::Pos_Ora),
         "Parametro \"ePos_Ora\" Non Impostato\nUtilizzare il Valore di Default ?"},
        {"Impossibile Creare la Cartella di Destinazione\rNon Scaricare Nessuna Timbratura",
         "Impossibile Creare la Cartella di Destinazione\nNon Scaricare Nessuna Timbratura"},
        {"uno\r\n\r\ndue\n", "uno\n\ndue\n"},
        {"Download Fallito", "Download Fallito"},
    };
    for (const auto& caso : casi)
        EXPECT_EQ(TestoDelMessaggio(caso.scritto), caso.mostrato);
}
