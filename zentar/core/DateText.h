#pragma once
// The text forms of dates shared by the whole application:
//   dd/mm/yyyy  punch date (file.Data, timbrature.Data) and dates shown to the operator
//   yyyy/mm/dd  sortable date
//   mm/dd/yyyy  month-first date
// "0000-00-00", "00-00-0000" and "--" stand for no date.
// The conversions cut characters by position and do no calendar check.

#include <QString>

namespace zentar {

// dd/mm/yyyy to yyyy/mm/dd; the empty text and "0000-00-00" give "0000-00-00".
QString DataOrdinabile(const QString& data);

// yyyy/mm/dd to dd/mm/yyyy; the texts that stand for no date give the empty text.
QString DataVisibile(const QString& data);

// dd/mm/yyyy to mm/dd/yyyy.
QString DataSQL(const QString& data);

// Adds `count` units of `interval` to the date dd/mm/yyyy and returns the result as dd/mm/yyyy.
// Intervals as the Jet DateAdd function names them: "yyyy" years, "q" quarters, "m" months,
// "d", "y" and "w" days, "ww" weeks, "h" hours, "n" minutes, "s" seconds (letter case ignored).
// Adding months keeps the day where the month allows it, otherwise takes the month's last day.
// Throws ConversionError for a text that is not a date or an interval it does not know.
QString SommaData(const QString& data, const QString& interval, int count);

}  // namespace zentar
