// The inside of a simulated terminal, shared by the command families. Only the engine's own
// sources see it; every function here runs with the terminal's lock held.
#pragma once

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "sim/terminal.h"

namespace sim {

inline constexpr char kEot = '\x04';
inline constexpr const char* kConfigurationFile = "CFGS";

struct ActiveLoad {
    bool program = false;  // @LOADP: the records become the program
    char drive = 'A';
    std::string name;
    int64_t count = 0;
};

// The rest of a transfer on a paced line. A transfer broken off by the broken-line fault keeps
// taking the computer's CRs and answers none, as a dead line does.
struct PacedTransfer {
    std::deque<std::string> lines;
    bool broken = false;

    bool waiting() const { return !lines.empty() || broken; }
    void clear() { *this = {}; }
};

struct TerminalState {
    explicit TerminalState(TerminalConfig config);

    TerminalConfig config;
    bool ovrid = false;
    bool loggedOn = false;
    char drive = 'A';
    CivilSeconds clockOffset = 0;
    TerminalFiles files;
    std::array<std::string, Terminal::kParameterCount> parameters;
    Records program;
    std::optional<ActiveLoad> load;
    PacedTransfer paced;
    bool pacedLink = false;
    TerminalFaults faults;
    std::deque<std::string> received;
};

// What a command gives: the lines sent at once, and the lines of a transfer that follow them
// (one per lone CR on a paced line, at once elsewhere).
struct Answer {
    std::vector<std::string> lines;
    std::vector<std::string> transfer;
    bool broken = false;  // the transfer stops short: the line broke
};

// A family of commands answers those it knows and gives nullopt for the others.
using CommandFamily = std::optional<Answer> (*)(TerminalState& state, const std::string& text);

std::optional<Answer> logonCommand(TerminalState& state, const std::string& text);
std::optional<Answer> clockConfigCommand(TerminalState& state, const std::string& text);
std::optional<Answer> fileCommand(TerminalState& state, const std::string& text);
std::optional<Answer> loadCommand(TerminalState& state, const std::string& text);

// While a load runs every line is one of its records, and 0x04 ends it.
Answer loadRecord(TerminalState& state, const std::string& text);

// The whole of a restart: logon, load and transfer forgotten.
void restart(TerminalState& state);

// Small helpers shared by the families.
inline Answer reply(std::string line) {
    return Answer{.lines = {std::move(line)}, .transfer = {}};
}
inline Answer refused(const std::string& text) {
    return reply(text + " ??");
}
inline Answer notFound(const std::string& text) {
    return reply(text + " ?*");
}
bool isTerminalFileName(const std::string& name);
bool allDigits(const std::string& text);
CivilSeconds terminalNow(const TerminalState& state);
// The records of a file of the current drive; the configuration file, on every drive, is made
// on request.
std::optional<Records> readFile(const TerminalState& state, const std::string& name);
Records configurationRecords(const TerminalState& state);
// A count as the next end line reports it: off by one while the wrong-count fault lasts.
int64_t reportedCount(TerminalState& state, int64_t count);

}  // namespace sim
