#include "box_command.h"

#include <optional>
#include <vector>

#include "command_line.h"
#include "sim/ipv4_address.h"
#include "sim/network_box.h"
#include "stop_signals.h"
#include "terminal_options.h"

namespace sim::tools {
namespace {

constexpr int kHighestTerminal = 254;
constexpr int kHighestPort = 65535;

struct BoxCommandSettings {
    BoxConfig box;
    std::optional<std::vector<int>> terminals;  // default: 1 on a multi-drop side, else 0
    TerminalSettings terminal;
    BoxFaults faults;
};

std::string loopbackAddress(const std::string& text) {
    if (!isLoopbackText(text)) {
        throw UsageError("--address must be an address in 127.0.0.0/8, not \"" + text + "\"");
    }
    return text;
}

std::string cipherKey(const std::string& text) {
    if (text.size() != kavex::kKeyLength) throw UsageError("--key takes exactly 16 characters");
    return text;
}

std::vector<Option> boxSettingOptions(BoxCommandSettings& s) {
    BoxConfig& b = s.box;
    return {
        {"--address", "A.B.C.D", "the box's address in 127.0.0.0/8 (default 127.0.0.2)",
         [&b](const std::string& v) { b.settings.address = loopbackAddress(v); }},
        {"--port", "N", "UDP port 0-65535 (default 8499; 0: any free port)",
         [&b](const std::string& v) {
             b.port = static_cast<uint16_t>(parseInteger(v, 0, kHighestPort, "--port"));
         }},
        {"--serial-mode", "1|3",
         "1: terminals by number on a multi-drop network (default); 3: one terminal directly",
         [&b](const std::string& v) {
             if (v != "1" && v != "3") throw UsageError("--serial-mode must be 1 or 3");
             b.settings.serialSide = v == "1" ? kMultiDropSide : kDirectSide;
         }},
        {"--terminals", "N,M,..",
         "terminal numbers 0-254 (default 1; with --serial-mode 3 the lowest answers, default 0)",
         [&s](const std::string& v) {
             s.terminals = parseIntegerList(v, 0, kHighestTerminal, "--terminals");
         }},
        {"--encipher", "", "reply lines and box command answers enciphered (types 11, 14)",
         [&b](const std::string&) { b.encipherData = b.encipherAnswers = true; }},
        {"--key", "TEXT", "the 16-character cipher key (default the library's)",
         [&b](const std::string& v) { b.key = cipherKey(v); }},
        {"--init-on-restart", "", "answer \"%\" with an init datagram, not an acknowledgement",
         [&b](const std::string&) { b.initOnRestart = true; }},
    };
}

std::vector<Option> boxFaultOptions(BoxFaults& f) {
    return {
        {"--silent", "", "the box answers nothing", [&f](const std::string&) { f.silent = true; }},
        {"--not-ready", "", "the status lacks \"V\"",
         [&f](const std::string&) { f.notReady = true; }},
        {"--lose-received", "N", "lose the next N datagrams received",
         setCount(f.loseReceived, "--lose-received")},
        {"--lose-sent", "N", "lose the next N datagrams to send",
         setCount(f.loseSent, "--lose-sent")},
        {"--repeat-replies", "N", "send the next N reply lines twice",
         setCount(f.repeatReplies, "--repeat-replies")},
        {"--reorder-answers", "N", "swap neighbours in the answers to the next N terminal data",
         setCount(f.reorderAnswers, "--reorder-answers")},
        {"--error-answers", "N", "answer the next N datagrams with an error datagram",
         setCount(f.errorAnswers, "--error-answers")},
        {"--restarts", "N", "lose the next N datagrams to a restart with an init datagram",
         setCount(f.restarts, "--restarts")},
        {"--faults-after", "N", "receive and answer the first N datagrams without the faults",
         setCount(f.faultsAfter, "--faults-after")},
    };
}

std::vector<Option> boxOptions(BoxCommandSettings& s) {
    return joined({boxSettingOptions(s), boxFaultOptions(s.faults), terminalOptions(s.terminal)});
}

std::vector<int> terminalNumbers(const BoxCommandSettings& s) {
    if (s.terminals) return *s.terminals;
    return {s.box.settings.serialSide == kMultiDropSide ? 1 : 0};
}

int runBox(std::span<const std::string> args) {
    BoxCommandSettings settings;
    applyOptions(args, boxOptions(settings));
    NetworkBox box(settings.box);
    FaultReport report;
    for (const int number : terminalNumbers(settings)) {
        box.attach(number, buildTerminal(settings.terminal, number, &report));
    }
    box.engine().setFaults(settings.faults);
    report.add([&box, given = settings.faults] { return injectedFaults(given, box.engine().faults()); });
    box.start();
    announceReady(box.address() + ":" + std::to_string(box.port()));
    waitForStopSignal();
    report.print();
    return 0;
}

std::string boxUsage() {
    BoxCommandSettings unused;
    return describeOptions(boxOptions(unused));
}

}  // namespace

const Subcommand kBoxCommand{
    .name = "box",
    .summary = "a network box on a loopback UDP address with terminals behind it (mode 6)",
    .run = runBox,
    .usage = boxUsage,
};

}  // namespace sim::tools
