#include "modem_options.h"

#include <utility>

namespace sim::tools {
namespace {

constexpr int kMaxDelayMs = 600'000;
constexpr int kMaxSpeed = 1'000'000;

struct OutcomeName {
    const char* name;
    DialOutcome outcome;
};

constexpr OutcomeName kOutcomes[] = {
    {"connect", DialOutcome::Connect},        {"busy", DialOutcome::Busy},
    {"no-carrier", DialOutcome::NoCarrier},   {"no-dial-tone", DialOutcome::NoDialTone},
    {"no-answer", DialOutcome::NoAnswer},     {"unanswered", DialOutcome::Unanswered},
    {"silent", DialOutcome::Silent},
};

DialOutcome parseOutcome(const std::string& text) {
    for (const OutcomeName& entry : kOutcomes) {
        if (text == entry.name) return entry.outcome;
    }
    throw UsageError("--modem-dial must be connect, busy, no-carrier, no-dial-tone, no-answer, "
                     "unanswered or silent, not \"" + text + "\"");
}

// An option action that enables the modem before doing `then`.
std::function<void(const std::string&)> enabling(ModemSettings& s,
                                                 std::function<void(const std::string&)> then) {
    return [&s, then = std::move(then)](const std::string& v) {
        s.enabled = true;
        then(v);
    };
}

}  // namespace

std::vector<Option> modemOptions(ModemSettings& s) {
    return {
        {"--modem", "", "a Hayes-style dial-up modem in front of the line",
         [&s](const std::string&) { s.enabled = true; }},
        {"--modem-dial", "OUTCOME",
         "connect (default), busy, no-carrier, no-dial-tone, no-answer, unanswered (NO CARRIER "
         "after S7 s) or silent",
         enabling(s, [&s](const std::string& v) { s.config.outcome = parseOutcome(v); })},
        {"--modem-speed", "N", "the speed in CONNECT (default 9600)",
         enabling(s, [&s](const std::string& v) {
             s.config.speed = parseInteger(v, 1, kMaxSpeed, "--modem-speed");
         })},
        {"--modem-delay", "MS", "from the dial command to its outcome (default 100)",
         enabling(s, [&s](const std::string& v) {
             s.config.answerDelayMs = parseInteger(v, 0, kMaxDelayMs, "--modem-delay");
         })},
        {"--modem-carrier", "", "the modem reports CARRIER before CONNECT",
         enabling(s, [&s](const std::string&) { s.config.carrierLine = true; })},
        {"--modem-silent", "", "the modem echoes and answers nothing",
         enabling(s, [&s](const std::string&) { s.faults.silent = true; })},
        {"--modem-garble", "N", "the next N echoed commands end with a changed character",
         enabling(s, setCount(s.faults.garbledEchoes, "--modem-garble"))},
        {"--modem-refuse", "PREFIX", "commands beginning with PREFIX (any case) get ERROR",
         enabling(s, [&s](const std::string& v) { s.faults.refuse = v; })},
        {"--modem-drop-after", "N",
         "the carrier drops (NO CARRIER) after the terminal's first N bytes on line",
         enabling(s, setCount(s.faults.dropAfter, "--modem-drop-after"))},
        {"--modem-bare-refusal", "", "a refused command gets a bare ERROR line, no echo",
         enabling(s, [&s](const std::string&) { s.faults.bareRefusal = true; })},
    };
}

std::shared_ptr<LineDevice> behindModem(const ModemSettings& settings,
                                        std::shared_ptr<LineDevice> device, FaultReport* report) {
    if (!settings.enabled) return device;
    auto modem = std::make_shared<HayesModem>(std::move(device), settings.config);
    modem->setFaults(settings.faults);
    if (report != nullptr) {
        report->add([modem, given = settings.faults] { return injectedFaults(given, modem->faults()); });
    }
    return modem;
}

}  // namespace sim::tools
