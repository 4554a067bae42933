#include "terminal_options.h"

#include "sim/pty_link.h"
#include "stop_signals.h"
#include "subcommand.h"

namespace sim::tools {
namespace {

constexpr int kMaxCount = 1'000'000;
constexpr int kMaxPunchDays = 3650;
constexpr int kSecondsPerYear = 366 * 86'400;

// "N=TEXT" with N a parameter or terminal number from 0 to `max`.
std::pair<int, std::string> numberedValue(const std::string& text, int max, const char* what) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos) throw UsageError(std::string(what) + " takes N=VALUE");
    return {parseInteger(text.substr(0, equals), 0, max, what), text.substr(equals + 1)};
}

std::string checkedDrives(const std::string& text) {
    if (text.empty() || text.find_first_not_of("ABC") != std::string::npos) {
        throw UsageError("--drives takes letters from A, B and C, not \"" + text + "\"");
    }
    return text;
}

}  // namespace

std::vector<Option> linkOptions(LinkSettings& s) {
    return {
        {"--dir", "DIR", "folder for the COM<N> link (required)",
         [&s](const std::string& v) { s.folder = v; }},
        {"--port", "N", "port number 1-500 (required)",
         [&s](const std::string& v) { s.port = parseInteger(v, 1, 500, "--port"); }},
    };
}

std::vector<Option> terminalOptions(TerminalSettings& s) {
    TerminalConfig& c = s.config;
    return {
        {"--model", "NAME", "model name in the identification (default Pello)",
         [&c](const std::string& v) { c.model = v; }},
        {"--model-of", "N=NAME", "model of terminal N alone (repeatable)",
         [&s](const std::string& v) { s.modelOf.insert(numberedValue(v, 254, "--model-of")); }},
        {"--password", "TEXT", "the password the terminals want (default none)",
         [&c](const std::string& v) { c.password = v; }},
        {"--files", "FOLDER", "seed files: one file per terminal file, subfolders A, B, C",
         [&s](const std::string& v) { s.filesFolder = v; }},
        {"--punch-days", "N", "punch files for the last N days on drive A",
         [&c](const std::string& v) {
             c.punchDays.days = parseInteger(v, 0, kMaxPunchDays, "--punch-days");
         }},
        {"--seed", "N", "seed of the generated punches (default 1)",
         [&c](const std::string& v) {
             c.punchDays.seed = static_cast<uint32_t>(parseInteger(v, 0, kMaxCount, "--seed"));
         }},
        {"--clock-offset", "S", "the terminals' clock against the host's, in seconds",
         [&c](const std::string& v) {
             c.clockOffset =
                 parseInteger(v, -kSecondsPerYear * 50, kSecondsPerYear * 50, "--clock-offset");
         }},
        {"--drives", "LETTERS", "drives present (default ABC)",
         [&c](const std::string& v) { c.drives = checkedDrives(v); }},
        {"--param", "N=VALUE", "value of parameter N, 0-99 (repeatable; default 0)",
         [&c](const std::string& v) {
             auto [number, value] = numberedValue(v, 99, "--param");
             c.parameters[number] = value;
         }},
        {"--no-recs", "", "end lines without the RECS checksum",
         [&c](const std::string&) { c.checksumInEndLine = false; }},
        {"--silent-terminal", "", "the terminals answer nothing",
         [&s](const std::string&) { s.faults.silent = true; }},
        {"--break-after", "N", "the first transfer of N records or more stops after N",
         [&s](const std::string& v) {
             s.faults.breakAfterRecords = parseInteger(v, 0, kMaxCount, "--break-after");
         }},
        {"--wrong-checksums", "N", "the next N end lines carry a wrong checksum",
         setCount(s.faults.wrongChecksums, "--wrong-checksums")},
        {"--wrong-counts", "N", "the next N end lines and load counts are off by one",
         setCount(s.faults.wrongCounts, "--wrong-counts")},
    };
}

std::shared_ptr<Terminal> buildTerminal(const TerminalSettings& settings, int number,
                                        FaultReport* report) {
    TerminalConfig config = settings.config;
    if (const auto model = settings.modelOf.find(number); model != settings.modelOf.end()) {
        config.model = model->second;
    }
    if (!settings.filesFolder.empty()) config.files = readTerminalFolder(settings.filesFolder);
    config.punchDays.address = number;
    config.punchDays.seed += static_cast<uint32_t>(number);
    auto terminal = std::make_shared<Terminal>(config);
    terminal->setFaults(settings.faults);
    if (report != nullptr) {
        report->add([terminal, given = settings.faults] {
            return injectedFaults(given, terminal->faults());
        });
    }
    return terminal;
}

int runOnPseudoTerminal(const LinkSettings& link, std::shared_ptr<LineDevice> device,
                        const FaultReport* report) {
    if (link.folder.empty() || link.port == 0) throw UsageError("--dir and --port are required");
    PtyLink pty(link.folder, link.port, std::move(device));
    pty.start();
    announceReady(pty.linkPath());
    waitForStopSignal();
    if (report != nullptr) report->print();
    return 0;
}

std::vector<Option> joined(std::vector<std::vector<Option>> tables) {
    std::vector<Option> all;
    for (std::vector<Option>& table : tables) {
        for (Option& option : table) all.push_back(std::move(option));
    }
    return all;
}

}  // namespace sim::tools
