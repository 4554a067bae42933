#include "box_commands.h"

#include "sim/ipv4_address.h"

namespace sim {
namespace {

using Action = CommandOutcome::Action;

CommandOutcome outcome(Action action, std::string reason = {}) {
    return {.action = action, .reason = std::move(reason)};
}

CommandOutcome refusal(std::string reason) {
    return outcome(Action::Refuse, std::move(reason));
}

}  // namespace

BoxCommands::BoxCommands(BoxSettings settings, std::string version)
    : current_(settings), pending_(std::move(settings)), version_(std::move(version)) {}

CommandOutcome BoxCommands::handle(const std::string& command) {
    if (command == "X") return outcome(Action::Status);
    if (command == "%") return outcome(Action::Apply);
    if (command.empty()) return refusal("empty box command");
    const std::string argument = command.substr(1);
    switch (command[0]) {
        case 'M':
            return setMaster(argument);
        case 'A':
            return setAddress(argument);
        case 'C':
            // As the computer reads it: "C3" anywhere means the multi-drop network.
            pending_.serialSide =
                command.find("C3") != std::string::npos ? kMultiDropSide : kDirectSide;
            return outcome(Action::Echo);
        default:
            return refusal("unknown box command \"" + command + "\"");
    }
}

CommandOutcome BoxCommands::setMaster(const std::string& address) {
    if (!parseDottedAddress(address)) return refusal("bad master address \"" + address + "\"");
    pending_.master = address;
    return outcome(Action::Echo);
}

// The box lives on loopback only: it is never moved where it could reach another network.
CommandOutcome BoxCommands::setAddress(const std::string& address) {
    if (!isLoopbackText(address)) {
        return refusal("refusing the address \"" + address + "\": not in 127.0.0.0/8");
    }
    pending_.address = address;
    return outcome(Action::Echo);
}

const BoxSettings& BoxCommands::apply() {
    current_ = pending_;
    return current_;
}

void BoxCommands::forgetPending() {
    pending_ = current_;
}

void BoxCommands::stayAt(const std::string& address) {
    current_.address = address;
    pending_.address = address;
}

std::string BoxCommands::status(bool ready) const {
    std::string text = ready ? "V" + version_ + " " : "";
    text += current_.serialSide == kMultiDropSide ? "C3" : "C1";
    text += " A" + current_.address + " M" + (current_.master.empty() ? "-" : current_.master);
    return text + "\r";
}

}  // namespace sim
