#include "sim/radio_modem.h"

#include <algorithm>
#include <cctype>

namespace sim {
namespace {

constexpr char kEscapeChar = '+';
constexpr size_t kEscapeLength = 3;
const std::string kOk = "OK\r\n";

bool isReturnToData(std::string line) {
    std::transform(line.begin(), line.end(), line.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return line == "ATO";
}

}  // namespace

void RadioModem::received(const uint8_t* data, size_t size, int64_t nowNs, std::string& out) {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < size; ++i) {
        if (commandMode_)
            takeCommandByte(data[i], out);
        else
            takeDataByte(data[i], nowNs, out);
        lastByteNs_ = nowNs;
    }
}

void RadioModem::idle(int64_t nowNs, std::string& out) {
    std::lock_guard lock(mutex_);
    if (commandMode_) return;
    if (!pendingData_.empty() && quietSince(nowNs)) {
        if (pendingData_.size() == kEscapeLength)
            enterCommandMode(out);
        else
            passOn(pendingData_, nowNs, out);
        pendingData_.clear();
        if (commandMode_) return;
    }
    inner_->idle(nowNs, out);
}

std::vector<std::string> RadioModem::commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

bool RadioModem::inCommandMode() const {
    std::lock_guard lock(mutex_);
    return commandMode_;
}

// A run of "+" that begins after a quiet spell is held back: three of them followed by another
// quiet spell are the escape, anything else turns the run back into data.
void RadioModem::takeDataByte(uint8_t byte, int64_t nowNs, std::string& out) {
    const bool plus = byte == kEscapeChar;
    if (!pendingData_.empty() && pendingData_.size() < kEscapeLength && quietSince(nowNs)) {
        passOn(pendingData_, nowNs, out);  // too few "+" before the pause: they were data
        pendingData_.clear();
    }
    if (pendingData_.empty()) {
        if (plus && quietSince(nowNs))
            pendingData_.push_back(kEscapeChar);
        else
            passOn(std::string(1, static_cast<char>(byte)), nowNs, out);
        return;
    }
    if (pendingData_.size() == kEscapeLength && quietSince(nowNs)) {
        pendingData_.clear();
        enterCommandMode(out);
        takeCommandByte(byte, out);
        return;
    }
    if (plus && pendingData_.size() < kEscapeLength) {
        pendingData_.push_back(kEscapeChar);
        return;
    }
    pendingData_.push_back(static_cast<char>(byte));
    passOn(pendingData_, nowNs, out);
    pendingData_.clear();
}

void RadioModem::takeCommandByte(uint8_t byte, std::string& out) {
    if (byte == '\n') return;
    if (byte != '\r') {
        commandLine_.push_back(static_cast<char>(byte));
        return;
    }
    if (commandLine_.empty()) return;
    commands_.push_back(commandLine_);
    out += kOk;
    if (isReturnToData(commandLine_)) commandMode_ = false;
    commandLine_.clear();
}

void RadioModem::passOn(const std::string& bytes, int64_t nowNs, std::string& out) {
    inner_->received(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), nowNs, out);
}

bool RadioModem::quietSince(int64_t nowNs) const {
    return !lastByteNs_ || nowNs - *lastByteNs_ >= kGuardNs;
}

void RadioModem::enterCommandMode(std::string& out) {
    commandMode_ = true;
    commandLine_.clear();
    out += kOk;
}

}  // namespace sim
