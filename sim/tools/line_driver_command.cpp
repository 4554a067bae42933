#include "line_driver_command.h"

#include "modem_options.h"
#include "sim/line_driver.h"
#include "terminal_options.h"

namespace sim::tools {
namespace {

struct LineDriverSettings {
    LinkSettings link;
    TerminalSettings terminal;
    std::vector<int> numbers{1};
    TimeStamp stamp = TimeStamp::None;
    LineDriverFaults faults;
    ModemSettings modem;
};

TimeStamp parseStamp(const std::string& text) {
    if (text == "none") return TimeStamp::None;
    if (text == "6") return TimeStamp::Short;
    if (text == "12") return TimeStamp::Long;
    throw UsageError("--stamp must be none, 6 or 12, not \"" + text + "\"");
}

std::vector<Option> lineDriverOptions(LineDriverSettings& s) {
    return joined(
        {linkOptions(s.link),
         {{"--terminals", "N,M,..", "terminal numbers 1-254 (default 1)",
           [&s](const std::string& v) { s.numbers = parseIntegerList(v, 1, 254, "--terminals"); }},
          {"--stamp", "none|6|12", "time stamp characters after the number (default none)",
           [&s](const std::string& v) { s.stamp = parseStamp(v); }},
          {"--driver-silent", "", "the driver answers nothing",
           [&s](const std::string&) { s.faults.silent = true; }},
          {"--wrong-numbers", "N", "the next N replies carry the next terminal's number",
           setCount(s.faults.wrongNumbers, "--wrong-numbers")},
          {"--send-failures", "N", "the next N replies become \"nnn~S\"",
           setCount(s.faults.sendFailures, "--send-failures")},
          {"--receive-failures", "N", "the next N commands are lost, answered \"nnn~R\"",
           setCount(s.faults.receiveFailures, "--receive-failures")}},
         terminalOptions(s.terminal), modemOptions(s.modem)});
}

int runLineDriver(std::span<const std::string> args) {
    LineDriverSettings settings;
    applyOptions(args, lineDriverOptions(settings));
    auto driver = std::make_shared<LineDriver>(settings.stamp);
    for (const int number : settings.numbers)
        driver->attach(number, buildTerminal(settings.terminal, number));
    driver->setFaults(settings.faults);
    return runOnPseudoTerminal(settings.link, behindModem(settings.modem, driver));
}

std::string lineDriverUsage() {
    LineDriverSettings unused;
    return describeOptions(lineDriverOptions(unused));
}

}  // namespace

const Subcommand kLineDriverCommand{
    .name = "linedriver",
    .summary = "the line driver of mode 2 with numbered simulated terminals",
    .run = runLineDriver,
    .usage = lineDriverUsage,
};

}  // namespace sim::tools
