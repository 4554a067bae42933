#pragma once
// The export of stored punches: for a terminal and a range of days, one file per day named as
// the terminal's punch files, each line the punch's time without dots, its direction and its
// badge, ended by CR LF. A day without punches gives an empty file.

#include <optional>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QString>

#include "DMDatabase.h"

namespace zentar {

// A date field dd/mm/yy of the export window as a date of the years 2000-2099; nothing when it
// is not a calendar date.
std::optional<QDate> DataDelCampo(const QString& campo);

// The lines of one day's file.
QByteArray RigheEsportate(const std::vector<RigaTimbratura>& timbrature);

// Writes the files of the days from `inizio` to `fine` into `cartella`, replacing files of the
// same name, in date order. Each file is written whole or not at all; a file that cannot be
// written throws ZentarError and stops the export at that day (the earlier files stay).
// Returns the files written, in order.
QStringList EsportaGiorni(TDMDatabase& database, int terminale, QDate inizio, QDate fine, const QString& cartella);

// Writes the punches of the days from `inizio` to `fine` as one CSV file for payroll and HR
// systems: a header "terminal,date,time,direction,badge", then one line per punch in date order
// and, within a day, in the order stored (ISO date, hh:mm:ss, LF line ends, UTF-8). Written
// whole or not at all; throws ZentarError when it cannot be written. Returns the punches written.
int EsportaCsv(TDMDatabase& database, int terminale, QDate inizio, QDate fine, const QString& percorso);

}  // namespace zentar
