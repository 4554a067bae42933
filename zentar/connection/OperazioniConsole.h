#pragma once
// The texts the terminal console builds and reads: the raw command from the drop-down list and
// the command line, the refusal of a command, the terminal's date and time against the
// console's fields, the byte-to-bits converter, the terminal name of a local file and the
// names of a file listing.

#include <array>
#include <cstddef>
#include <optional>

#include <QString>
#include <QStringList>

namespace zentar {

// The command line's placeholder, " INSERISCI QUI IL COMANDO DA INVIARE AL TERMINALE".
QString SegnapostoComando();

// The command sent for the list's text and the command line's: the list's text, a blank and the
// line's (also an empty line) when the list's text is not empty, else the line's. The line
// counts as empty when it holds the placeholder or only blanks; otherwise it is taken as typed.
QString ComandoDaInviare(const QString& comando, const QString& riga);

// Whether the replies say the terminal refused the command: exactly one line, the command
// followed by " ??".
bool ComandoRifiutato(const QStringList& risposte, const QString& comando);

// The terminal's date "wyymmdd" as the console shows it, "dd-mm-20yy"; nothing when the text
// is shorter than seven characters.
std::optional<QString> DataDalTerminale(const QString& data);
// The terminal's time "hhmmss" as "hh.mm.ss"; nothing when shorter than six characters.
std::optional<QString> OraDalTerminale(const QString& ora);

// The date field "dd-mm-yyyy" as the terminal takes it: "4", yy, mm, dd (the day of the week is
// always sent as 4).
QString DataPerIlTerminale(const QString& campo);
// The time field "hh.mm.ss" without its dots.
QString OraPerIlTerminale(const QString& campo);

// Whether "dd-mm-yyyy" is a calendar date: year 1-9999, month 1-12, the day within the month
// (Gregorian leap years).
bool DataValida(const QString& campo);
// Whether "hh.mm.ss" is a time of day, 00.00.00 to 23.59.59.
bool OraValida(const QString& campo);

// The eight bits of `valore` modulo 256, bit 7 first ("00000101" for 5).
QString BitDelByte(long long valore);
// The value of eight bit fields, `bit[k]` holding bit k: each field holding exactly "1" counts.
int ByteDaiBit(const std::array<QString, 8>& bit);

// The name a local file gets on the terminal: its name before the first dot, in upper case;
// empty for a name without a dot.
QString NomeSulTerminale(const QString& nomeLocale);

// The names of a file listing of `voci` entries, entry i in the 16 characters at 16 x i of
// `elenco`: the text of its first 15 characters up to the first blank, empty when they hold no
// blank. Entries beyond the buffer are not read.
QStringList NomiDellElenco(const char* elenco, std::size_t dimensione, int voci);

}  // namespace zentar
