#include <gtest/gtest.h>

#include "DateText.h"
#include "Errors.h"
#include "QtPrinters.h"

using namespace zentar;

namespace {

struct Conversion {
    QString input;
    QString expected;
};

}  // namespace

TEST(DateText, DataOrdinabileTurnsDayFirstIntoSortable)
{
    const Conversion cases[] = {
        {"31/12/2015", "2015/12/31"},
        {"05/03/2024", "2024/03/05"},
        {"", "0000-00-00"},
        {"0000-00-00", "0000-00-00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataOrdinabile(c.input), c.expected) << c.input.toStdString();
}

TEST(DateText, DataVisibileTurnsSortableIntoDayFirstAndNoDateIntoEmpty)
{
    const Conversion cases[] = {
        {"2015/12/31", "31/12/2015"}, {"2024/03/05", "05/03/2024"}, {"0000-00-00", ""},
        {"", ""},                     {"00-00-0000", ""},           {"--", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataVisibile(c.input), c.expected) << c.input.toStdString();
}

TEST(DateText, DataSQLPutsTheMonthFirst)
{
    EXPECT_EQ(DataSQL("31/12/2015"), "12/31/2015");
    EXPECT_EQ(DataSQL("05/03/2024"), "03/05/2024");
}

TEST(DateText, SommaDataAddsCalendarUnits)
{
    struct Case {
        QString date;
        QString interval;
        int count;
        QString expected;
    };
    const Case cases[] = {
        {"31/12/2015", "d", 1, "01/01/2016"},   // across the year
        {"28/02/2024", "d", 1, "29/02/2024"},   // leap year
        {"28/02/2023", "d", 1, "01/03/2023"},
        {"01/03/2024", "d", -1, "29/02/2024"},  // backwards
        {"1/2/2024", "d", 0, "01/02/2024"},     // one-digit day and month, result in two
        {"31/12/2015", "D", 1, "01/01/2016"},   // letter case ignored
        {"31/01/2024", "m", 1, "29/02/2024"},   // month end clamped
        {"15/11/2024", "q", 1, "15/02/2025"},
        {"29/02/2024", "yyyy", 1, "28/02/2025"},
        {"15/03/2024", "ww", 2, "29/03/2024"},
        {"15/03/2024", "w", 2, "17/03/2024"},
        {"31/12/2015", "h", 23, "31/12/2015"},  // time units move the day only past midnight
        {"31/12/2015", "h", 24, "01/01/2016"},
        {"31/12/2015", "n", 1440, "01/01/2016"},
        {"31/12/2015", "s", 86399, "31/12/2015"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SommaData(c.date, c.interval, c.count), c.expected)
            << c.date.toStdString() << " + " << c.count << " " << c.interval.toStdString();
}

TEST(DateText, SommaDataRefusesWhatIsNotADateOrAnInterval)
{
    EXPECT_THROW(SommaData("", "d", 1), ConversionError);
    EXPECT_THROW(SommaData("31/02/2015", "d", 1), ConversionError);
    EXPECT_THROW(SommaData("2015/12/31", "d", 1), ConversionError);
    EXPECT_THROW(SommaData("31/12/2015", "x", 1), ConversionError);
}
