#include "sim/hayes_modem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace sim {
namespace {

constexpr uint8_t kCarriageReturn = '\r';
constexpr uint8_t kLineFeed = '\n';
constexpr uint8_t kXon = 0x11;
constexpr uint8_t kXoff = 0x13;
constexpr int kEscapeLength = 3;
constexpr size_t kLongestLine = 255;  // the rest of a longer command line is dropped
constexpr int kHighestRegister = 255;
constexpr int kHighestValue = 255;
constexpr int64_t kNsPerMs = 1'000'000;
constexpr int64_t kNsPerSecond = 1'000'000'000;
constexpr int64_t kNsPerGuardUnit = 20 * kNsPerMs;  // S12 counts fiftieths of a second

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::array<int, 256> defaultRegisters() {
    std::array<int, 256> r{};
    r[2] = '+';  // escape character
    r[3] = '\r';
    r[4] = '\n';
    r[5] = 8;
    r[6] = 2;
    r[7] = 50;  // carrier wait, seconds
    r[8] = 2;
    r[9] = 6;
    r[10] = 14;
    r[11] = 95;
    r[12] = HayesModem::kDefaultGuard;
    return r;
}

// The decimal number at `at`, 0 when there is none; `at` moves past it. Held at a million.
int readNumber(const std::string& text, size_t& at) {
    int value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        value = std::min(value * 10 + (text[at] - '0'), 1'000'000);
    }
    return value;
}

}  // namespace

HayesModem::HayesModem(std::shared_ptr<LineDevice> inner, ModemConfig config)
    : inner_(std::move(inner)), config_(config), registers_(defaultRegisters()) {}

void HayesModem::received(const uint8_t* data, size_t size, int64_t nowNs, std::string& out) {
    std::lock_guard lock(mutex_);
    out += pending_;
    pending_.clear();
    for (size_t i = 0; i < size; ++i) {
        const uint8_t byte = data[i];
        if (mode_ == Mode::Data) {
            takeDataByte(byte, nowNs);
        } else if (mode_ == Mode::Dialling) {
            if (byte != kXon && byte != kXoff) {  // any key abandons the call
                hangUp();
                result(Result::NoCarrier, out);
            }
        } else {
            takeCommandByte(byte, nowNs, out);
        }
        lastByteNs_ = nowNs;
    }
    passToDevice(nowNs, out);
}

void HayesModem::idle(int64_t nowNs, std::string& out) {
    std::lock_guard lock(mutex_);
    out += pending_;
    pending_.clear();
    if (mode_ == Mode::Data && heldEscape_ > 0 && guardPassed(nowNs)) {
        if (heldEscape_ == kEscapeLength) {
            heldEscape_ = 0;
            mode_ = Mode::OnLineCommand;
            line_.clear();
            result(Result::Ok, out);
        } else {
            passHeldEscape();
            passToDevice(nowNs, out);
        }
    }
    if (mode_ == Mode::Dialling && dialEndsNs_ && nowNs >= *dialEndsNs_) endDial(out);
    if (mode_ == Mode::Data) {
        std::string fromDevice;
        inner_->idle(nowNs, fromDevice);
        passFromDevice(fromDevice, out);
    }
}

void HayesModem::setDtr(bool on) {
    std::lock_guard lock(mutex_);
    if (on || mode_ == Mode::Command) return;
    hangUp();
    result(Result::NoCarrier, pending_);
}

ModemConfig HayesModem::config() const {
    std::lock_guard lock(mutex_);
    return config_;
}

void HayesModem::setConfig(const ModemConfig& config) {
    std::lock_guard lock(mutex_);
    config_ = config;
}

ModemFaults HayesModem::faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

void HayesModem::setFaults(const ModemFaults& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
}

std::vector<std::string> HayesModem::commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

std::vector<std::string> HayesModem::dialled() const {
    std::lock_guard lock(mutex_);
    return dialled_;
}

bool HayesModem::connected() const {
    std::lock_guard lock(mutex_);
    return mode_ == Mode::Data || mode_ == Mode::OnLineCommand;
}

bool HayesModem::inDataMode() const {
    std::lock_guard lock(mutex_);
    return mode_ == Mode::Data;
}

bool HayesModem::echo() const {
    std::lock_guard lock(mutex_);
    return echo_;
}

int HayesModem::reg(int number) const {
    std::lock_guard lock(mutex_);
    return registers_.at(static_cast<size_t>(number));
}

void HayesModem::takeCommandByte(uint8_t byte, int64_t nowNs, std::string& out) {
    if (byte == kXon || byte == kXoff || byte == kLineFeed) return;
    if (byte != kCarriageReturn) {
        if (line_.size() < kLongestLine) line_.push_back(static_cast<char>(byte));
        return;
    }
    std::string line;
    line.swap(line_);
    takeLine(line, nowNs, out);
}

void HayesModem::takeLine(const std::string& line, int64_t nowNs, std::string& out) {
    const size_t at = upper(line).find("AT");
    if (at != std::string::npos) commands_.push_back(line.substr(at));
    if (faults_.silent) return;
    if (at == std::string::npos) {
        sendEcho(line, false, out);  // no command: repeated, not answered
        return;
    }
    const std::string command = line.substr(at);
    if (!faults_.refuse.empty() && upper(command).rfind(upper(faults_.refuse), 0) == 0) {
        if (faults_.bareRefusal) {
            out += "ERROR\r\n";
        } else {
            sendEcho(line, true, out);
            result(Result::Error, out);
        }
        return;
    }
    sendEcho(line, true, out);
    run(command.substr(2), nowNs, out);
}

void HayesModem::sendEcho(const std::string& line, bool command, std::string& out) {
    if (!echo_) return;
    std::string text = line;
    if (command && faults_.garbledEchoes > 0 && !text.empty()) {
        --faults_.garbledEchoes;
        text.back() = text.back() == '#' ? '*' : '#';
    }
    out += text;
    out += '\r';
}

void HayesModem::run(const std::string& commands, int64_t nowNs, std::string& out) {
    size_t at = 0;
    while (at < commands.size()) {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(commands[at++])));
        switch (letter) {
            case ' ':
                break;
            case 'E':
                echo_ = readNumber(commands, at) != 0;
                break;
            case 'Q':
                quiet_ = readNumber(commands, at) == 1;
                break;
            case 'V':
                verbose_ = readNumber(commands, at) != 0;
                break;
            case 'Z':
                readNumber(commands, at);
                resetProfile();
                break;
            case 'H':
                if (readNumber(commands, at) == 0) hangUp();
                break;
            case 'L':
            case 'M':
            case 'X':
            case 'I':
                readNumber(commands, at);
                break;
            case '&': {
                if (at >= commands.size() || !std::isalpha(static_cast<unsigned char>(commands[at]))) {
                    return result(Result::Error, out);
                }
                const char option = static_cast<char>(std::toupper(static_cast<unsigned char>(commands[at++])));
                readNumber(commands, at);
                if (option == 'F') resetProfile();
                break;
            }
            case '+':
                at = commands.size();  // an extended command takes the rest of the line
                break;
            case 'S': {
                const int number = readNumber(commands, at);
                if (number > kHighestRegister || at >= commands.size()) {
                    return result(Result::Error, out);
                }
                if (commands[at] == '?') {
                    ++at;
                    char shown[16];
                    std::snprintf(shown, sizeof shown, "\r\n%03d\r\n", registers_[static_cast<size_t>(number)]);
                    out += shown;
                    break;
                }
                if (commands[at] != '=') return result(Result::Error, out);
                const int value = readNumber(commands, ++at);
                if (value > kHighestValue) return result(Result::Error, out);
                registers_[static_cast<size_t>(number)] = value;
                break;
            }
            case 'O':
                readNumber(commands, at);
                if (mode_ != Mode::OnLineCommand) return result(Result::Error, out);
                mode_ = Mode::Data;
                return result(Result::Connect, out, " " + std::to_string(config_.speed));
            case 'D':
                // The outcome of the call answers later.
                if (mode_ == Mode::OnLineCommand || !dial(commands.substr(at), nowNs)) {
                    result(Result::Error, out);
                }
                return;
            default:
                return result(Result::Error, out);
        }
    }
    result(Result::Ok, out);
}

bool HayesModem::dial(const std::string& dialString, int64_t nowNs) {
    if (std::none_of(dialString.begin(), dialString.end(),
                     [](unsigned char c) { return std::isdigit(c); })) {
        return false;
    }
    dialled_.push_back(dialString);
    mode_ = Mode::Dialling;
    switch (config_.outcome) {
        case DialOutcome::Silent:
            dialEndsNs_.reset();
            break;
        case DialOutcome::Unanswered:
            dialEndsNs_ = nowNs + registers_[7] * kNsPerSecond;
            break;
        default:
            dialEndsNs_ = nowNs + config_.answerDelayMs * kNsPerMs;
            break;
    }
    return true;
}

void HayesModem::endDial(std::string& out) {
    hangUp();
    switch (config_.outcome) {
        case DialOutcome::Connect:
            if (config_.carrierLine && verbose_ && !quiet_) out += "\r\nCARRIER\r\n";
            result(Result::Connect, out, " " + std::to_string(config_.speed));
            mode_ = Mode::Data;
            break;
        case DialOutcome::Busy:
            result(Result::Busy, out);
            break;
        case DialOutcome::NoDialTone:
            result(Result::NoDialTone, out);
            break;
        case DialOutcome::NoAnswer:
            result(Result::NoAnswer, out);
            break;
        case DialOutcome::NoCarrier:
        case DialOutcome::Unanswered:
        case DialOutcome::Silent:
            result(Result::NoCarrier, out);
            break;
    }
}

void HayesModem::takeDataByte(uint8_t byte, int64_t nowNs) {
    const bool escape = byte == registers_[2];
    if (heldEscape_ > 0) {
        if (escape && heldEscape_ < kEscapeLength && !guardPassed(nowNs)) {
            ++heldEscape_;
            return;
        }
        passHeldEscape();  // too slow, too many, or followed too soon: they were data
    }
    if (escape && guardPassed(nowNs)) {
        heldEscape_ = 1;
        return;
    }
    toDevice_.push_back(static_cast<char>(byte));
}

void HayesModem::passHeldEscape() {
    toDevice_.append(static_cast<size_t>(heldEscape_), static_cast<char>(registers_[2]));
    heldEscape_ = 0;
}

void HayesModem::passToDevice(int64_t nowNs, std::string& out) {
    if (toDevice_.empty()) return;
    std::string bytes;
    bytes.swap(toDevice_);
    std::string fromDevice;
    inner_->received(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), nowNs,
                     fromDevice);
    passFromDevice(fromDevice, out);
}

void HayesModem::passFromDevice(const std::string& fromDevice, std::string& out) {
    int& left = faults_.dropAfter;
    if (left < 0 || fromDevice.size() <= static_cast<size_t>(left)) {
        if (left >= 0) left -= static_cast<int>(fromDevice.size());
        out += fromDevice;
        return;
    }
    out += fromDevice.substr(0, static_cast<size_t>(left));
    left = -1;
    hangUp();
    result(Result::NoCarrier, out);
}

bool HayesModem::guardPassed(int64_t nowNs) const {
    return !lastByteNs_ || nowNs - *lastByteNs_ >= registers_[12] * kNsPerGuardUnit;
}

void HayesModem::result(Result code, std::string& out, const std::string& extra) const {
    struct Text {
        const char* verbose;
        int number;
    };
    static constexpr Text kTexts[] = {
        {"OK", 0}, {"CONNECT", 1}, {"NO CARRIER", 3}, {"ERROR", 4},
        {"NO DIAL TONE", 6}, {"BUSY", 7}, {"NO ANSWER", 8},
    };
    if (quiet_) return;
    const Text& text = kTexts[static_cast<size_t>(code)];
    if (verbose_) {
        out += std::string("\r\n") + text.verbose + extra + "\r\n";
    } else {
        out += std::to_string(text.number) + '\r';
    }
}

void HayesModem::resetProfile() {
    hangUp();
    echo_ = true;
    quiet_ = false;
    verbose_ = true;
    registers_ = defaultRegisters();
}

void HayesModem::hangUp() {
    mode_ = Mode::Command;
    dialEndsNs_.reset();
    heldEscape_ = 0;
    toDevice_.clear();
}

}  // namespace sim
