// A terminal on an in-memory RS232 line for the fuzz targets of the link library: the line is
// the library's open device, the terminal answers every carriage return the library writes
// (each command, and each lone one that asks for the next line of a transfer) with the next
// answer of the input, and the library's pauses and time limits cost no real time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory_port.h"

namespace fuzz {

class TerminalLine {
public:
    // The one line of the process, opened on first use.
    static TerminalLine& instance();

    // Starts an input: the library's settings as at load, the device open in `mode` (2, 3 or 4)
    // with `terminal` selected, nothing waiting on the line, and `answers` to give in order.
    void start(int32_t mode, uint8_t terminal, std::vector<std::string> answers);

    // Line error flags the port reports after each answer, once the library finds nothing to read.
    uint32_t errorsAfterAnswers = 0;

    platform::MemoryLine& line() { return *line_; }
    // How many answers the library has asked for so far (also past the last one).
    size_t asked() const { return asked_; }
    // Every byte the terminal has given the library since start().
    const std::string& given() const { return given_; }

private:
    TerminalLine();
    void received(uint8_t byte);

    std::shared_ptr<platform::MemoryLine> line_ = std::make_shared<platform::MemoryLine>();
    std::vector<std::string> answers_;
    size_t asked_ = 0;
    std::string given_;
};

// `text` without the flow-control bytes 0x11 and 0x13, which the waiting reply reader drops.
std::string withoutFlowControl(std::string text);

}  // namespace fuzz
