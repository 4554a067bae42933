#include "bus_command.h"

#include <memory>
#include <vector>

#include "command_line.h"
#include "sim/pty_link.h"
#include "sim/selvo_bus.h"
#include "stop_signals.h"

namespace sim::tools {
namespace {

struct BusSettings {
    std::string folder;
    int port = 0;
    std::vector<int> addresses{1};
    bool radio = false;
    BusFaults faults;
};

uint8_t parseAckByte(const std::string& text) {
    if (text == "P" || text == "Q") return static_cast<uint8_t>(text[0]);
    if (text == "grave" || text == "`") return 0x60;
    throw UsageError("--ack must be P, Q or grave, not \"" + text + "\"");
}

std::vector<Option> busOptions(BusSettings& s) {
    auto count = [](int& field, const char* what) {
        return
            [&field, what](const std::string& v) { field = parseInteger(v, 0, 1'000'000, what); };
    };
    return {
        {"--dir", "DIR", "folder for the COM<N> link (required)",
         [&s](const std::string& v) { s.folder = v; }},
        {"--port", "N", "port number 1-500 (required)",
         [&s](const std::string& v) { s.port = parseInteger(v, 1, 500, "--port"); }},
        {"--terminals", "A,B,..", "station addresses 1-255 (default 1); each echoes what it gets",
         [&s](const std::string& v) { s.addresses = parseIntegerList(v, 1, 255, "--terminals"); }},
        {"--radio", "", "a radio modem in front of the bus (AT start-up)",
         [&s](const std::string&) { s.radio = true; }},
        {"--echo", "", "the line echoes every byte",
         [&s](const std::string&) { s.faults.echo = true; }},
        {"--silent", "", "no station answers",
         [&s](const std::string&) { s.faults.silent = true; }},
        {"--garbled", "N", "garble the next N answers to polls",
         count(s.faults.garbledAnswers, "--garbled")},
        {"--bad-checksums", "N", "spoil the checksum of the next N messages delivered",
         count(s.faults.badChecksums, "--bad-checksums")},
        {"--repeat-requests", "N", "answer the next N messages \"R\"",
         count(s.faults.repeatRequests, "--repeat-requests")},
        {"--refusals", "N", "refuse the next N messages", count(s.faults.refusals, "--refusals")},
        {"--ack", "P|Q|grave", "the acknowledgement byte (default P)",
         [&s](const std::string& v) { s.faults.ackByte = parseAckByte(v); }},
        {"--checksum-bit7", "", "set bit 7 of every checksum delivered",
         [&s](const std::string&) { s.faults.checksumBit7 = true; }},
    };
}

std::shared_ptr<LineDevice> buildBus(const BusSettings& settings) {
    auto bus = std::make_shared<SelvoBus>();
    for (const int address : settings.addresses) {
        bus->attach(static_cast<uint8_t>(address), std::make_shared<QueueStation>(true));
    }
    bus->setFaults(settings.faults);
    if (settings.radio) return std::make_shared<RadioModem>(bus);
    return bus;
}

int runBus(std::span<const std::string> args) {
    BusSettings settings;
    const std::vector<Option> options = busOptions(settings);
    applyOptions(args, options);
    if (settings.folder.empty() || settings.port == 0)
        throw UsageError("--dir and --port are required");
    PtyLink link(settings.folder, settings.port, buildBus(settings));
    link.start();
    announceReady(link.linkPath());
    waitForStopSignal();
    return 0;
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
