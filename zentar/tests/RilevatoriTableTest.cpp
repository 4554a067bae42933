#include <QSqlRecord>
#include <QSqlTableModel>

#include "DatabaseFixture.h"
#include "Errors.h"

using namespace zentar;

class ON_ENGINE(RilevatoriTable) : public DatabaseTest {
protected:
    QVariant cell(int row, const char* column)
    {
        QSqlTableModel* table = db->tblRilevatori();
        return table->data(table->index(row, table->fieldIndex(column)));
    }
};

TEST_F(ON_ENGINE(RilevatoriTable), RowsComeInCodiceOrder)
{
    addTerminal(3, "tre");
    addTerminal(1, "uno");
    addTerminal(2, "due");
    EXPECT_EQ(cell(0, "Descrizione").toString(), "uno");
    EXPECT_EQ(cell(1, "Descrizione").toString(), "due");
    EXPECT_EQ(cell(2, "Descrizione").toString(), "tre");
}

TEST_F(ON_ENGINE(RilevatoriTable), EditsWaitInTheCacheUntilApplied)
{
    addTerminal(1, "uno");
    ASSERT_TRUE(db->VaiAlRilevatore(1));
    QSqlTableModel* table = db->tblRilevatori();
    ASSERT_TRUE(table->setData(table->index(db->RigaCorrente(), table->fieldIndex("Descrizione")), "cambiato"));
    EXPECT_EQ(db->CampoCorrente("Descrizione").toString(), "cambiato") << "the row shows its pending change";
    EXPECT_EQ(db->LeggiDescrizione(1), "uno") << "the database does not see it yet";

    db->AnnullaRilevatori();
    EXPECT_EQ(db->CampoCorrente("Descrizione").toString(), "uno");
    EXPECT_EQ(db->LeggiDescrizione(1), "uno");

    ASSERT_TRUE(table->setData(table->index(db->RigaCorrente(), table->fieldIndex("Descrizione")), "confermato"));
    db->ApplicaRilevatori();
    EXPECT_EQ(db->LeggiDescrizione(1), "confermato");
}

TEST_F(ON_ENGINE(RilevatoriTable), CancellingANewRowRemovesIt)
{
    addTerminal(1, "uno");
    QSqlTableModel* table = db->tblRilevatori();
    ASSERT_TRUE(table->insertRecord(-1, terminalRow({{"Codice", db->ProssimoCodice() + 1}})));
    db->ImpostaRigaCorrente(1);
    db->AnnullaRilevatori();
    EXPECT_EQ(table->rowCount(), 1);
    EXPECT_EQ(db->RigaCorrente(), 0);
    EXPECT_EQ(db->ProssimoCodice(), 1);
}

TEST_F(ON_ENGINE(RilevatoriTable), CurrentRowFollowsTheTerminal)
{
    addTerminal(5, "cinque");
    addTerminal(9, "nove");
    std::vector<int> announced;
    QObject::connect(db.get(), &TDMDatabase::rigaCorrenteCambiata, [&](int row) { announced.push_back(row); });
    ASSERT_TRUE(db->VaiAlRilevatore(9));
    EXPECT_EQ(db->RigaCorrente(), 1);
    EXPECT_EQ(announced, std::vector{1}) << "windows bound to the table learn of the move";

    EXPECT_FALSE(db->VaiAlRilevatore(4));
    EXPECT_EQ(db->RigaCorrente(), 1) << "an unknown code leaves the current row";

    addTerminal(7, "sette");  // sorts before 9
    EXPECT_EQ(db->CampoCorrente("Codice").toInt(), 9) << "applying keeps the same terminal current";
    EXPECT_EQ(db->RigaCorrente(), 2);
}

TEST_F(ON_ENGINE(RilevatoriTable), WritingAColumnOfTheSelectedTerminalAppliesItAtOnce)
{
    addTerminal(1, "uno");
    addTerminal(2, "due");
    ASSERT_TRUE(db->VaiAlRilevatore(2));
    stato->CodiceTerminale = 1;
    db->ScriviCampoSelezionato("Pos_Ora", "0");
    EXPECT_EQ(db->LeggiRilevatore(1).value("Pos_Ora").toString(), "0");
    EXPECT_EQ(db->CampoSelezionato("Pos_Ora").toString(), "0");
    EXPECT_EQ(db->CampoCorrente("Codice").toInt(), 2) << "the current row stays where it was";
}

TEST_F(ON_ENGINE(RilevatoriTable), WritingWithoutASelectedTerminalIsRefused)
{
    addTerminal(1, "uno");
    ASSERT_TRUE(db->VaiAlRilevatore(1));
    EXPECT_THROW(db->ScriviCampoSelezionato("Pos_Ora", "0"), DatabaseError);
    EXPECT_EQ(db->LeggiRilevatore(1).value("Pos_Ora").toString(), "") << "not the current row instead";
}
