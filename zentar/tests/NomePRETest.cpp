#include <gtest/gtest.h>

#include "NomePRE.h"
#include "QtPrinters.h"

using namespace zentar;

TEST(NomePRE, IsNomePREWantsUpperCasePREAtTheStart)
{
    const struct {
        QString text;
        bool expected;
    } cases[] = {
        {"PRE51231", true}, {"PRE51231 1234 bytes", true}, {"PRE", true},
        {"pre51231", false}, {"Pre51231", false},          {" PRE51231", false},
        {"PR", false},       {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsNomePRE(c.text), c.expected) << c.text.toStdString();
}

TEST(NomePRE, DataDaNomePRETakesTheLatestYearNotAfterTodayWithThatDigit)
{
    const struct {
        QString name;
        QDate today;
        QString expected;
    } cases[] = {
        {"PRE51231", QDate(2015, 12, 31), "31/12/2015"},
        {"PRE61209", QDate(2026, 6, 1), "09/12/2026"},  // same year, even a later day of it
        {"PRE90101", QDate(2026, 6, 1), "01/01/2019"},
        {"PRE00101", QDate(2026, 6, 1), "01/01/2020"},
        {"PRE70101", QDate(2026, 6, 1), "01/01/2017"},  // the digit after this year's: last decade
        {"PRE00101", QDate(2019, 12, 31), "01/01/2010"},
        {"PRE90101", QDate(2019, 1, 1), "01/01/2019"},
        {"PRE51231", QDate(2030, 1, 1), "31/12/2025"},
        {"PRE51231 1234", QDate(2026, 1, 1), "31/12/2025"},  // only characters 4 to 8 are read
    };
    for (const auto& c : cases) {
        const FixedClock clock(c.today);
        EXPECT_EQ(DataDaNomePRE(c.name, clock), c.expected)
            << c.name.toStdString() << " on " << c.today.toString(Qt::ISODate).toStdString();
    }
}

TEST(NomePRE, EveryDayOfTheLastTenYearsSurvivesTheFileName)
{
    const FixedClock clock(QDate(2026, 3, 15));
    for (QDate day(2017, 1, 1); day <= QDate(2026, 12, 31); day = day.addDays(1)) {
        const QString date = day.toString("dd/MM/yyyy");
        ASSERT_EQ(DataDaNomePRE(NomePRE(date), clock), date);
    }
}

TEST(NomePRE, NomePREKeepsTheLastDigitOfTheYear)
{
    EXPECT_EQ(NomePRE("31/12/2015"), "PRE51231");
    EXPECT_EQ(NomePRE("15/03/2024"), "PRE40315");
    EXPECT_EQ(NomePRE("01/01/2020"), "PRE00101");
}

TEST(NomePRE, AnnoQuattroCifrePutsTheYearInThe2000s)
{
    EXPECT_EQ(AnnoQuattroCifre("15/03/24"), "15/03/2024");
    EXPECT_EQ(AnnoQuattroCifre("01/01/00"), "01/01/2000");
}
