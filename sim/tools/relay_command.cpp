#include "relay_command.h"

#include "modem_options.h"
#include "sim/relay_terminal.h"
#include "sim/rs232_line.h"
#include "terminal_options.h"

namespace sim::tools {
namespace {

struct RelaySettings {
    LinkSettings link;
    TerminalSettings terminal;
    std::vector<int> routed{1};
    ModemSettings modem;
};

std::vector<Option> relayOptions(RelaySettings& s) {
    return joined({linkOptions(s.link),
                   {{"--terminals", "N,M,..", "terminals 1-31 behind the relay (default 1)",
                     [&s](const std::string& v) {
                         s.routed =
                             parseIntegerList(v, 1, RelayTerminal::kHighestRouted, "--terminals");
                     }}},
                   terminalOptions(s.terminal), modemOptions(s.modem)});
}

int runRelay(std::span<const std::string> args) {
    RelaySettings settings;
    applyOptions(args, relayOptions(settings));
    auto relay = std::make_shared<RelayTerminal>(buildTerminal(settings.terminal, 0));
    for (const int number : settings.routed)
        relay->attach(number, buildTerminal(settings.terminal, number));
    return runOnPseudoTerminal(settings.link,
                               behindModem(settings.modem, std::make_shared<Rs232Line>(relay)));
}

std::string relayUsage() {
    RelaySettings unused;
    return describeOptions(relayOptions(unused));
}

}  // namespace

const Subcommand kRelayCommand{
    .name = "relay",
    .summary = "a relaying terminal 0 and terminals 1-31 behind it on an RS232 line (mode 4)",
    .run = runRelay,
    .usage = relayUsage,
};

}  // namespace sim::tools
