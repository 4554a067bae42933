// The list of punch days, the download of the ticked days with what it stores, and their
// deletion, on the real libkavex.so against a simulated terminal on a direct RS232 line (and
// once behind the network box).
#include <QElapsedTimer>
#include <QFile>
#include <QSqlRecord>
#include <QSqlTableModel>

#include "Avanzamento.h"
#include "TerminaleSimulato.h"

using namespace zentar;

namespace {

const QString& kDomanda = kDomandaScarico;

std::vector<QString> come(const std::vector<RigaTimbratura>& righe)
{
    std::vector<QString> testi;
    for (const RigaTimbratura& r : righe)
        testi.push_back(QStringLiteral("%1 %2 %3 %4 %5").arg(r.ID).arg(r.Data, r.Badge).arg(r.Verso).arg(r.Ora));
    return testi;
}

QByteArray conCRLF(const sim::Records& righe)
{
    QByteArray testo;
    for (const std::string& r : righe)
        testo += QByteArray::fromStdString(r) + "\r\n";
    return testo;
}

}  // namespace

class Scarico : public TerminaleSimulato {
protected:
    void SetUp() override
    {
        TerminaleSimulato::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        scarico = &servizi->scarico;
        elenco = &servizi->elenco;
        giorni = &servizi->giorni;
    }

    // Terminal `codice` on a direct line holding `files`, selected and connected.
    void collegato(const sim::DriveFiles& files, int codice = 3)
    {
        sessione.reset();
        suLinea(kavex_test::makeDevice(3, 0, terminaleCon(files)));
        registra(codice,
                 {{"Portacom", kavex_test::kPort}, {"Modalita_col", 3}, {"Baudrate", 38400}, {"Parita", 0}});
        ASSERT_TRUE(connessione->ConnettiTerminale(codice)) << viste.consoleMainErr.toStdString();
        kavex.chiamate.clear();
        viste.eventi.clear();
    }

    QStringList messaggi() const
    {
        QStringList testi;
        for (const auto& m : dialogs.shown)
            testi << m.text;
        return testi;
    }
    void rispondiOk(int quante) { dialogs.answers.assign(quante, Answer::Ok); }

    std::vector<RigaFile> righeFile()
    {
        std::vector<RigaFile> righe;
        QSqlTableModel& tabella = *db->tblFile();
        for (int r = 0; r < tabella.rowCount(); ++r) {
            const QSqlRecord f = tabella.record(r);
            righe.push_back({.ID = f.value("ID").toInt(),
                             .Terminale = f.value("Terminale").toInt(),
                             .Data = f.value("Data").toString(),
                             .NomeFile = f.value("NomeFile").toString(),
                             .Blob = f.value("Blob").toString()});
        }
        return righe;
    }
    // The selected terminal's punches of the day.
    std::vector<QString> timbrature(const QString& data)
    {
        return come(db->TimbratureDelGiorno(stato->CodiceTerminale, data));
    }
    bool sulTerminale(const char* nome) { return terminale().file('A', nome).has_value(); }

    ScaricoPRE* scarico = nullptr;
    ElencoGiorni* elenco = nullptr;
    GiorniSpuntati* giorni = nullptr;
};

// ---- the list of days ----

TEST_F(Scarico, TheDaysAreListedInDateOrderAndOtherFilesLeftOut)
{
    // The terminal lists by name; in 2015 the year digit 9 means 2009.
    collegato({{"PRE51231", kTrentuno}, {"NOTE", {"x"}}, {"PRE51230", kTrenta}, {"PRE91231", kTrenta}});
    elenco->AggiornaElenco();
    EXPECT_EQ(kavex.chiamate, QStringList{"PostCommand DIR\r"});
    ASSERT_EQ(viste.elenchi.size(), 1u);
    EXPECT_EQ(viste.elenchi[0], QStringList({"31/12/2009", "30/12/2015", "31/12/2015"}));

    QStringList grezzo{"vecchio"};
    ASSERT_TRUE(elenco->ElencoPRE(grezzo));
    EXPECT_EQ(grezzo, QStringList({"2015/12/30", "2015/12/31", "2009/12/31"})) << "in arrival order, yyyy/mm/dd";
}

TEST_F(Scarico, AListingWithoutLinesEmptiesTheListAndAnUnsentDirLeavesItAlone)
{
    collegato({{"PRE51231", kTrentuno}});
    terminale().setFaults({.silent = true});
    QStringList grezzo{"vecchio"};
    ASSERT_TRUE(elenco->ElencoPRE(grezzo));
    EXPECT_EQ(grezzo, QStringList{"vecchio"}) << "no line came: the list is untouched";
    elenco->AggiornaElenco();
    ASSERT_EQ(viste.elenchi.size(), 1u);
    EXPECT_TRUE(viste.elenchi[0].isEmpty());

    kavex.ExitCOMM();
    dialogs.answers = {Answer::Ok};
    elenco->AggiornaElenco();
    EXPECT_EQ(messaggi(), QStringList{"Errore durante l'invio del comando (\"DIR\")."});
    EXPECT_EQ(viste.elenchi.size(), 1u) << "the check list is not filled again";
}

// ---- downloading ----

TEST_F(Scarico, TickedDaysAreStoredAsFilesRowsAndPunchesAndDeletedOnTheTerminal)
{
    collegato({{"PRE51230", kTrenta}, {"PRE51231", kTrentuno}, {"PRE51115", kTrenta}});
    AvanzamentoRegistrato avanzamento;
    CollegamentoAvanzamento collegamento(avanzamento);
    rispondiOk(2);

    EXPECT_EQ(giorni->Scarica({"30/12/2015", "31/12/2015"}, true), 0);

    EXPECT_EQ(messaggi(), QStringList({kDomanda, "Download Terminato Con Successo"}));
    EXPECT_EQ(dialogs.shown[0].kind, MessageKind::Question);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(kavex.chiamate, QStringList({"RecvFile PRE51230", "DeleFile PRE51230", "RecvFile PRE51231",
                                           "DeleFile PRE51231", "PostCommand DIR\r"}));

    for (const auto& [nome, righe] : {std::pair{"PRE51230", kTrenta}, std::pair{"PRE51231", kTrentuno}}) {
        QFile file(scarico->PercorsoLocale(nome));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << nome;
        EXPECT_EQ(file.readAll(), conCRLF(righe)) << nome;
        EXPECT_FALSE(sulTerminale(nome)) << nome;
    }
    EXPECT_EQ(scarico->PercorsoLocale("PRE51230"), stato->CartellaPRE + "/PRE51230");
    const std::vector<RigaFile> file = righeFile();
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[0].ID, 1);
    EXPECT_EQ(file[0].Terminale, 3);
    EXPECT_EQ(file[0].Data, "30/12/2015");
    EXPECT_EQ(file[0].NomeFile, "PRE51230");
    EXPECT_EQ(file[0].Blob, QString::fromLatin1(conCRLF(kTrenta)));
    EXPECT_EQ(file[1].ID, 2);
    EXPECT_EQ(file[1].NomeFile, "PRE51231");
    EXPECT_EQ(timbrature("30/12/2015"), (std::vector<QString>{"1 30/12/2015 00001234 0 07.30.00",
                                                              "2 30/12/2015 00001234 1 12.30.00",
                                                              "3 30/12/2015 00000042 0 08.00.00"}));
    EXPECT_EQ(timbrature("31/12/2015"), (std::vector<QString>{"1 31/12/2015 00001234 0 08.15.30",
                                                              "2 31/12/2015 00001234 1 17.00.00"}));

    EXPECT_EQ(viste.eventi, QStringList({"ApriCartella", "DisabilitaScaricaElimina", "FillCheckList: 15/11/2015"}));
    EXPECT_TRUE(avanzamento.eventi.contains("Apri Receive File: PRE51230 (" +
                                            QString::number(2 * conCRLF(kTrenta).size()) + ")"))
        << avanzamento.eventi.join('\n').toStdString();
    EXPECT_EQ(avanzamento.eventi.count("Chiudi"), 2);
    EXPECT_GT(avanzamento.avanzamenti, 0);
}

TEST_F(Scarico, ADayDownloadedAgainKeepsOneRowPerPunchAndAddsAFileRow)
{
    collegato({{"PRE51231", kTrentuno}});
    for (int volta = 0; volta < 2; ++volta) {
        rispondiOk(2);
        EXPECT_EQ(giorni->Scarica({"31/12/2015"}, false), 0) << volta;
    }
    EXPECT_EQ(timbrature("31/12/2015"), (std::vector<QString>{"3 31/12/2015 00001234 0 08.15.30",
                                                              "4 31/12/2015 00001234 1 17.00.00"}))
        << "each punch replaced, numbered after what is left of the day";
    const std::vector<RigaFile> file = righeFile();
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[0].ID, 1);
    EXPECT_EQ(file[1].ID, 2);
    EXPECT_TRUE(sulTerminale("PRE51231")) << "not deleted without \"Elimina File Scaricati\"";
    EXPECT_TRUE(kavex.chiamateDi("DeleFile").isEmpty());
}

TEST_F(Scarico, ADayWithAnUnusableLineKeepsItsEarlierPunchesAndTheNextDayIsStillDownloaded)
{
    const struct {
        const char* nome;
        std::string riga;
    } casi[] = {
        {"hour 25", rigaTimbratura("251530", 0, "00001234")},
        {"empty line", ""},
        {"direction not a digit", "081530X00001234" "01"},
    };
    int codice = 0;
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        const sim::Records cattivo{kTrenta[0], kTrenta[1], caso.riga, kTrenta[2]};
        collegato({{"PRE51230", cattivo}, {"PRE51231", kTrentuno}}, ++codice);
        dialogs.shown.clear();
        rispondiOk(3);

        EXPECT_EQ(giorni->Scarica({"30/12/2015", "31/12/2015"}, true), 1);

        EXPECT_EQ(messaggi(), QStringList({kDomanda, "Salvataggio Timbrature Fallito",
                                           "Totale Date Non Importate : 1"}));
        EXPECT_EQ(timbrature("30/12/2015"),
                  (std::vector<QString>{"1 30/12/2015 00001234 0 07.30.00", "2 30/12/2015 00001234 1 12.30.00"}));
        EXPECT_EQ(timbrature("31/12/2015").size(), 2u);
        EXPECT_TRUE(sulTerminale("PRE51230")) << "a day not fully stored stays on the terminal";
        EXPECT_FALSE(sulTerminale("PRE51231"));
        EXPECT_EQ(viste.elenchi.back(), QStringList{"30/12/2015"});
        connessione->DisconnettiTerminale(codice);
    }
    EXPECT_EQ(righeFile().size(), 2u * std::size(casi)) << "every day kept its file row";
}

TEST_F(Scarico, AReceiveIsTriedThreeTimesASecondApart)
{
    const struct {
        int checksumSbagliati;
        int nonImportate;
        QStringList messaggi;
    } casi[] = {
        {2, 0, {kDomanda, "Download Terminato Con Successo"}},
        {3, 1, {kDomanda, "Download Fallito", "Totale Date Non Importate : 1"}},
    };
    collegato({{"PRE51231", kTrentuno}});
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.checksumSbagliati);
        terminale().setFaults({.wrongChecksums = caso.checksumSbagliati});
        kavex.chiamate.clear();
        dialogs.shown.clear();
        rispondiOk(static_cast<int>(caso.messaggi.size()));
        QElapsedTimer tempo;
        tempo.start();

        EXPECT_EQ(giorni->Scarica({"31/12/2015"}, false), caso.nonImportate);

        EXPECT_GE(tempo.elapsed(), 3 * ScaricoPRE::kPausaMs);
        EXPECT_EQ(kavex.chiamateDi("RecvFile"), QStringList(3, "RecvFile PRE51231"));
        EXPECT_EQ(messaggi(), caso.messaggi);
    }
    EXPECT_EQ(righeFile().size(), 1u) << "only the received day is stored";
    EXPECT_EQ(timbrature("31/12/2015").size(), 2u);
}

TEST_F(Scarico, AFileThatCannotBeReadBackIsNotStored)
{
    collegato({{"PRE51231", kTrentuno}});
    kavex.dopo = [&](const QString& chiamata, int32_t) {
        if (chiamata.startsWith("RecvFile"))
            QFile::remove(scarico->PercorsoLocale("PRE51231"));
    };
    rispondiOk(3);
    EXPECT_EQ(giorni->Scarica({"31/12/2015"}, true), 1);
    EXPECT_EQ(messaggi(), QStringList({kDomanda, "Salvataggio File Fallito",
                                       "Totale Date Non Importate : 1"}));
    EXPECT_TRUE(righeFile().empty());
    EXPECT_TRUE(sulTerminale("PRE51231"));
}

TEST_F(Scarico, TheDownloadOverTheNetworkBoxStoresTheSameRows)
{
    inScatola(3, terminaleCon({{"PRE51231", kTrentuno}}));
    if (IsSkipped())
        return;
    registra(3, colonneScatola(3));
    ASSERT_TRUE(connessione->ConnettiTerminale(3)) << viste.consoleMainErr.toStdString();
    elenco->AggiornaElenco();
    ASSERT_EQ(viste.elenchi.size(), 1u);
    EXPECT_EQ(viste.elenchi[0], QStringList{"31/12/2015"});
    const QStringList spuntati = viste.elenchi[0];
    rispondiOk(2);

    EXPECT_EQ(giorni->Scarica(spuntati, true), 0);

    EXPECT_EQ(timbrature("31/12/2015"), (std::vector<QString>{"1 31/12/2015 00001234 0 08.15.30",
                                                              "2 31/12/2015 00001234 1 17.00.00"}));
    EXPECT_EQ(righeFile().size(), 1u);
    EXPECT_FALSE(sulTerminale("PRE51231"));
    EXPECT_TRUE(viste.elenchi.back().isEmpty());
}

// ---- deleting ----

TEST_F(Scarico, TheTickedDaysAreDeletedOnTheTerminalOnly)
{
    const struct {
        const char* nome;
        bool unoGiaCancellato;
        int nonCancellate;
        QString esito;
    } casi[] = {
        {"all deleted", false, 0, "Timbrature Cancellate"},
        {"one refused", true, 1, "Timbrature Non Cancellate : 1"},
    };
    int codice = 0;
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        collegato({{"PRE51230", kTrenta}, {"PRE51231", kTrentuno}, {"PRE51115", kTrenta}}, ++codice);
        if (caso.unoGiaCancellato)
            terminale().command("@DEL PRE51231");
        dialogs.shown.clear();
        rispondiOk(2);

        EXPECT_EQ(giorni->Elimina({"30/12/2015", "31/12/2015"}), caso.nonCancellate);

        EXPECT_EQ(messaggi(), QStringList({"Cancellare le Timbrature Selezionate ?", caso.esito}));
        EXPECT_EQ(dialogs.shown[0].kind, MessageKind::Warning);
        EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::OkCancel);
        EXPECT_EQ(kavex.chiamateDi("DeleFile"), QStringList({"DeleFile PRE51230", "DeleFile PRE51231"}));
        EXPECT_FALSE(sulTerminale("PRE51230"));
        EXPECT_TRUE(sulTerminale("PRE51115"));
        EXPECT_EQ(viste.eventi, QStringList({"DisabilitaScaricaElimina", "FillCheckList: 15/11/2015"}));
        EXPECT_TRUE(righeFile().empty());
        EXPECT_TRUE(timbrature("30/12/2015").empty());
        connessione->DisconnettiTerminale(codice);
    }
}

TEST_F(Scarico, NothingHappensWhenTheOperatorCancels)
{
    collegato({{"PRE51231", kTrentuno}});
    dialogs.answers = {Answer::Cancel, Answer::Cancel};
    EXPECT_EQ(giorni->Scarica({"31/12/2015"}, true), std::nullopt);
    EXPECT_EQ(giorni->Elimina({"31/12/2015"}), std::nullopt);
    EXPECT_TRUE(kavex.chiamate.isEmpty());
    EXPECT_TRUE(viste.eventi.isEmpty());
    EXPECT_TRUE(sulTerminale("PRE51231"));
}
