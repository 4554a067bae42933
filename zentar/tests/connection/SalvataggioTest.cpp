// Storing a downloaded punch file, without a terminal: the local file is written by the test.
#include <QDir>
#include <QFile>
#include <QSqlTableModel>

#include "DatabaseFixture.h"
#include "ScaricoPRE.h"
#include "TracciatoRilevatore.h"

using namespace zentar;

TEST(RigheDelTesto, EveryLineEndEndsALineAndTheLastEndMakesNoEmptyLine)
{
    const struct {
        QByteArray testo;
        QStringList righe;
    } casi[] = {
        {"", {}},
        {"A\r\nB\r\n", {"A", "B"}},
        {"A\r\nB", {"A", "B"}},
        {"A\nB\rC\r\n", {"A", "B", "C"}},
        {"A\r\n\r\nB\r\n", {"A", "", "B"}},
        {"\r\n", {""}},
        {"caf\xE9\r\n", {QString::fromLatin1("caf\xE9")}},
    };
    for (const auto& caso : casi)
        EXPECT_EQ(RigheDelTesto(caso.testo), caso.righe) << caso.testo.toStdString();
}

class ON_ENGINE(Salvataggio) : public DatabaseTest {
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(db->tblRilevatori()->insertRecord(
            -1, terminalRow({{"Codice", 3}, {"Pos_Ora", "0"}, {"Len_Ora", "6"}, {"Pos_Verso", "6"},
                             {"Pos_Cartellino", ""}, {"Len_Cartellino", "8"}})));
        db->ApplicaRilevatori();
        ASSERT_TRUE(db->VaiAlRilevatore(3));
        stato->CodiceTerminale = 3;
        stato->CartellaPRE = programFolder.path();
        tracciato = std::make_unique<TracciatoRilevatore>(*db, dialogs);
        scarico = std::make_unique<ScaricoPRE>(*db, *stato, kavex, dialogs, *tracciato, orologio);
    }
    void scrivi(const char* nome, const QByteArray& testo)
    {
        QFile file(QDir(programFolder.path()).filePath(nome));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(testo);
    }

    FixedClock orologio{QDate(2015, 12, 31)};
    LibreriaKavex kavex;
    std::unique_ptr<TracciatoRilevatore> tracciato;
    std::unique_ptr<ScaricoPRE> scarico;
};

TEST_F(ON_ENGINE(Salvataggio), TheFileRowHoldsTheTextWithCRLFLineEndsAndItsOwnNumber)
{
    scrivi("PRE51231", "081530000001234\nriga \xE9");
    ASSERT_TRUE(scarico->SalvaFile("PRE51231"));
    ASSERT_TRUE(scarico->SalvaFile("PRE51231"));
    QSqlTableModel& tabella = *db->tblFile();
    ASSERT_EQ(tabella.rowCount(), 2);
    EXPECT_EQ(tabella.record(1).value("ID").toInt(), 2);
    EXPECT_EQ(tabella.record(1).value("Terminale").toInt(), 3);
    EXPECT_EQ(tabella.record(1).value("Data").toString(), "31/12/2015");
    EXPECT_EQ(tabella.record(1).value("Blob").toString(), QString::fromLatin1("081530000001234\r\nriga \xE9\r\n"));

    EXPECT_FALSE(scarico->SalvaFile("PRE51230")) << "no such local file";
    EXPECT_EQ(db->ContaFile(), 2);
}

TEST_F(ON_ENGINE(Salvataggio), PunchesNeedASelectedTerminalAndEveryLayoutParameter)
{
    const QByteArray riga = "081530000001234\r\n";
    scrivi("PRE51231", riga);
    scrivi("PRE51230", "");

    EXPECT_TRUE(scarico->SalvaTimbrature("PRE51230")) << "a file without lines";

    dialogs.answers = {Answer::Cancel};
    EXPECT_FALSE(scarico->SalvaTimbrature("PRE51231")) << "the badge's position declined";

    stato->CodiceTerminale = 0;
    dialogs.answers = {Answer::Ok};
    EXPECT_FALSE(scarico->SalvaTimbrature("PRE51231")) << "no terminal selected";
    EXPECT_TRUE(db->TimbratureDelGiorno(0, "31/12/2015").empty());
    EXPECT_EQ(dialogs.shown.size(), 1u) << "no terminal, no layout to ask for";

    stato->CodiceTerminale = 3;
    EXPECT_TRUE(scarico->SalvaTimbrature("PRE51231")) << "the default accepted now is stored";
    ASSERT_EQ(db->TimbratureDelGiorno(3, "31/12/2015").size(), 1u);
    EXPECT_EQ(db->TimbratureDelGiorno(3, "31/12/2015")[0].Badge, "00001234");
    EXPECT_EQ(dialogs.shown.size(), 2u);
}
