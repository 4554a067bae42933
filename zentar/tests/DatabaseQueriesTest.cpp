#include <QSqlRecord>
#include <QSqlTableModel>

#include "DatabaseFixture.h"

using namespace zentar;

class ON_ENGINE(Queries) : public DatabaseTest {
protected:
    void addFile(int terminale, int id)
    {
        db->InserisciFile({.ID = id, .Terminale = terminale, .Data = "31/12/2015", .NomeFile = "PRE51231", .Blob = ""});
    }
    void addPunch(int terminale, const QString& data, int id)
    {
        db->InserisciTimbratura(
            {.ID = id, .Terminale = terminale, .Data = data, .Badge = "00001234", .Verso = 1, .Ora = "08.15.30"});
    }
};

TEST_F(ON_ENGINE(Queries), MaximaOfEmptyGroupsAreZero)
{
    stato->CodiceTerminale = 3;
    EXPECT_EQ(db->ProssimoCodice(), 0);
    EXPECT_EQ(db->ProssimoIDFile(), 0);
    EXPECT_EQ(db->ProssimoIDTimbratura("31/12/2015"), 0);
}

TEST_F(ON_ENGINE(Queries), ProssimoCodiceIsTheLargestCode)
{
    addTerminal(2, "due");
    addTerminal(7, "sette");
    addTerminal(5, "cinque");
    EXPECT_EQ(db->ProssimoCodice(), 7);
}

TEST_F(ON_ENGINE(Queries), FileIdentifiersCountPerSelectedTerminal)
{
    addFile(1, 1);
    addFile(1, 2);
    addFile(2, 1);
    stato->CodiceTerminale = 1;
    EXPECT_EQ(db->ProssimoIDFile(), 2);
    stato->CodiceTerminale = 2;
    EXPECT_EQ(db->ProssimoIDFile(), 1);
    stato->CodiceTerminale = 3;
    EXPECT_EQ(db->ProssimoIDFile(), 0);
}

TEST_F(ON_ENGINE(Queries), PunchIdentifiersCountPerSelectedTerminalAndDay)
{
    addPunch(1, "31/12/2015", 1);
    addPunch(1, "31/12/2015", 2);
    addPunch(1, "30/12/2015", 1);
    addPunch(2, "31/12/2015", 5);
    stato->CodiceTerminale = 1;
    EXPECT_EQ(db->ProssimoIDTimbratura("31/12/2015"), 2);
    EXPECT_EQ(db->ProssimoIDTimbratura("30/12/2015"), 1);
    EXPECT_EQ(db->ProssimoIDTimbratura("12/31/2015"), 0) << "the day is matched in the form dd/mm/yyyy";
    stato->CodiceTerminale = 2;
    EXPECT_EQ(db->ProssimoIDTimbratura("31/12/2015"), 5);
}

TEST_F(ON_ENGINE(Queries), DescriptionIsReadAsStored)
{
    addTerminal(1, "Ingresso dell'officina");
    addTerminal(2, "100% \"nord\"; DROP TABLE rilevatori; --");
    EXPECT_EQ(db->LeggiDescrizione(1), "Ingresso dell'officina");
    EXPECT_EQ(db->LeggiDescrizione(2), "100% \"nord\"; DROP TABLE rilevatori; --");
    EXPECT_EQ(db->LeggiDescrizione(3), "");
}

TEST_F(ON_ENGINE(Queries), TerminalRowReadsEmptyWhenMissing)
{
    addTerminal(1, "uno", "/srv/pre");
    const QSqlRecord row = db->LeggiRilevatore(1);
    EXPECT_EQ(row.value("Codice").toInt(), 1);
    EXPECT_EQ(row.value("PercorsoPRE").toString(), "/srv/pre");

    const QSqlRecord none = db->LeggiRilevatore(2);
    EXPECT_GE(none.indexOf("Portacom"), 0) << "the columns are there, without values";
    EXPECT_EQ(none.value("Portacom").toInt(), 0);
    EXPECT_FALSE(none.value("Modem").toBool());
    EXPECT_EQ(none.value("Telefono").toString(), "");
}

TEST_F(ON_ENGINE(Queries), FileTextIsStoredWhole)
{
    QString text;
    for (int i = 0; i < 20000; ++i)
        text += QStringLiteral("%1 1 0000%2 l'entrata è qui\r\n").arg(80000 + i).arg(i % 10000, 4, 10, QChar('0'));
    db->InserisciFile({.ID = 1, .Terminale = 1, .Data = "31/12/2015", .NomeFile = "PRE51231", .Blob = text});
    QSqlTableModel* files = db->tblFile();
    ASSERT_EQ(files->rowCount(), 1);
    EXPECT_EQ(files->record(0).value("Blob").toString(), text);
    EXPECT_EQ(files->record(0).value("NomeFile").toString(), "PRE51231");
}

TEST_F(ON_ENGINE(Queries), TablesShowTheRowsWrittenSinceTheyWereLastAskedFor)
{
    EXPECT_EQ(db->tblTimbrature()->rowCount(), 0);
    addPunch(1, "31/12/2015", 1);
    EXPECT_EQ(db->tblTimbrature()->rowCount(), 1);
    EXPECT_EQ(db->tblFile()->rowCount(), 0);
    addFile(1, 1);
    EXPECT_EQ(db->tblFile()->rowCount(), 1);
}

TEST_F(ON_ENGINE(Queries), PunchesOfADayComeInTheOrderTheyWereStored)
{
    const RigaTimbratura first{.ID = 1, .Terminale = 1, .Data = "15/03/2024", .Badge = "B", .Verso = 0, .Ora = "09.00.00"};
    const RigaTimbratura second{.ID = 2, .Terminale = 1, .Data = "15/03/2024", .Badge = "A", .Verso = 1, .Ora = "08.00.00"};
    db->InserisciTimbratura(first);
    db->InserisciTimbratura({.ID = 1, .Terminale = 2, .Data = "15/03/2024", .Badge = "C", .Verso = 1, .Ora = "08.00.00"});
    db->InserisciTimbratura({.ID = 1, .Terminale = 1, .Data = "16/03/2024", .Badge = "D", .Verso = 1, .Ora = "08.00.00"});
    db->InserisciTimbratura(second);

    const std::vector<RigaTimbratura> rows = db->TimbratureDelGiorno(1, "15/03/2024");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Badge, first.Badge);
    EXPECT_EQ(rows[0].Ora, first.Ora);
    EXPECT_EQ(rows[0].Verso, first.Verso);
    EXPECT_EQ(rows[1].Badge, second.Badge);
    EXPECT_EQ(rows[1].ID, 2);
    EXPECT_EQ(rows[1].Data, "15/03/2024");
}
