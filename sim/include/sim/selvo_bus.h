// The Selvo multi-drop bus: the computer polls stations by a one-byte address and exchanges
// framed, checksummed messages with them. A pseudo-terminal carries no parity bit, so the bus
// tells address bytes from data bytes by the frame structure (and the gaps between frames).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/line_device.h"

namespace sim {

// A device at one address of the bus. Later a full terminal engine implements it.
class BusStation {
public:
    virtual ~BusStation() = default;
    // A framed message addressed to this station (address 0 reaches every station).
    virtual void receive(const std::string& text) = 0;
    // The text to deliver at the next poll, without the leading address byte; empty when none.
    virtual std::optional<std::string> pending() = 0;
    // The computer acknowledged the text last handed out by pending().
    virtual void delivered() = 0;
};

// A station that keeps what it receives and delivers the texts queued for it.
class QueueStation final : public BusStation {
public:
    void receive(const std::string& text) override;
    std::optional<std::string> pending() override;
    void delivered() override;

    void queue(const std::string& text);
    std::vector<std::string> received;
    std::vector<std::string> outgoing;
};

// Faults the bus injects on demand; counters count down as they are used.
struct BusFaults {
    bool echo = false;            // the line echoes every byte the computer sends
    bool silent = false;          // no station answers at all
    int garbledAnswers = 0;       // answer polls with a byte that is neither ack nor "T"
    int badChecksums = 0;         // deliver messages with a wrong checksum
    int repeatRequests = 0;       // answer messages with "R"
    int refusals = 0;             // answer messages with a byte that is neither ack nor "R"
    uint8_t ackByte = 'P';        // "P", "Q" or 0x60
};

class SelvoBus : public LineDevice {
public:
    void attach(uint8_t address, std::shared_ptr<BusStation> station);
    BusFaults& faults() { return faults_; }

    void received(const uint8_t* data, size_t size, int64_t nowNs, std::string& out) override;

    // What the bus saw, for tests: every frame as "poll <addr> <code>", "msg <addr> <text>",
    // "ack <addr>", "probe", in order.
    std::vector<std::string> log;

private:
    std::map<uint8_t, std::shared_ptr<BusStation>> stations_;
    BusFaults faults_;
    // Parser state of the computer's byte stream.
    std::vector<uint8_t> frame_;
    int64_t lastByteNs_ = 0;
};

// A radio modem in front of a device: data passes through, except that "+++" enters command
// mode, where AT lines ending in CR are answered "OK" until "ATO" returns to data mode.
class RadioModem : public LineDevice {
public:
    explicit RadioModem(std::shared_ptr<LineDevice> inner) : inner_(std::move(inner)) {}
    void received(const uint8_t* data, size_t size, int64_t nowNs, std::string& out) override;
    void idle(int64_t nowNs, std::string& out) override;

    std::vector<std::string> commands;  // the AT commands seen, without CR
    bool inCommandMode() const { return commandMode_; }

private:
    std::shared_ptr<LineDevice> inner_;
    bool commandMode_ = false;
    std::string pendingData_;
    std::string commandLine_;
};

}  // namespace sim
