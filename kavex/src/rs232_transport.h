// Transport of the RS232 modes: a direct line to one terminal (3), a terminal relaying to others
// (4), and a line driver that prefixes every line with a three-digit terminal number (2).
// Commands and replies are text lines ended by a carriage return.
#pragma once

#include <memory>

#include "platform/serial_port.h"
#include "transport.h"

namespace kavex {

class Rs232Transport final : public Transport {
public:
    // Opens and sets up port `port` with `baud` and `format` (0-4); nullptr with LastError set
    // (22 to 27) when the port cannot be opened or refuses a step.
    static std::unique_ptr<Rs232Transport> open(int32_t port, int32_t baud, int32_t format);

    Rs232Transport(std::unique_ptr<platform::SerialPort> port, const platform::LineSettings& settings)
        : port_(std::move(port)), settings_(settings) {}

    SendResult send(const std::string& command, char* reply) override;
    int post(const std::string& command) override;
    int readLine(char* line, uint32_t timeLimitMs) override;
    int takeReply(char* reply) override;
    int close() override;
    platform::SerialPort* serialPort() override { return port_.get(); }
    Rs232Transport* rs232() override { return this; }

    // Applies the line's setting again with DTR held on or off (a modem hangs up when DTR
    // drops); false when the port refuses it.
    bool holdDtr(bool on);

    // The call of a dial-up modem on this line. While it is up, a line "NO CARRIER" is the
    // modem's report that the carrier is gone: no terminal can answer any more, and every read
    // fails at once with error 40 until the modem is talked to again. Without this the modem,
    // back in command mode, would echo each CR that asks for the next record, and a transfer
    // would take the echoes for empty records up to its record limit.
    void callConnected() { call_ = Call::Up; }
    void talkingToModem() { call_ = Call::None; }
    // Empties the port's queues; on a call, a NO CARRIER among the bytes thrown away still ends
    // the call.
    void purge(bool transmit, bool receive);

private:
    // The command as it goes on the line: with the three-digit number through a line driver.
    std::string framed(const std::string& command) const;
    // Whether `text`, a whole line, ends the call; fails the read when the call is lost.
    bool endsTheCall(const std::string& text, char* line);

    std::unique_ptr<platform::SerialPort> port_;
    platform::LineSettings settings_;  // as InitCOMM applied it
    enum class Call { None, Up, Lost };
    Call call_ = Call::None;
};

}  // namespace kavex
