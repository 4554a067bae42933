#include "box_relay.h"

namespace sim {
namespace {

constexpr uint16_t kLastSequence = 255;
constexpr char kCarriageReturn = '\r';

}  // namespace

// The box passes whole transfers on at once: nobody on its serial side asks for each record.
void TerminalRelay::attach(int number, std::shared_ptr<LineTerminal> terminal) {
    terminal->setCarriageReturnPacing(false);
    terminals_[number] = std::move(terminal);
}

std::vector<std::string> TerminalRelay::relay(int serialSide, const std::string& text) {
    return serialSide == kMultiDropSide ? relayAddressed(text) : relayDirect(text);
}

// The terminal's number, then one command line; each reply carries the number first.
std::vector<std::string> TerminalRelay::relayAddressed(const std::string& text) {
    if (text.empty()) return {};
    const auto number = static_cast<uint8_t>(text[0]);
    LineTerminal* terminal = terminalAt(number);
    if (terminal == nullptr) return {};
    std::vector<std::string> replies;
    for (const std::string& line : terminal->command(text.substr(1))) {
        replies.push_back(static_cast<char>(number) + line);
    }
    return replies;
}

// Serial line bytes for the one terminal directly on the line; each reply ends with a CR.
std::vector<std::string> TerminalRelay::relayDirect(const std::string& text) {
    if (terminals_.empty()) return {};
    LineTerminal& terminal = *terminals_.begin()->second;
    std::vector<std::string> lines;
    directLine_.feed(reinterpret_cast<const uint8_t*>(text.data()), text.size(), lines);
    std::vector<std::string> replies;
    for (const std::string& line : lines) {
        for (const std::string& reply : terminal.command(line))
            replies.push_back(reply + kCarriageReturn);
    }
    return replies;
}

LineTerminal* TerminalRelay::terminalAt(int number) const {
    const auto found = terminals_.find(number);
    return found == terminals_.end() ? nullptr : found->second.get();
}

uint16_t TerminalRelay::nextSequence() {
    lastSequence_ = lastSequence_ == kLastSequence ? 1 : static_cast<uint16_t>(lastSequence_ + 1);
    return lastSequence_;
}

void TerminalRelay::awaitAcknowledgement(uint16_t sequence) {
    unacknowledged_.insert(sequence);
}

void TerminalRelay::acknowledged(uint16_t sequence) {
    unacknowledged_.erase(sequence);
}

void TerminalRelay::restart() {
    lastSequence_ = 0;
    unacknowledged_.clear();
    directLine_ = SerialLineReader();
}

}  // namespace sim
