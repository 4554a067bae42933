#include "sim/bus_station.h"

namespace sim {

void QueueStation::receive(const std::string& text) {
    std::lock_guard lock(mutex_);
    received_.push_back(text);
    if (echoesReceived_) outgoing_.push_back(text);
}

std::optional<std::string> QueueStation::pending() {
    std::lock_guard lock(mutex_);
    if (outgoing_.empty()) return std::nullopt;
    return outgoing_.front();
}

void QueueStation::delivered() {
    std::lock_guard lock(mutex_);
    if (!outgoing_.empty()) outgoing_.pop_front();
}

void QueueStation::queue(const std::string& text) {
    std::lock_guard lock(mutex_);
    outgoing_.push_back(text);
}

std::vector<std::string> QueueStation::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<std::string> QueueStation::queued() const {
    std::lock_guard lock(mutex_);
    return {outgoing_.begin(), outgoing_.end()};
}

}  // namespace sim
