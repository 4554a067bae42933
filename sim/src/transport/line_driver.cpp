#include "sim/line_driver.h"

#include <cstdio>
#include <stdexcept>

#include "serial_line_reader.h"

namespace sim {
namespace {

constexpr size_t kNumberDigits = 3;
constexpr int kHighestTerminal = 254;
constexpr size_t kSetupTextLimit = 10'000;

bool startsWithNumber(const std::string& line) {
    if (line.size() < kNumberDigits) return false;
    for (size_t i = 0; i < kNumberDigits; ++i) {
        if (line[i] < '0' || line[i] > '9') return false;
    }
    return true;
}

std::string threeDigits(int number) {
    char text[8];
    std::snprintf(text, sizeof text, "%03d", number % 1000);
    return text;
}

bool takeOne(int& counter) {
    if (counter <= 0) return false;
    --counter;
    return true;
}

}  // namespace

LineDriver::LineDriver(TimeStamp stamp, HostClock clock)
    : stamp_(stamp),
      clock_(clock ? std::move(clock) : HostClock(hostCivilNow)),
      reader_(std::make_unique<SerialLineReader>()) {}

LineDriver::~LineDriver() = default;

void LineDriver::attach(int number, std::shared_ptr<LineTerminal> terminal) {
    if (number < 1 || number > kHighestTerminal) {
        throw std::invalid_argument("a line driver terminal has a number from 1 to 254");
    }
    terminal->setCarriageReturnPacing(false);
    std::lock_guard lock(mutex_);
    terminals_[number] = std::move(terminal);
}

void LineDriver::received(const uint8_t* data, size_t size, int64_t /*nowNs*/, std::string& out) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    reader_->feed(data, size, lines);
    for (const std::string& line : lines) takeLine(line, out);
}

void LineDriver::takeLine(const std::string& line, std::string& out) {
    if (line.empty() || faults_.silent) return;
    if (startsWithNumber(line)) {
        route(std::stoi(line.substr(0, kNumberDigits)), line.substr(kNumberDigits), out);
    } else {
        takeSetupText(line, out);
    }
}

void LineDriver::takeSetupText(const std::string& line, std::string& out) {
    if (setupTexts_.size() < kSetupTextLimit) setupTexts_.push_back(line);
    if (line.starts_with(">PS") && startsWithNumber(line.substr(3))) {
        switchedTo_ = std::stoi(line.substr(3, kNumberDigits));
    } else if (line == ">P0") {
        switchedTo_ = kNoTerminal;
    } else if (line == "<<" && stamp_ != TimeStamp::None) {
        stamping_ = true;
        out += "TIME ON " + stampText() + '\r';
    }
}

void LineDriver::route(int number, const std::string& command, std::string& out) {
    const auto found = terminals_.find(number);
    if (found == terminals_.end()) return;
    const std::string prefix = threeDigits(takeOne(faults_.wrongNumbers) ? number + 1 : number);
    if (takeOne(faults_.receiveFailures)) {
        out += prefix + "~R\r";
        return;
    }
    const std::vector<std::string> replies = found->second->command(command);
    if (takeOne(faults_.sendFailures)) {
        out += prefix + "~S\r";
        return;
    }
    const std::string stamp = stamping_ ? stampText() : std::string();
    for (const std::string& reply : replies) out += prefix + stamp + reply + '\r';
}

// hhmmss, or ddmmyyhhmmss for the long stamp.
std::string LineDriver::stampText() const {
    const CivilDateTime now = civilDateTime(clock_());
    char text[32];
    if (stamp_ == TimeStamp::Long) {
        std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", now.day, now.month,
                      now.year % 100, now.hour, now.minute, now.second);
    } else {
        std::snprintf(text, sizeof text, "%02d%02d%02d", now.hour, now.minute, now.second);
    }
    return text;
}

LineDriverFaults LineDriver::faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

void LineDriver::setFaults(const LineDriverFaults& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
}

std::vector<std::string> LineDriver::setupTexts() const {
    std::lock_guard lock(mutex_);
    return setupTexts_;
}

int LineDriver::switchedTo() const {
    std::lock_guard lock(mutex_);
    return switchedTo_;
}

bool LineDriver::stamping() const {
    std::lock_guard lock(mutex_);
    return stamping_;
}

}  // namespace sim
