#include "bus_command.h"

#include <memory>
#include <vector>

#include "command_line.h"
#include "sim/bus_terminal.h"
#include "sim/selvo_bus.h"
#include "terminal_options.h"

namespace sim::tools {
namespace {

struct BusSettings {
    LinkSettings link;
    std::vector<int> addresses;          // echoing stations
    std::vector<int> terminalAddresses;  // simulated terminals
    TerminalSettings terminal;
    bool radio = false;
    BusFaults faults;
};

uint8_t parseAckByte(const std::string& text) {
    if (text == "P" || text == "Q") return static_cast<uint8_t>(text[0]);
    if (text == "grave" || text == "`") return 0x60;
    throw UsageError("--ack must be P, Q or grave, not \"" + text + "\"");
}

std::vector<Option> busOptions(BusSettings& s) {
    std::vector<Option> bus = {
        {"--terminals", "A,B,..",
         "echoing stations at addresses 1-255 (default 1 when no --sim-terminals)",
         [&s](const std::string& v) { s.addresses = parseIntegerList(v, 1, 255, "--terminals"); }},
        {"--sim-terminals", "A,B,..", "simulated terminals at addresses 1-255",
         [&s](const std::string& v) {
             s.terminalAddresses = parseIntegerList(v, 1, 255, "--sim-terminals");
         }},
        {"--radio", "", "a radio modem in front of the bus (AT start-up)",
         [&s](const std::string&) { s.radio = true; }},
        {"--echo", "", "the line echoes every byte",
         [&s](const std::string&) { s.faults.echo = true; }},
        {"--silent", "", "no station answers",
         [&s](const std::string&) { s.faults.silent = true; }},
        {"--garbled", "N", "garble the next N answers to polls",
         setCount(s.faults.garbledAnswers, "--garbled")},
        {"--bad-checksums", "N", "spoil the checksum of the next N messages delivered",
         setCount(s.faults.badChecksums, "--bad-checksums")},
        {"--repeat-requests", "N", "answer the next N messages \"R\"",
         setCount(s.faults.repeatRequests, "--repeat-requests")},
        {"--refusals", "N", "refuse the next N messages",
         setCount(s.faults.refusals, "--refusals")},
        {"--wrong-addresses", "N", "deliver the next N messages with the next address",
         setCount(s.faults.wrongAddresses, "--wrong-addresses")},
        {"--noise", "N",
         "line noise on the next N answers: a stray byte before one, a changed bit in the next",
         setCount(s.faults.noise, "--noise")},
        {"--faults-after", "N", "answer the first N polls and messages without the faults",
         setCount(s.faults.faultsAfter, "--faults-after")},
        {"--ack", "P|Q|grave", "the acknowledgement byte (default P)",
         [&s](const std::string& v) { s.faults.ackByte = parseAckByte(v); }},
        {"--checksum-bit7", "", "set bit 7 of every checksum delivered",
         [&s](const std::string&) { s.faults.checksumBit7 = true; }},
    };
    return joined({linkOptions(s.link), std::move(bus), terminalOptions(s.terminal)});
}

std::shared_ptr<LineDevice> buildBus(const BusSettings& settings, FaultReport& report) {
    auto bus = std::make_shared<SelvoBus>();
    for (const int address : settings.addresses) {
        bus->attach(static_cast<uint8_t>(address), std::make_shared<QueueStation>(true));
    }
    for (const int address : settings.terminalAddresses) {
        bus->attach(static_cast<uint8_t>(address),
                    std::make_shared<BusTerminal>(buildTerminal(settings.terminal, address, &report)));
    }
    bus->setFaults(settings.faults);
    report.add([bus, given = settings.faults] { return injectedFaults(given, bus->faults()); });
    if (settings.radio) return std::make_shared<RadioModem>(bus);
    return bus;
}

int runBus(std::span<const std::string> args) {
    BusSettings settings;
    applyOptions(args, busOptions(settings));
    if (settings.addresses.empty() && settings.terminalAddresses.empty()) settings.addresses = {1};
    FaultReport report;
    return runOnPseudoTerminal(settings.link, buildBus(settings, report), &report);
}

std::string busUsage() {
    BusSettings unused;
    return describeOptions(busOptions(unused));
}

}  // namespace

const Subcommand kBusCommand{
    .name = "bus",
    .summary = "a Selvo bus of simulated stations on a pseudo-terminal",
    .run = runBus,
    .usage = busUsage,
};

}  // namespace sim::tools
