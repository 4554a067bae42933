#include "sim/selvo_bus.h"

#include <cstdio>

namespace sim {
namespace {

std::string describe(const BusFrame& frame) {
    const std::string address = std::to_string(frame.address);
    switch (frame.kind) {
        case FrameKind::Poll: {
            const std::string code = frame.code == kRepeatCode ? "R" : std::to_string(frame.code);
            return "poll " + address + " " + code;
        }
        case FrameKind::Message:
            return "msg " + address + " " + frame.text + (frame.checksumOk ? "" : " !checksum");
        case FrameKind::Ack:
            return "ack " + address;
        case FrameKind::Probe:
            return "probe";
        case FrameKind::Stray:
            break;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", frame.address);
    return std::string("stray ") + hex;
}

// A checksum whose low seven bits are wrong, and which is never 0x00.
uint8_t spoiled(uint8_t checksum) {
    return static_cast<uint8_t>(0x80 | ((checksum + 1) & 0x7F));
}

bool takeOne(int& counter) {
    if (counter <= 0) return false;
    --counter;
    return true;
}

// One bit of the byte in the middle of an answer changed, so that the answer is no longer
// what was sent: a lone answer byte becomes one the computer does not know, a message fails its
// checksum (bits 0-6 are compared). The byte never becomes 0x00, which would end the frame.
void changeOneBit(std::string& answer) {
    char& byte = answer[answer.size() / 2];
    const uint8_t mask = byte == 0x40 ? 0x20 : 0x40;
    byte = static_cast<char>(static_cast<uint8_t>(byte) ^ mask);
}

}  // namespace

void SelvoBus::attach(uint8_t address, std::shared_ptr<BusStation> station) {
    std::lock_guard lock(mutex_);
    stations_[address] = std::move(station);
}

BusFaults SelvoBus::faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

void SelvoBus::setFaults(const BusFaults& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
}

std::vector<std::string> SelvoBus::log() const {
    std::lock_guard lock(mutex_);
    return {log_.begin(), log_.end()};
}

void SelvoBus::clearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

void SelvoBus::received(const uint8_t* data, size_t size, int64_t nowNs, std::string& out) {
    std::lock_guard lock(mutex_);
    std::vector<BusFrame> frames;
    for (size_t i = 0; i < size; ++i) {
        // The echo comes back before anything the stations answer to the same byte.
        if (faults_.echo) out.push_back(static_cast<char>(data[i]));
        frames.clear();
        parser_.feed(data[i], nowNs, oneWithoutGapIsProbe(), frames);
        for (const BusFrame& frame : frames) handle(frame, out);
    }
}

void SelvoBus::idle(int64_t nowNs, std::string& out) {
    std::lock_guard lock(mutex_);
    std::vector<BusFrame> frames;
    parser_.quiet(nowNs, frames);
    for (const BusFrame& frame : frames) handle(frame, out);
}

// The computer goes on at once on an echoing line, and the probe and the first frame also meet
// in one read when the link's thread was not scheduled during the pause after the "1"; neither
// is ambiguous unless a station answers to "1".
bool SelvoBus::oneWithoutGapIsProbe() const {
    return stationAt(kEchoProbe) == nullptr;
}

BusStation* SelvoBus::stationAt(uint8_t address) const {
    const auto found = stations_.find(address);
    return found == stations_.end() ? nullptr : found->second.get();
}

void SelvoBus::handle(const BusFrame& frame, std::string& out) {
    record(describe(frame));
    if (frame.kind == FrameKind::Poll || frame.kind == FrameKind::Message) {
        sparing_ = takeOne(faults_.faultsAfter);
    }
    switch (frame.kind) {
        case FrameKind::Poll:
            answerPoll(frame.address, out);
            return;
        case FrameKind::Ack:
            acknowledge(frame.address);
            return;
        case FrameKind::Message:
            if (frame.address == 0)
                broadcast(frame);
            else
                answerMessage(frame, out);
            return;
        case FrameKind::Probe:
        case FrameKind::Stray:
            return;
    }
}

// A repeat ("R") is answered like the poll itself: the station's pending text stays the same
// until it is acknowledged, so the answer is the one given before.
void SelvoBus::answerPoll(uint8_t address, std::string& out) {
    BusStation* station = stationAt(address);
    if (station == nullptr || faults_.silent) return;
    const std::optional<std::string> text = station->pending();
    std::string answer(1, static_cast<char>(faults_.ackByte));
    if (text) {
        answer = messageAnswer(address, *text);
        awaitingAck_.insert(address);
    }
    if (take(faults_.garbledAnswers)) answer[0] = static_cast<char>(kGarbledByte);
    sendAnswer(std::move(answer), out);
}

void SelvoBus::sendAnswer(std::string answer, std::string& out) {
    if (!take(faults_.noise)) {
        out += answer;
        return;
    }
    if (noisyAnswers_++ % 2 == 0) {
        out.push_back(static_cast<char>(kNoiseByte));
    } else {
        changeOneBit(answer);
    }
    out += answer;
}

bool SelvoBus::take(int& counter) {
    return !sparing_ && takeOne(counter);
}

// "T", the station's address and text, the checksum, 0x00. A text is cut at a 0x00 byte, which
// would end the message early.
std::string SelvoBus::messageAnswer(uint8_t address, const std::string& text) {
    const auto sender =
        static_cast<uint8_t>(take(faults_.wrongAddresses) ? address + 1 : address);
    const std::string body = static_cast<char>(sender) + text.substr(0, text.find('\0'));
    uint8_t checksum = messageChecksum(body);
    if (faults_.checksumBit7) checksum |= 0x80;
    if (take(faults_.badChecksums)) checksum = spoiled(checksum);
    return "T" + body + static_cast<char>(checksum) + '\0';
}

void SelvoBus::answerMessage(const BusFrame& frame, std::string& out) {
    BusStation* station = stationAt(frame.address);
    if (station == nullptr || faults_.silent) return;
    if (!frame.checksumOk || take(faults_.repeatRequests)) {
        sendAnswer(std::string(1, static_cast<char>(kRepeatCode)), out);
        return;
    }
    if (take(faults_.refusals)) {
        sendAnswer(std::string(1, static_cast<char>(kRefusalByte)), out);
        return;
    }
    station->receive(frame.text);
    sendAnswer(std::string(1, static_cast<char>(faults_.ackByte)), out);
}

void SelvoBus::broadcast(const BusFrame& frame) {
    if (!frame.checksumOk || faults_.silent) return;
    for (const auto& [address, station] : stations_) station->receive(frame.text);
}

void SelvoBus::acknowledge(uint8_t address) {
    BusStation* station = stationAt(address);
    if (station == nullptr || awaitingAck_.erase(address) == 0) return;
    station->delivered();
}

void SelvoBus::record(std::string entry) {
    if (log_.size() == kLogLimit) log_.pop_front();
    log_.push_back(std::move(entry));
}

}  // namespace sim
