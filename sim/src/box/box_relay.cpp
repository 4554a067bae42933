#include "box_relay.h"

namespace sim {
namespace {

constexpr char kCarriageReturn = '\r';

}  // namespace

// The box passes whole transfers on: nobody on its serial side asks for each record.
void TerminalRelay::attach(int number, std::shared_ptr<LineTerminal> terminal) {
    terminal->setCarriageReturnPacing(false);
    terminals_[number] = std::move(terminal);
}

RelayResult TerminalRelay::relay(int serialSide, const std::string& text) {
    return serialSide == kMultiDropSide ? relayAddressed(text) : relayDirect(text);
}

// The terminal's number, then one command line; each reply carries the number first.
RelayResult TerminalRelay::relayAddressed(const std::string& text) {
    if (text.empty()) return {};
    RelayResult result{.carriedCommand = true, .replies = {}};
    const auto number = static_cast<uint8_t>(text[0]);
    LineTerminal* terminal = terminalAt(number);
    if (terminal == nullptr) return result;
    for (const std::string& line : terminal->command(text.substr(1))) {
        result.replies.push_back(static_cast<char>(number) + line);
    }
    return result;
}

// Serial line bytes for the one terminal directly on the line, the lowest-numbered; each reply
// ends with a CR.
RelayResult TerminalRelay::relayDirect(const std::string& text) {
    std::vector<std::string> lines;
    directLine_.feed(reinterpret_cast<const uint8_t*>(text.data()), text.size(), lines);
    RelayResult result{.carriedCommand = !lines.empty(), .replies = {}};
    if (terminals_.empty()) return result;
    LineTerminal& terminal = *terminals_.begin()->second;
    for (const std::string& line : lines) {
        for (const std::string& reply : terminal.command(line)) {
            result.replies.push_back(reply + kCarriageReturn);
        }
    }
    return result;
}

LineTerminal* TerminalRelay::terminalAt(int number) const {
    const auto found = terminals_.find(number);
    return found == terminals_.end() ? nullptr : found->second.get();
}

void TerminalRelay::restart() { directLine_ = SerialLineReader(); }

}  // namespace sim
