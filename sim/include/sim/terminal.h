// A simulated attendance terminal: takes one command text at a time and gives the reply lines it
// sends, as the terminals that Kavex talks to do. It keeps drives A, B and C with named files
// (punch files "PRE" by day, the configuration "CFGS", any other), a clock kept as an offset
// against the host's, parameters 0-99, a password, a model name and a loaded program.
//
// The transports (serial line, line driver, relaying terminal, Selvo bus) add the framing; the
// engine only deals in texts. Every member may be called from any thread: the transports call
// command() on the thread that runs the line while tests inspect and change the terminal.
//
// Commands and answers (an answer line is given here without its line end; "?? refusal" is the
// command text followed by " ??", "?* refusal" the command text followed by " ?*"):
//   0x04                 "\x04"; while loading, the number of records stored; it also abandons a
//                        transfer in progress
//   LOGOFF               logs off; ".." when a password is wanted, else "LOGOFF"
//   @PW p                the echo when p is the password (or none is wanted), else ".."
//   %XI                  the identification line "<model> V3.20", or ".." while a password is
//                        wanted and not given
//   %%                   restart: "RESTART"; forgets the logon and any load or transfer
//   @TIME, @DATE         "@TIME hhmmss", "@DATE wyymmdd" (w: 0 Sunday .. 6 Saturday)
//   @TIME hhmmss         sets the clock's time of day; echo (?? refusal for a bad value)
//   @DATE wyymmdd        sets the calendar, keeping the time; the day of the week given is
//                        not checked; echo (?? refusal for a date that does not exist)
//   @CFG nn              "@CFG nn value"
//   @CFG nn value        sets parameter nn (value up to 32 characters, may be empty); echo
//   @CD x                current drive x; echo, or "Drive not available"
//   @DIR [pattern]       "@DIR [pattern]", one line per matching file: the name padded to 8, a
//                        blank and the size in bytes (lines + CR LF; the record count on the
//                        Ovrid model), then "\x04" and the number of file lines. A pattern
//                        matches names that begin with it ("?" matches any character, "*" the
//                        rest). With a pattern of exactly 8 characters (blanks included) on other
//                        models, the one reply "@DIR " + the entry, or the ?* refusal.
//   DIR [pattern]        the entry lines and the end line of @DIR, without the first line
//   @TYPE name           the echo, one line per record, "\x04" + count + " RECS " + checksum
//                        (the sum of the record bytes modulo 32768; left out when
//                        checksumInEndLine is off); ?* refusal for a missing file
//   @DBL n name D        records from number n (1 = the first): the reply is the command, a
//                        blank and record n; then the rest as for @TYPE; the checksum covers the
//                        records after the one in the reply. ?* refusal past the last record.
//   @DBL key name        the same from the first record that begins with the key text
//   @DEL name            deletes; echo, or ?* refusal
//   @LOAD name[ P][ n]   starts loading the file (P: append to an existing file, else replace
//                        it; n: 0-127, taken and not used); echo. Every following line is one
//                        record, answered with its echo, until 0x04. The Ovrid model refuses
//                        to load over an existing file ("<command> EXISTS"). "CFGS" cannot be
//                        loaded or deleted (?? refusal): it is made from the parameters, one
//                        record "nn value" per parameter, and is on every drive.
//   @LOADP               starts loading the program, as @LOAD
//   an empty line        the next line of a transfer that waits for a lone CR; a record while
//                        loading; otherwise nothing
//   anything else        the ?? refusal
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/civil_time.h"
#include "sim/line_terminal.h"

namespace sim {

using Records = std::vector<std::string>;
using DriveFiles = std::map<std::string, Records>;  // file name -> records
using TerminalFiles = std::map<char, DriveFiles>;   // drive letter -> files

// Punch files generated for a run of days ending with the terminal's today, the same for the
// same seed: each line is hhmmss, a direction digit (0 in, 1 out), an 8-digit badge and the
// 2-digit terminal address, 17 characters in all.
struct PunchDays {
    int days = 0;
    uint32_t seed = 1;
    int minPunches = 3;
    int maxPunches = 12;
    int address = 1;
};

struct TerminalConfig {
    std::string model = "Pello";
    std::string password;        // empty: no password wanted
    std::string drives = "ABC";  // the drives present
    TerminalFiles files;         // seeded files; punch days are added to drive A
    PunchDays punchDays;
    std::map<int, std::string> parameters;  // values other than the default "0"
    CivilSeconds clockOffset = 0;           // the terminal's clock against the host's
    bool checksumInEndLine = true;
    HostClock hostClock;  // default: the host's local time
};

// Faults the terminal shows on demand. Counters count down as they are used.
struct TerminalFaults {
    bool silent = false;         // answers nothing at all
    int breakAfterRecords = -1;  // the next transfer stops after this many records and sends
                                 // nothing more of it (no end line); -1: none
    int wrongChecksums = 0;      // end lines of @TYPE/@DBL with the checksum off by one
    int wrongCounts = 0;         // end lines and load counts off by one
};

struct TerminalState;

class Terminal final : public LineTerminal {
public:
    static constexpr int kParameterCount = 100;
    static constexpr size_t kReceivedLimit = 10'000;  // commands kept for received()

    explicit Terminal(TerminalConfig config = {});
    ~Terminal() override;

    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    std::vector<std::string> command(const std::string& text) override;
    bool awaitsCarriageReturn() const override;
    void setCarriageReturnPacing(bool paced) override;

    std::string model() const;
    bool loggedOn() const;
    bool loading() const;
    char currentDrive() const;
    CivilSeconds now() const;  // the terminal's clock
    std::string parameter(int number) const;
    std::optional<Records> file(char drive, const std::string& name) const;
    std::vector<std::string> fileNames(char drive) const;
    void putFile(char drive, const std::string& name, Records records);
    Records program() const;
    std::vector<std::string> received() const;  // every command text, oldest first

    TerminalFaults faults() const;
    void setFaults(const TerminalFaults& faults);

private:
    mutable std::mutex mutex_;
    std::unique_ptr<TerminalState> state_;
};

// The punch file name of a day: "PRE", the last digit of the year, month and day in two digits.
std::string punchFileName(int year, int month, int day);

// The punch files of `days` days ending with the day of `today`.
DriveFiles generatePunchDays(const PunchDays& days, CivilSeconds today);

// Files from a folder: each regular file is one terminal file of drive A named like it, one
// record per line (CR and LF line ends both end a line); subfolders named A, B and C hold the
// files of those drives. Throws std::runtime_error for an unreadable folder or a file name that
// is no terminal name (1-8 characters from 0x21-0x7E).
TerminalFiles readTerminalFolder(const std::string& folder);

}  // namespace sim
