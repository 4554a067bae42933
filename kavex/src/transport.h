// One small interface for every transport of the open device: the Selvo bus through the line
// driver, an RS232 line (direct, through a line driver, or relayed) and the network box over
// UDP. The command exchange, the logon and the file operations are written once above it and
// never ask which transport they talk to, except where the terminal dialogue itself differs by
// connection mode.
#pragma once

#include <cstdint>
#include <string>

namespace platform {
class SerialPort;
}

namespace kavex {

class NetworkBoxTransport;
class Rs232Transport;
class SelvoTransport;

enum class SendResult {
    Failed,          // LastError is set
    Sent,            // the caller now waits for the reply line
    ReplyDelivered,  // the reply came back while sending (network box); it is in `reply`
};

class Transport {
public:
    virtual ~Transport() = default;

    // Longest command the transport carries.
    virtual size_t maxCommandLength() const { return 127; }

    // Sends a command whose reply the caller then awaits.
    virtual SendResult send(const std::string& command, char* reply) = 0;
    // Sends a command without awaiting anything; 0, or -1 with LastError set.
    virtual int post(const std::string& command) = 0;
    // Waits up to timeLimitMs for one reply line of the selected terminal into `line`
    // (kReplyCapacity bytes); 0, or -1 with LastError set.
    virtual int readLine(char* line, uint32_t timeLimitMs) = 0;
    // Takes a reply line that has already arrived, without waiting; 0, or -1 with LastError set.
    virtual int takeReply(char* reply) = 0;
    // Closes the device; 0, or -1 with LastError set (the device then counts as still open).
    virtual int close() = 0;

    // The serial port of the RS232 modes, for the raw writes and purges of their dialogues.
    virtual platform::SerialPort* serialPort() { return nullptr; }
    // The Selvo bus of the polled modes, for the wake-up dialogue.
    virtual SelvoTransport* selvo() { return nullptr; }
    // The RS232 line of modes 2, 3 and 4, for the modem dialogue.
    virtual Rs232Transport* rs232() { return nullptr; }
    // The network box of mode 6, for its own commands and the selection behind it.
    virtual NetworkBoxTransport* networkBox() { return nullptr; }
};

}  // namespace kavex
