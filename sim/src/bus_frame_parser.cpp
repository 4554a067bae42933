#include "sim/bus_frame_parser.h"

namespace sim {
namespace {

constexpr uint8_t kLowSevenBits = 0x7F;

uint8_t exclusiveOr(const std::string& text) {
    uint8_t sum = 0;
    for (const char c : text) sum ^= static_cast<uint8_t>(c);
    return sum;
}

bool isPollCode(uint8_t byte) {
    return byte == 3 || byte == 6 || byte == kRepeatCode;
}

bool continuesFrame(uint8_t byte) {
    return isPollCode(byte) || byte == kMessageCode || byte == kAckCode;
}

BusFrame frameOf(FrameKind kind, uint8_t address, uint8_t code = 0) {
    BusFrame frame;
    frame.kind = kind;
    frame.address = address;
    frame.code = code;
    return frame;
}

}  // namespace

uint8_t messageChecksum(const std::string& text) {
    const uint8_t sum = exclusiveOr(text);
    return sum == 0 ? 0x80 : sum;
}

bool checksumMatches(const std::string& text, uint8_t checksum) {
    return ((exclusiveOr(text) ^ checksum) & kLowSevenBits) == 0;
}

void BusFrameParser::feed(uint8_t byte, int64_t nowNs, bool oneWithoutGapIsProbe,
                          std::vector<BusFrame>& frames) {
    switch (state_) {
        case State::FrameStart:
            address_ = byte;
            addressNs_ = nowNs;
            state_ = State::AfterAddress;
            return;
        case State::AfterAddress:
            takeCode(byte, nowNs, oneWithoutGapIsProbe, frames);
            return;
        case State::InMessage:
            takeMessageByte(byte, frames);
            return;
    }
}

void BusFrameParser::quiet(int64_t nowNs, std::vector<BusFrame>& frames) {
    if (state_ != State::AfterAddress || address_ != kEchoProbe) return;
    if (nowNs - addressNs_ < kProbeGapNs) return;
    frames.push_back(frameOf(FrameKind::Probe, address_));
    state_ = State::FrameStart;
}

void BusFrameParser::takeCode(uint8_t byte, int64_t nowNs, bool oneWithoutGapIsProbe,
                              std::vector<BusFrame>& frames) {
    if (!continuesFrame(byte) || isProbe(nowNs, oneWithoutGapIsProbe)) {
        // The byte before was no address: it stands alone, and this one may start a frame.
        const FrameKind kind = address_ == kEchoProbe ? FrameKind::Probe : FrameKind::Stray;
        frames.push_back(frameOf(kind, address_));
        state_ = State::FrameStart;
        feed(byte, nowNs, oneWithoutGapIsProbe, frames);
        return;
    }
    if (byte == kMessageCode) {
        body_.clear();
        state_ = State::InMessage;
        return;
    }
    frames.push_back(frameOf(byte == kAckCode ? FrameKind::Ack : FrameKind::Poll, address_, byte));
    state_ = State::FrameStart;
}

bool BusFrameParser::isProbe(int64_t nowNs, bool oneWithoutGapIsProbe) const {
    if (address_ != kEchoProbe) return false;
    return oneWithoutGapIsProbe || nowNs - addressNs_ >= kProbeGapNs;
}

void BusFrameParser::takeMessageByte(uint8_t byte, std::vector<BusFrame>& frames) {
    if (byte != 0) {
        body_.push_back(static_cast<char>(byte));
        if (body_.size() > kMaxBody) {
            frames.push_back(frameOf(FrameKind::Stray, address_));
            state_ = State::FrameStart;
        }
        return;
    }
    BusFrame frame = frameOf(FrameKind::Message, address_, kMessageCode);
    if (!body_.empty()) {
        const auto checksum = static_cast<uint8_t>(body_.back());
        frame.text = body_.substr(0, body_.size() - 1);
        frame.checksumOk = checksumMatches(frame.text, checksum);
    }
    frames.push_back(std::move(frame));
    state_ = State::FrameStart;
}

}  // namespace sim
