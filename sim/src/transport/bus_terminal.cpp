#include "sim/bus_terminal.h"

namespace sim {

BusTerminal::BusTerminal(std::shared_ptr<LineTerminal> terminal) : terminal_(std::move(terminal)) {
    terminal_->setCarriageReturnPacing(false);
}

void BusTerminal::receive(const std::string& text) {
    std::vector<std::string> replies = terminal_->command(text);
    std::lock_guard lock(mutex_);
    outgoing_.resize(handedOut_ && !outgoing_.empty() ? 1 : 0);
    for (std::string& reply : replies) outgoing_.push_back(std::move(reply));
}

std::optional<std::string> BusTerminal::pending() {
    std::lock_guard lock(mutex_);
    if (outgoing_.empty()) return std::nullopt;
    handedOut_ = true;
    return outgoing_.front();
}

void BusTerminal::delivered() {
    std::lock_guard lock(mutex_);
    if (!outgoing_.empty()) outgoing_.pop_front();
    handedOut_ = false;
}

std::vector<std::string> BusTerminal::queued() const {
    std::lock_guard lock(mutex_);
    return {outgoing_.begin(), outgoing_.end()};
}

}  // namespace sim
