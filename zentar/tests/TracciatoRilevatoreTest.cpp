#include <QSqlTableModel>

#include "DatabaseFixture.h"
#include "Timbratura.h"
#include "TracciatoRilevatore.h"

using namespace zentar;

class ON_ENGINE(TracciatoRilevatore) : public DatabaseTest {
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        addTerminal(3, "tre");
        stato->CodiceTerminale = 3;
    }
    QString stored(const char* column) { return db->LeggiRilevatore(3).value(column).toString(); }
};

TEST_F(ON_ENGINE(TracciatoRilevatore), AcceptedDefaultIsStoredInTheSelectedTerminalsRowAndNotAskedAgain)
{
    addTerminal(4, "quattro");
    ASSERT_TRUE(db->VaiAlRilevatore(4)) << "the register stands on another terminal";
    TracciatoRilevatore layout(*db, dialogs);
    dialogs.answers = {Answer::Ok};
    EXPECT_EQ(layout.ParametroTracciato(CampoTracciato::Pos_Cartellino, 7), "7");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(dialogs.shown[0].text, "Parametro \"ePos_Cartellino\" Non Impostato\r\nUtilizzare il Valore di Default ?");
    EXPECT_EQ(stored("Pos_Cartellino"), "7");
    EXPECT_EQ(db->LeggiRilevatore(4).value("Pos_Cartellino").toString(), "") << "the row stood on is untouched";
    EXPECT_EQ(db->CampoCorrente("Codice").toInt(), 4) << "and stays current";

    EXPECT_EQ(layout.ParametroTracciato(CampoTracciato::Pos_Cartellino, 7), "7");
    EXPECT_EQ(dialogs.shown.size(), 1u) << "a stored parameter is not asked for";
}

TEST_F(ON_ENGINE(TracciatoRilevatore), DeclinedDefaultLeavesTheRowAndIsAskedAgain)
{
    TracciatoRilevatore layout(*db, dialogs);
    dialogs.answers = {Answer::Cancel, Answer::Cancel};
    EXPECT_EQ(layout.ParametroTracciato(CampoTracciato::Len_Ora, 6), std::nullopt);
    EXPECT_EQ(stored("Len_Ora"), "");
    EXPECT_EQ(layout.ParametroTracciato(CampoTracciato::Len_Ora, 6), std::nullopt);
    EXPECT_EQ(dialogs.shown.size(), 2u);
}

TEST_F(ON_ENGINE(TracciatoRilevatore), SetParameterIsReadFromTheSelectedTerminalsRowWhereverTheRegisterStands)
{
    addTerminal(4, "quattro");
    stato->CodiceTerminale = 4;
    db->ScriviCampoSelezionato("Pos_Verso", "12");
    stato->CodiceTerminale = 3;
    db->ScriviCampoSelezionato("Pos_Verso", "9");
    TracciatoRilevatore layout(*db, dialogs);
    ASSERT_TRUE(db->VaiAlRilevatore(4));
    EXPECT_EQ(layout.ParametroTracciato(CampoTracciato::Pos_Verso, 6), "9");
    stato->CodiceTerminale = 4;
    ASSERT_TRUE(db->VaiAlRilevatore(3));
    EXPECT_EQ(layout.ParametroTracciato(CampoTracciato::Pos_Verso, 6), "12");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ON_ENGINE(TracciatoRilevatore), TerminalWithoutLayoutCutsThePunchWithTheAcceptedDefaults)
{
    TracciatoRilevatore layout(*db, dialogs);
    dialogs.answers = {Answer::Ok, Answer::Ok, Answer::Ok, Answer::Ok, Answer::Ok};
    TTimbratura line("081530" "1" "00001234" "03", layout);
    EXPECT_EQ(line.GetCartellino(), "00001234");
    EXPECT_EQ(line.GetVerso(), 1);
    EXPECT_EQ(line.GetOra(), "08.15.30");
    EXPECT_EQ(dialogs.shown.size(), 5u) << "each parameter asked once";
    EXPECT_EQ(stored("Pos_Cartellino"), "7");
    EXPECT_EQ(stored("Len_Cartellino"), "8");
    EXPECT_EQ(stored("Pos_Verso"), "6");
    EXPECT_EQ(stored("Pos_Ora"), "0");
    EXPECT_EQ(stored("Len_Ora"), "6");
}
