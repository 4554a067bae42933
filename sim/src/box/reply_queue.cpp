#include "reply_queue.h"

#include <algorithm>

namespace sim {
namespace {

constexpr uint16_t kLastSequence = 255;

}  // namespace

uint16_t ReplyQueue::nextSequence() {
    lastSequence_ = lastSequence_ == kLastSequence ? 1 : static_cast<uint16_t>(lastSequence_ + 1);
    return lastSequence_;
}

void ReplyQueue::replace(std::vector<Datagram> replies) {
    waiting_.assign(std::make_move_iterator(replies.begin()), std::make_move_iterator(replies.end()));
    unacknowledged_.clear();
}

std::vector<Datagram> ReplyQueue::sendable() {
    std::vector<Datagram> out;
    while (!waiting_.empty() && unacknowledged_.size() < kWindow) {
        unacknowledged_.push_back(waiting_.front().sequence);
        out.push_back(std::move(waiting_.front()));
        waiting_.pop_front();
    }
    return out;
}

void ReplyQueue::acknowledged(uint16_t sequence) {
    const auto found = std::find(unacknowledged_.begin(), unacknowledged_.end(), sequence);
    if (found != unacknowledged_.end()) unacknowledged_.erase(unacknowledged_.begin(), found + 1);
}

std::vector<uint16_t> ReplyQueue::unacknowledged() const {
    return {unacknowledged_.begin(), unacknowledged_.end()};
}

void ReplyQueue::restart() {
    waiting_.clear();
    unacknowledged_.clear();
    lastSequence_ = 0;
}

}  // namespace sim
