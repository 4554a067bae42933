#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "Errors.h"
#include "QtPrinters.h"
#include "Timbratura.h"

using namespace zentar;

namespace {

// A layout held in memory: a parameter missing from `values` is one the operator declined.
class MemoryLayout final : public FonteTracciato {
public:
    std::map<CampoTracciato, QString> values = {
        {CampoTracciato::Pos_Ora, "0"},        {CampoTracciato::Len_Ora, "6"},
        {CampoTracciato::Pos_Verso, "6"},      {CampoTracciato::Pos_Cartellino, "7"},
        {CampoTracciato::Len_Cartellino, "8"},
    };
    std::vector<CampoTracciato> asked;

    std::optional<QString> ParametroTracciato(CampoTracciato campo, int) override
    {
        asked.push_back(campo);
        const auto it = values.find(campo);
        return it == values.end() ? std::nullopt : std::optional<QString>(it->second);
    }
};

class Timbratura : public ::testing::Test {
protected:
    TTimbratura line(const QString& text) { return TTimbratura(text, layout); }
    MemoryLayout layout;
};

}  // namespace

TEST_F(Timbratura, CutsTheWorkedExampleWithTheDefaultLayout)
{
    TTimbratura t = line("081530" "1" "00001234" "03");
    EXPECT_EQ(t.GetOre(), "08");
    EXPECT_EQ(t.GetMinuti(), "15");
    EXPECT_EQ(t.GetSecondi(), "30");
    EXPECT_EQ(t.GetOra(), "08.15.30");
    EXPECT_EQ(t.GetVerso(), 1);
    EXPECT_EQ(t.GetCartellino(), "00001234");
}

TEST_F(Timbratura, AcceptsOnlyTimesFromOneSecondPastMidnightToOneSecondBefore)
{
    const struct {
        QString time;
        QString expected;
    } cases[] = {
        {"000001", "00.00.01"}, {"235959", "23.59.59"}, {"120000", "12.00.00"},
        {"000000", ""},  // midnight itself is refused
        {"240000", ""}, {"241000", ""}, {"250000", ""}, {"086000", ""}, {"081560", ""},
        {"0815", ""},    // the line ends before the seconds of a 6-character time
        {"08153", ""},   // a one-character piece (line cut short) is no time
        {"0A1530", ""},  // nor is a letter
        {"08 530", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(line(c.time).GetOra(), c.expected) << c.time.toStdString();
    // Hours 24 pass on their own; only the whole time refuses them.
    EXPECT_EQ(line("241000").GetOre(), "24");
}

TEST_F(Timbratura, TimeLengthDecidesTheSeconds)
{
    layout.values[CampoTracciato::Len_Ora] = "4";
    EXPECT_EQ(line("0815").GetOra(), "08.15.00");
    layout.values[CampoTracciato::Len_Ora] = "5";
    EXPECT_EQ(line("081530").GetOra(), "");
}

TEST_F(Timbratura, ReadsTheFieldsWhereTheLayoutPutsThem)
{
    layout.values = {{CampoTracciato::Pos_Ora, "3"},        {CampoTracciato::Len_Ora, "6"},
                     {CampoTracciato::Pos_Verso, "0"},      {CampoTracciato::Pos_Cartellino, "9"},
                     {CampoTracciato::Len_Cartellino, "4"}};
    TTimbratura t = line("2xx171819xx4321");
    EXPECT_EQ(t.GetOra(), "17.18.19");
    EXPECT_EQ(t.GetVerso(), 2);
    EXPECT_EQ(t.GetCartellino(), "xx43");
}

TEST_F(Timbratura, BadgeIsTakenAsItStandsAndCutWhereTheLineEnds)
{
    EXPECT_EQ(line("0815301        ").GetCartellino(), "        ");  // blanks are a badge
    EXPECT_EQ(line("0815301001").GetCartellino(), "001");
    EXPECT_EQ(line("0815301").GetCartellino(), "");
}

TEST_F(Timbratura, DirectionThatIsNotADigitIsAConversionError)
{
    for (const QString text : {"081530A00001234", "081530 00001234", "081530"})
        EXPECT_THROW(line(text).GetVerso(), ConversionError) << text.toStdString();
    layout.values.erase(CampoTracciato::Pos_Verso);
    EXPECT_THROW(line("081530100001234").GetVerso(), ConversionError);
}

TEST_F(Timbratura, ParameterThatIsNotANumberIsAConversionError)
{
    layout.values[CampoTracciato::Pos_Ora] = "a";
    EXPECT_THROW(line("081530100001234").GetOre(), ConversionError);
    layout.values[CampoTracciato::Pos_Ora] = "";
    EXPECT_THROW(line("081530100001234").GetOre(), ConversionError);
    layout.values[CampoTracciato::Len_Cartellino] = "8x";
    EXPECT_THROW(line("081530100001234").GetCartellino(), ConversionError);
}

TEST_F(Timbratura, DeclinedParameterGivesTheEmptyResult)
{
    layout.values.erase(CampoTracciato::Len_Cartellino);
    EXPECT_EQ(line("081530100001234").GetCartellino(), "");
    layout.values.erase(CampoTracciato::Len_Ora);
    TTimbratura t = line("081530100001234");
    EXPECT_EQ(t.GetSecondi(), "");
    EXPECT_EQ(t.GetOra(), "");
}

TEST_F(Timbratura, TimeAsksForItsParametersOnlyWhileThePiecesAreValid)
{
    EXPECT_EQ(line("081530100001234").GetOra(), "08.15.30");
    EXPECT_EQ(layout.asked, (std::vector{CampoTracciato::Pos_Ora, CampoTracciato::Pos_Ora, CampoTracciato::Pos_Ora,
                                         CampoTracciato::Len_Ora}));
    layout.asked.clear();
    EXPECT_EQ(line("251530100001234").GetOra(), "");
    EXPECT_EQ(layout.asked, std::vector{CampoTracciato::Pos_Ora});
}
