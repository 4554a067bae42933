#pragma once
// Punch file names: "PRE", the last digit of the year, the month and the day in two digits
// each (PRE51231 holds the punches of 31/12/2015). Eight characters, no extension, the same on
// the terminal and on disk.

#include <QString>

#include "Clock.h"

namespace zentar {

// Whether the text begins with "PRE" (upper case).
bool IsNomePRE(const QString& testo);

// The date dd/mm/yyyy of a punch file name. The name keeps only the last digit of the year, so
// the year is the latest one that ends in that digit and is not after the current year of
// `clock`: in 2026 PRE61209 is 09/12/2026 and PRE90101 is 01/01/2019.
QString DataDaNomePRE(const QString& nome, const Clock& clock = systemClock());

// The punch file name of a date dd/mm/yyyy: 31/12/2015 gives PRE51231.
QString NomePRE(const QString& data);

// dd/mm/yy to dd/mm/yyyy in the years 2000 to 2099.
QString AnnoQuattroCifre(const QString& data);

}  // namespace zentar
