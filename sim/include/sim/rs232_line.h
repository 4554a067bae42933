// A terminal on a plain RS232 line (direct, or the relaying terminal of the indirect link):
// commands come in ended by a carriage return, every reply line goes out ended by one. The
// bytes 0x11 and 0x13 (flow control) and line feeds are dropped. The computer asks for each
// record of a transfer with a lone CR, so the terminals are told to pace their transfers.
//
// With the echo on, the line repeats every line it takes as a command before the reply, as a
// terminal set to echo does; a lone CR that asks for the next record is no command and is not
// repeated.
#pragma once

#include <memory>
#include <mutex>

#include "sim/line_device.h"
#include "sim/line_terminal.h"

namespace sim {

class SerialLineReader;

class Rs232Line final : public LineDevice {
public:
    explicit Rs232Line(std::shared_ptr<LineTerminal> terminal, bool echo = false);
    ~Rs232Line() override;

    void received(const uint8_t* data, size_t size, int64_t nowNs, std::string& out) override;

    bool echo() const;
    void setEcho(bool echo);

private:
    void answer(const std::string& line, std::string& out);

    const std::shared_ptr<LineTerminal> terminal_;
    mutable std::mutex mutex_;
    std::unique_ptr<SerialLineReader> reader_;
    bool echo_;
};

}  // namespace sim
