// The line driver of connection mode 2: an RS232 line to a box that relays to numbered
// terminals. Lines from the computer end with a carriage return (0x11, 0x13 and line feeds are
// dropped):
// - "nnn<command>": the command goes to terminal nnn, and each of its reply lines comes back as
//   "nnn", the time stamp (when stamping is on) and the line; a number without a terminal gets
//   no answer;
// - any other line is a set-up text of the driver's own ("&", "*0", "@011", ">PS255", ">b",
//   "<<", ">P0", ...), recorded and not answered, except:
//   ">PSnnn" switches to terminal nnn (255 and ">P0": none);
//   "<<" turns the time stamp on and answers "TIME ON " and the current stamp, a line of 14
//   characters for the 6-character stamp hhmmss and of 20 for the 12-character ddmmyyhhmmss;
//   a driver without a stamp does not answer it.
// Transfers are not paced: the computer sends no CR per record on this line.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/civil_time.h"
#include "sim/line_device.h"
#include "sim/line_terminal.h"

namespace sim {

class SerialLineReader;

enum class TimeStamp { None, Short, Long };  // no stamp, 6 or 12 characters

// Counters count down, one per command.
struct LineDriverFaults {
    bool silent = false;      // the driver answers nothing
    int wrongNumbers = 0;     // replies come back with the number after the terminal's
    int sendFailures = 0;     // the terminal takes the command; its reply becomes "nnn~S"
    int receiveFailures = 0;  // the command does not reach the terminal; the answer is "nnn~R"
};

class LineDriver final : public LineDevice {
public:
    static constexpr int kNoTerminal = 255;

    explicit LineDriver(TimeStamp stamp = TimeStamp::None, HostClock clock = {});
    ~LineDriver() override;

    // Terminal `number` (1-254) behind the driver; throws std::invalid_argument otherwise.
    void attach(int number, std::shared_ptr<LineTerminal> terminal);

    void received(const uint8_t* data, size_t size, int64_t nowNs, std::string& out) override;

    LineDriverFaults faults() const;
    void setFaults(const LineDriverFaults& faults);
    std::vector<std::string> setupTexts() const;  // the driver's own lines, in order
    int switchedTo() const;                       // from ">PSnnn"; kNoTerminal for none
    bool stamping() const;

private:
    void takeLine(const std::string& line, std::string& out);
    void takeSetupText(const std::string& line, std::string& out);
    void route(int number, const std::string& command, std::string& out);
    std::string stampText() const;

    const TimeStamp stamp_;
    const HostClock clock_;
    mutable std::mutex mutex_;
    std::unique_ptr<SerialLineReader> reader_;
    std::map<int, std::shared_ptr<LineTerminal>> terminals_;
    LineDriverFaults faults_;
    std::vector<std::string> setupTexts_;
    int switchedTo_ = kNoTerminal;
    bool stamping_ = false;
};

}  // namespace sim
