// The terminal list and the terminal edit window through their widgets: new, modify, copy,
// delete and test; the edit window's fields, radio groups, mode rule, layout defaults and
// confirm or cancel; the layout default a download writes is seen by the window.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTableView>
#include <QTest>

#include "FinestreSimulate.h"
#include "GruppoValori.h"
#include "TfrmSetupRilevatore.h"
#include "TfrmSetupRilevatori.h"

using namespace zentar;

class Registro : public FinestreSimulate {
protected:
    TfrmSetupRilevatori& lista() { return finestre->frmSetupRilevatori(); }
    TfrmSetupRilevatore& scheda() { return finestre->frmSetupRilevatore(); }
    QLineEdit* campoScheda(const char* nome) { return in<QLineEdit>(scheda(), nome); }
    void pulsanteLista(const char* nome) { clic(in<QWidget>(lista(), nome)); }

    void apriLista()
    {
        principale<QAction>("mmImpConfigurazione")->trigger();
        ASSERT_TRUE(lista().isVisible());
        ASSERT_FALSE(frmMain().isVisible());
    }
    // Makes the grid row of terminal `codice` current, as a click on it does.
    void rigaDi(int codice)
    {
        ASSERT_TRUE(db().VaiAlRilevatore(codice));
        auto* griglia = in<QTableView>(lista(), "DBGRilevatori");
        ASSERT_EQ(griglia->currentIndex().row(), db().RigaCorrente());
    }
    // The stored rilevatori row of `codice`, read from the database itself.
    QSqlRecord memorizzato(int codice) { return db().LeggiRilevatore(codice); }
    int righeMemorizzate()
    {
        QSqlQuery q(db().dbZentar());
        EXPECT_TRUE(q.exec("SELECT COUNT(*) FROM rilevatori"));
        return q.next() ? q.value(0).toInt() : -1;
    }
    void conferma(Answer risposta)
    {
        dialogs.answers.push_back(risposta);
        clic(in<QWidget>(scheda(), "btnUpdate"));
    }
    void scegliRadio(const char* gruppo, int voce)
    {
        clic(in<QRadioButton>(scheda(), (QByteArray(gruppo) + QByteArray::number(voce)).constData()));
    }
};

TEST_F(Registro, TheListShowsItsColumnsWithTheirTitles)
{
    registra(1, {{"Descrizione", "Ingresso"}, {"Telefono", "5551234"}});
    apriLista();
    EXPECT_EQ(in<QLabel>(lista(), "Label35")->text(), "LISTA   DEI   RILEVATORI");
    auto* griglia = in<QTableView>(lista(), "DBGRilevatori");
    const QSqlTableModel& tabella = *db().tblRilevatori();
    QStringList titoli;
    for (int visuale = 0; visuale < tabella.columnCount(); ++visuale) {
        const int logica = griglia->horizontalHeader()->logicalIndex(visuale);
        if (!griglia->isColumnHidden(logica))
            titoli << tabella.headerData(logica, Qt::Horizontal).toString();
    }
    EXPECT_EQ(titoli, QStringList({"Codice", "Descrizione", "Num Telefonico", "IP del Rilevatore", "IP del PC Master"}));
    pulsanteLista("BitBtn6");
    EXPECT_TRUE(frmMain().isVisible());
    EXPECT_FALSE(lista().isVisible());
}

TEST_F(Registro, NuovoTakesTheNextCodeAndOnlyConfermaWritesIt)
{
    const struct {
        std::vector<int> codici;
        int nuovo;
    } casi[] = {{{}, 1}, {{1, 2, 7}, 8}};
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nuovo);
        for (int c : caso.codici)
            registra(c, {});
        apriLista();
        pulsanteLista("BitBtn1");
        ASSERT_TRUE(scheda().isVisible());
        EXPECT_FALSE(lista().isVisible());
        EXPECT_EQ(campoScheda("eCodice")->text(), QString::number(caso.nuovo));
        EXPECT_FALSE(campoScheda("eCodice")->isEnabled());
        EXPECT_EQ(campoScheda("eDescrizione")->text(), "");
        EXPECT_EQ(righeMemorizzate(), static_cast<int>(caso.codici.size())) << "pending until confirmed";

        clic(in<QWidget>(scheda(), "btnAnnulla"));
        EXPECT_TRUE(lista().isVisible());
        EXPECT_EQ(righeMemorizzate(), static_cast<int>(caso.codici.size()));
        EXPECT_EQ(db().tblRilevatori()->rowCount(), static_cast<int>(caso.codici.size())) << "the new row is dropped";
        pulsanteLista("BitBtn6");
    }

    apriLista();
    pulsanteLista("BitBtn1");
    campoScheda("eDescrizione")->setText("Mensa");
    conferma(Answer::Yes);
    EXPECT_EQ(memorizzato(8).value("Descrizione").toString(), "Mensa");
    EXPECT_FALSE(memorizzato(8).value("Modem").toBool());
    EXPECT_TRUE(QDir(QDir(cartella.path()).filePath("Timbrature/8")).exists()) << "its default folder is made";
}

TEST_F(Registro, ConfermaNoDropsTheChangesAndCancelKeepsTheWindowOpen)
{
    registra(2, {{"Descrizione", "Ingresso"}});
    apriLista();
    rigaDi(2);
    pulsanteLista("BitBtn2");
    campoScheda("eDescrizione")->setText("Cambiato");

    conferma(Answer::Cancel);
    EXPECT_TRUE(scheda().isVisible());
    EXPECT_EQ(campoScheda("eDescrizione")->text(), "Cambiato");

    conferma(Answer::No);
    EXPECT_TRUE(lista().isVisible());
    EXPECT_EQ(memorizzato(2).value("Descrizione").toString(), "Ingresso");
    EXPECT_EQ(dialogs.texts(), QStringList({"Salvare le Modifiche ?", "Salvare le Modifiche ?"}));
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNoCancel);

    pulsanteLista("BitBtn2");
    EXPECT_EQ(campoScheda("eDescrizione")->text(), "Ingresso") << "the dropped text is not shown again";
}

TEST_F(Registro, EnterPressesConferma)
{
    registra(2, {{"Descrizione", "Ingresso"}});
    apriLista();
    rigaDi(2);
    pulsanteLista("BitBtn2");
    campoScheda("eDescrizione")->setText("Cambiato");
    dialogs.answers = {Answer::Yes};
    QTest::keyClick(campoScheda("eDescrizione"), Qt::Key_Return);
    EXPECT_EQ(dialogs.texts(), QStringList{"Salvare le Modifiche ?"});
    EXPECT_EQ(memorizzato(2).value("Descrizione").toString(), "Cambiato");
    EXPECT_TRUE(lista().isVisible());
}

TEST_F(Registro, EveryKindOfFieldStoresItsColumn)
{
    registra(3, {{"Descrizione", "Ingresso"}, {"Modalita_col", 3}, {"Baudrate", 9600}});
    apriLista();
    rigaDi(3);
    pulsanteLista("BitBtn2");
    EXPECT_TRUE(in<QRadioButton>(scheda(), "rdbBaudrate4")->isChecked()) << "9600 is the fifth item";

    scegliRadio("rdbBaudrate", 6);          // 38400
    scegliRadio("rdbParita", 3);            // "dispari, 8"
    scegliRadio("rdbPortaCom", 4);          // LANBRICK
    scegliRadio("rdbModCollegamento", 7);   // Radio 868 MHz: value 8
    scegliRadio("rdbMemorizzazione", 1);    // Packed
    in<QCheckBox>(scheda(), "chkTimbMensa")->setChecked(true);
    campoScheda("edtSelvo")->setText("12");
    campoScheda("edtWaitModem")->setText("");
    campoScheda("ePos_Ora")->setText("0");
    in<QComboBox>(scheda(), "cmbModoAccessi")->setCurrentIndex(5);
    conferma(Answer::Yes);

    const QSqlRecord riga = memorizzato(3);
    EXPECT_EQ(riga.value("Baudrate").toInt(), 38400);
    EXPECT_EQ(riga.value("Parita").toInt(), 3);
    EXPECT_EQ(riga.value("Portacom").toInt(), 8499);
    EXPECT_EQ(riga.value("Modalita_col").toInt(), 8);
    EXPECT_EQ(riga.value("Memorizzazione").toInt(), 1);
    EXPECT_TRUE(riga.value("Mensa").toBool());
    EXPECT_EQ(riga.value("Indirizzo").toInt(), 12);
    EXPECT_TRUE(riga.value("Modem_wait").isNull()) << "an empty number field stores no value";
    EXPECT_EQ(riga.value("Pos_Ora").toString(), "0");
    EXPECT_EQ(riga.value("ModoAccessi").toString(), "QVCARDS Black List");
}

namespace {

// Every column of a stored row but `tranne`, as "name=value", a null written as "name=NULL".
QStringList colonneTranne(const QSqlRecord& riga, const QString& tranne)
{
    QStringList colonne;
    for (int i = 0; i < riga.count(); ++i) {
        if (riga.fieldName(i).compare(tranne, Qt::CaseInsensitive) == 0)
            continue;
        const QVariant v = riga.value(i);
        colonne << riga.fieldName(i) + "=" + (v.isNull() ? QStringLiteral("NULL") : v.toString());
    }
    return colonne;
}

}  // namespace

TEST_F(Registro, ModificaWritesOnlyWhatTheOperatorChanged)
{
    // A row whose values every control shows, looked at before each odd one, so that a control
    // that keeps the text of the row shown before would write it.
    registra(1, {{"Portacom", 1}, {"Baudrate", 9600}, {"Parita", 0}, {"Modalita_col", 3},
                 {"ModoAccessi", "QVCARDS Black List"}, {"Dir", "A"}, {"Memorizzazione", 1}});
    const struct {
        int codice;
        Colonne colonne;
    } casi[] = {
        {2, {{"Portacom", 7}, {"Modalita_col", 3}}},
        {3, {{"Portacom", 9000}, {"Modalita_col", 6}, {"Indiriz_lanbrick", "127.0.0.2"}}},
        {4, {{"Baudrate", 115200}, {"Parita", 9}}},
        {5, {{"Modalita_col", 7}, {"Memorizzazione", 5}}},
        {6, {{"ModoAccessi", ""}, {"Dir", ""}}},
        {7, {{"ModoAccessi", "Modo di un'altra versione"}, {"Dir", "C"}}},
    };
    for (const auto& caso : casi)
        registra(caso.codice, caso.colonne);

    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.codice);
        const QStringList prima = colonneTranne(memorizzato(caso.codice), "Descrizione");
        apriLista();
        rigaDi(1);
        pulsanteLista("BitBtn2");
        clic(in<QWidget>(scheda(), "btnAnnulla"));
        rigaDi(caso.codice);
        pulsanteLista("BitBtn2");
        campoScheda("eDescrizione")->setText("Descrizione nuova");
        conferma(Answer::Yes);
        EXPECT_EQ(memorizzato(caso.codice).value("Descrizione").toString(), "Descrizione nuova");
        EXPECT_EQ(colonneTranne(memorizzato(caso.codice), "Descrizione"), prima);
        pulsanteLista("BitBtn6");
    }
}

TEST_F(Registro, ANewRowKeepsWhatNuovoGivesItWhereTheOperatorSetsNothing)
{
    registra(1, {{"Portacom", 8499}, {"Baudrate", 9600}, {"Modalita_col", 6}, {"ModoAccessi", "QVCARDS Black List"},
                 {"Dir", "B"}, {"Memorizzazione", 1}});
    apriLista();
    rigaDi(1);
    pulsanteLista("BitBtn2");
    clic(in<QWidget>(scheda(), "btnAnnulla"));
    pulsanteLista("BitBtn1");
    campoScheda("eDescrizione")->setText("Mensa");
    conferma(Answer::Yes);

    const QSqlRecord nuova = memorizzato(2);
    EXPECT_EQ(nuova.value("Descrizione").toString(), "Mensa");
    EXPECT_EQ(nuova.value("ModoAccessi").toString(), "") << "no text of the list";
    EXPECT_EQ(nuova.value("Dir").toString(), "");
    for (const char* numero : {"Portacom", "Baudrate", "Parita", "Modalita_col", "Memorizzazione", "Indirizzo"})
        EXPECT_TRUE(nuova.value(numero).isNull()) << numero;
    for (const char* testo : {"Pos_Ora", "Len_Ora", "Pos_Cartellino", "Telefono", "Indiriz_lanbrick"})
        EXPECT_EQ(nuova.value(testo).toString(), "") << testo;

    // The layout defaults are a change the operator makes.
    pulsanteLista("BitBtn1");
    clic(in<QWidget>(scheda(), "btPresenzeDefault"));
    conferma(Answer::Yes);
    EXPECT_EQ(memorizzato(3).value("Pos_Cartellino").toString(), "7");
    EXPECT_EQ(memorizzato(3).value("RecLen").toString(), "17");
    EXPECT_TRUE(memorizzato(3).value("Baudrate").isNull());
}

TEST_F(Registro, TheModeRuleFollowsTheShownMode)
{
    registra(1, {{"Modalita_col", 6}});
    registra(2, {{"Modalita_col", 7}});
    apriLista();
    const auto rete = [this] {
        return std::tuple{campoScheda("edtIPLanbrick")->isEnabled(), campoScheda("edtIPMaster")->isEnabled(),
                          in<QGroupBox>(scheda(), "gbModem")->isEnabled()};
    };
    rigaDi(1);
    pulsanteLista("BitBtn2");
    EXPECT_EQ(rete(), std::tuple(true, true, false));
    scegliRadio("rdbModCollegamento", 3);  // RS232
    EXPECT_EQ(rete(), std::tuple(false, false, true));
    scegliRadio("rdbModCollegamento", 6);  // Lanbrick/WinSocket
    EXPECT_EQ(rete(), std::tuple(true, true, false));
    clic(in<QWidget>(scheda(), "btnAnnulla"));

    rigaDi(2);
    pulsanteLista("BitBtn2");
    EXPECT_EQ(rete(), std::tuple(false, false, true)) << "mode 7 has no item and is not the network box";
}

TEST_F(Registro, DefaultsFillOnlyTheEmptyLayoutFields)
{
    registra(1, {{"Pos_Ora", "3"}, {"Len_Ora", ""}, {"Pos_Verso", ""}, {"Pos_Cartellino", ""}, {"Len_Cartellino", ""}});
    apriLista();
    rigaDi(1);
    pulsanteLista("BitBtn2");
    clic(in<QWidget>(scheda(), "btPresenzeDefault"));
    QStringList valori;
    for (const auto& [nome, predefinito] : TfrmSetupRilevatore::ValoriPredefiniti())
        valori << QStringLiteral("%1=%2").arg(nome, campoScheda(nome)->text());
    EXPECT_EQ(valori, QStringList({"ePos_Causale=6", "eLen_Causale=1", "ePos_Cartellino=7", "eLen_Cartellino=8",
                                   "ePos_Ora=3", "eLen_Ora=6", "ePos_slv=15", "eLen_slv=2", "ePos_Verso=6",
                                   "eRecLen=17"}));
}

TEST_F(Registro, ConfermaMakesTheFolderAndOnlyTheSelectedTerminalTakesIt)
{
    registra(12, {});
    registra(4, {});
    scegli(4);
    const QString cartella4 = stato().CartellaPRE;
    const QString cartella12 = QDir(cartella.path()).filePath("Timbrature/12");
    ASSERT_TRUE(QDir(cartella12).removeRecursively());

    apriLista();
    rigaDi(12);
    pulsanteLista("BitBtn2");
    conferma(Answer::Yes);
    EXPECT_TRUE(QDir(cartella12).exists());
    EXPECT_EQ(stato().CartellaPRE, cartella4) << "terminal 4's downloads stay in its own folder";

    rigaDi(4);
    pulsanteLista("BitBtn2");
    const QString altrove = QDir(cartella.path()).filePath("altrove");
    ASSERT_TRUE(QDir().mkpath(altrove));
    ASSERT_TRUE(db().tblRilevatori()->setData(
        db().tblRilevatori()->index(db().RigaCorrente(), db().tblRilevatori()->fieldIndex("PercorsoPRE")), altrove));
    scheda().MostraRigaCorrente();
    EXPECT_EQ(campoScheda("DBDirPRE")->text(), altrove);
    conferma(Answer::Yes);
    EXPECT_EQ(stato().CartellaPRE, altrove);
    EXPECT_EQ(memorizzato(4).value("PercorsoPRE").toString(), altrove);
}

TEST_F(Registro, AFolderThatCannotBeMadeIsReportedAndTheSettingsSavedAllTheSame)
{
    registra(5, {});
    scegli(5);
    const QString prima = stato().CartellaPRE;
    apriLista();
    pulsanteLista("BitBtn2");
    const QString impossibile = QDir(cartella.path()).filePath("manca/5");
    auto& tabella = *db().tblRilevatori();
    ASSERT_TRUE(tabella.setData(tabella.index(db().RigaCorrente(), tabella.fieldIndex("PercorsoPRE")), impossibile));
    scheda().MostraRigaCorrente();
    campoScheda("eDescrizione")->setText("Salvato");
    dialogs.answers = {Answer::Yes, Answer::Ok};
    clic(in<QWidget>(scheda(), "btnUpdate"));

    EXPECT_EQ(dialogs.texts().back(),
              "Impossibile Creare la Cartella di Destinazione\rNon Scaricare Nessuna Timbratura");
    EXPECT_EQ(memorizzato(5).value("Descrizione").toString(), "Salvato");
    EXPECT_EQ(stato().CartellaPRE, prima);
    EXPECT_TRUE(lista().isVisible());

    pulsanteLista("BitBtn2");
    clic(in<QWidget>(scheda(), "ResetDirPRE"));
    EXPECT_EQ(campoScheda("DBDirPRE")->text(), "");
}

TEST_F(Registro, TheDestinationFolderIsChosenInTheFolderDialog)
{
    registra(6, {});
    apriLista();
    pulsanteLista("BitBtn2");
    const QString scelta = QDir(cartella.path()).filePath("scelta");
    ASSERT_TRUE(QDir().mkpath(scelta));
    dialogs.folderAnswers = {std::nullopt, scelta};
    clic(in<QWidget>(scheda(), "btnDirPRE"));
    EXPECT_EQ(campoScheda("DBDirPRE")->text(), "") << "a cancelled dialog changes nothing";
    clic(in<QWidget>(scheda(), "btnDirPRE"));
    EXPECT_EQ(campoScheda("DBDirPRE")->text(), scelta);
    ASSERT_EQ(dialogs.folderDialogs.size(), 2u);
    conferma(Answer::Yes);
    EXPECT_EQ(memorizzato(6).value("PercorsoPRE").toString(), scelta);
}

TEST_F(Registro, CopiaWritesAtOnceWithTheNextCode)
{
    for (int c = 1; c <= 7; ++c)
        registra(c, {{"Descrizione", c == 3 ? "Ingresso" : "altro"}, {"Baudrate", 19200}, {"PercorsoPRE", "/dati/3"},
                     {"Modem", true}});
    apriLista();
    rigaDi(3);
    pulsanteLista("BitBtn3");

    EXPECT_TRUE(dialogs.shown.empty()) << "no confirmation";
    const QSqlRecord copia = memorizzato(8);
    EXPECT_EQ(copia.value("Descrizione").toString(), "Copia di Ingresso");
    EXPECT_EQ(copia.value("Baudrate").toInt(), 19200);
    EXPECT_EQ(copia.value("PercorsoPRE").toString(), "/dati/3");
    EXPECT_TRUE(copia.value("Modem").toBool());
    EXPECT_EQ(db().CampoCorrente("Codice").toInt(), 8) << "the last row becomes current";
}

TEST_F(Registro, EliminaAsksAndKeepsTheTerminalsPunches)
{
    registra(3, {});
    registra(4, {});
    db().InserisciTimbratura({.ID = 1, .Terminale = 3, .Data = "15/03/2024", .Badge = "1", .Verso = 0, .Ora = "08.00.00"});
    db().InserisciFile({.ID = 1, .Terminale = 3, .Data = "15/03/2024", .NomeFile = "PRE40315", .Blob = "x"});
    apriLista();
    rigaDi(3);

    dialogs.answers = {Answer::Cancel};
    pulsanteLista("BitBtn4");
    EXPECT_EQ(righeMemorizzate(), 2);

    dialogs.answers = {Answer::Ok};
    pulsanteLista("BitBtn4");
    EXPECT_EQ(dialogs.texts(), QStringList({"Eliminare il Rilevatore ?", "Eliminare il Rilevatore ?"}));
    EXPECT_EQ(dialogs.shown[1].kind, MessageKind::Warning);
    EXPECT_EQ(righeMemorizzate(), 1);
    EXPECT_TRUE(memorizzato(3).value("Codice").isNull());
    EXPECT_EQ(db().TimbratureDelGiorno(3, "15/03/2024").size(), 1u);
    EXPECT_EQ(db().ContaFile(), 1);
}

TEST_F(Registro, TestRestartsTheTerminalAndEndsDisconnected)
{
    apriLista();
    dialogs.answers = {Answer::Ok};
    pulsanteLista("BitBtn5");
    EXPECT_EQ(dialogs.texts(), QStringList{"Selezionare un Terminale"}) << "an empty grid";

    suLinea(kavex_test::makeDevice(3, 0, terminaleCon()));
    registra(3, {{"Descrizione", "Ingresso"}, {"Portacom", kavex_test::kPort}, {"Modalita_col", 3},
                 {"Baudrate", 9600}, {"Parita", 0}});
    registra(4, {{"Descrizione", "Spento"}, {"Portacom", 9}, {"Modalita_col", 3}, {"Baudrate", 9600}});
    rigaDi(3);
    kavex.chiamate.clear();
    dialogs.shown.clear();
    dialogs.answers = {Answer::Ok};
    pulsanteLista("BitBtn5");
    EXPECT_EQ(dialogs.texts(), QStringList{"Test Eseguito Correttamente"});
    EXPECT_TRUE(kavex.chiamate.contains("PostCommand %%\r"));
    EXPECT_EQ(kavex.chiamate.mid(kavex.chiamate.size() - 3), QStringList({"ExitCOMM", "HangUp", "ExitCOMM"}))
        << "disconnected, then hung up and closed in every case";
    EXPECT_EQ(coloreIndicatore(), kSpento);

    rigaDi(4);
    dialogs.shown.clear();
    dialogs.answers = {Answer::Ok};
    pulsanteLista("BitBtn5");
    EXPECT_EQ(dialogs.texts(), QStringList{"Connesione Fallita su \" Spento \" "});
}

TEST_F(Registro, TheLayoutDefaultADownloadWritesIsShownByTheEditWindow)
{
    suLinea(kavex_test::makeDevice(3, 0, terminaleCon({{"PRE51231", kTrentuno}})));
    registra(3, {{"Portacom", kavex_test::kPort}, {"Modalita_col", 3}, {"Baudrate", 38400}, {"Parita", 0},
                 {"Pos_Cartellino", ""}});
    scegli(3);
    clic("btnConnetti");
    principale<QListWidget>("listFilePre")->item(0)->setCheckState(Qt::Checked);
    // The question, the offered default for the badge position, the outcome.
    dialogs.answers = {Answer::Ok, Answer::Ok, Answer::Ok};
    clic("btnScarica");
    EXPECT_EQ(dialogs.texts().back(), "Download Terminato Con Successo");
    EXPECT_EQ(campoScheda("ePos_Cartellino")->text(), "7") << "the edit window shows the stored default";
    EXPECT_EQ(memorizzato(3).value("Pos_Cartellino").toString(), "7");
}
