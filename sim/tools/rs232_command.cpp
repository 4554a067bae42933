#include "rs232_command.h"

#include "modem_options.h"
#include "sim/rs232_line.h"
#include "terminal_options.h"

namespace sim::tools {
namespace {

struct Rs232Settings {
    LinkSettings link;
    TerminalSettings terminal;
    bool echo = false;
    ModemSettings modem;
};

std::vector<Option> rs232Options(Rs232Settings& s) {
    return joined({linkOptions(s.link),
                   {{"--echo", "", "the line repeats every command before the reply",
                     [&s](const std::string&) { s.echo = true; }}},
                   terminalOptions(s.terminal), modemOptions(s.modem)});
}

int runRs232(std::span<const std::string> args) {
    Rs232Settings settings;
    applyOptions(args, rs232Options(settings));
    FaultReport report;
    auto line = std::make_shared<Rs232Line>(buildTerminal(settings.terminal, 0, &report),
                                            settings.echo);
    return runOnPseudoTerminal(settings.link, behindModem(settings.modem, std::move(line), &report),
                               &report);
}

std::string rs232Usage() {
    Rs232Settings unused;
    return describeOptions(rs232Options(unused));
}

}  // namespace

const Subcommand kRs232Command{
    .name = "rs232",
    .summary = "a simulated terminal on a direct RS232 line (mode 3)",
    .run = runRs232,
    .usage = rs232Usage,
};

}  // namespace sim::tools
