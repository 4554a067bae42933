#include "sim/relay_terminal.h"

#include <stdexcept>

namespace sim {
namespace {

constexpr const char* kLogOn = "LOGON ";
constexpr size_t kNumberDigits = 3;

// The number of "LOGON nnn", or -1 when the text is not in that form.
int routingNumber(const std::string& text) {
    const std::string digits = text.substr(std::string(kLogOn).size());
    if (digits.size() != kNumberDigits) return -1;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
    }
    return std::stoi(digits);
}

}  // namespace

RelayTerminal::RelayTerminal(std::shared_ptr<Terminal> relay) : relay_(std::move(relay)) {}

void RelayTerminal::attach(int number, std::shared_ptr<Terminal> terminal) {
    if (number < 1 || number > kHighestRouted) {
        throw std::invalid_argument("a relayed terminal has a number from 1 to 31");
    }
    std::lock_guard lock(mutex_);
    terminal->setCarriageReturnPacing(paced_);
    routed_[number] = std::move(terminal);
}

int RelayTerminal::routedTo() const {
    std::lock_guard lock(mutex_);
    return routedTo_;
}

std::vector<std::string> RelayTerminal::command(const std::string& text) {
    std::lock_guard lock(mutex_);
    if (routedTo_ != 0) {
        if (text == "LOGOFF") return returnToRelay();
        return current().command(text);
    }
    if (text.starts_with(kLogOn)) return logOn(text);
    return relay_->command(text);
}

std::vector<std::string> RelayTerminal::logOn(const std::string& text) {
    if (relay_->faults().silent) return {};
    const int number = routingNumber(text);
    if (number == 0) return {text};
    if (!routed_.contains(number)) return {text + " ??"};
    if (!relay_->loggedOn()) return {".."};
    routedTo_ = number;
    return {text};
}

std::vector<std::string> RelayTerminal::returnToRelay() {
    current().command("LOGOFF");
    routedTo_ = 0;
    return relay_->command("LOGOFF");
}

Terminal& RelayTerminal::current() const {
    return routedTo_ == 0 ? *relay_ : *routed_.at(routedTo_);
}

bool RelayTerminal::awaitsCarriageReturn() const {
    std::lock_guard lock(mutex_);
    return current().awaitsCarriageReturn();
}

void RelayTerminal::setCarriageReturnPacing(bool paced) {
    std::lock_guard lock(mutex_);
    paced_ = paced;
    relay_->setCarriageReturnPacing(paced);
    for (auto& entry : routed_) entry.second->setCarriageReturnPacing(paced);
}

}  // namespace sim
