// The Selvo multi-drop bus: the computer polls stations by a one-byte address and exchanges
// framed, checksummed messages with them. A pseudo-terminal carries no parity bit, so the bus
// tells address bytes from data bytes by the frame structure (and the gaps between frames).
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "sim/bus_frame_parser.h"
#include "sim/bus_station.h"
#include "sim/line_device.h"
#include "sim/radio_modem.h"

namespace sim {

// Faults the bus injects on demand, and the style of its answers. Counters count down as they
// are used; the switches hold until changed.
struct BusFaults {
    bool echo = false;          // the line echoes every byte the computer sends, at once
    bool silent = false;        // no station answers or takes anything
    int garbledAnswers = 0;     // answers to polls start with a byte that is neither ack nor "T"
    int badChecksums = 0;       // messages delivered with a wrong checksum
    int repeatRequests = 0;     // messages answered "R" (and not taken)
    int refusals = 0;           // messages answered with a byte that is neither ack nor "R"
    int wrongAddresses = 0;     // messages delivered with the next address, not the station's
    int noise = 0;              // answers hit by line noise: the 1st, 3rd, .. of them preceded
                                // by a stray byte, the 2nd, 4th, .. with one bit changed inside
    int faultsAfter = 0;        // polls and messages answered without faults before the
                                // counters above start to count
    uint8_t ackByte = 'P';      // "P", "Q" or 0x60
    bool checksumBit7 = false;  // delivered checksums carry bit 7 (the receiver ignores it)
};

class SelvoBus : public LineDevice {
public:
    // Bytes the bus answers with when a fault says so.
    static constexpr uint8_t kGarbledByte = '?';
    static constexpr uint8_t kRefusalByte = 'N';
    // The stray byte of line noise: neither an acknowledgement, "T", "R" nor 0x00.
    static constexpr uint8_t kNoiseByte = 0xFF;
    // At most this many log entries are kept, the oldest dropped first.
    static constexpr size_t kLogLimit = 10'000;

    void attach(uint8_t address, std::shared_ptr<BusStation> station);

    BusFaults faults() const;
    void setFaults(const BusFaults& faults);

    // What the bus saw, for tests: every frame as "poll <addr> <code>" (code 3, 6 or R),
    // "msg <addr> <text>" (" !checksum" appended when it did not match), "ack <addr>", "probe"
    // or "stray <byte in hex>", in order.
    std::vector<std::string> log() const;
    void clearLog();

    void received(const uint8_t* data, size_t size, int64_t nowNs, std::string& out) override;
    void idle(int64_t nowNs, std::string& out) override;

private:
    void handle(const BusFrame& frame, std::string& out);
    void answerPoll(uint8_t address, std::string& out);
    void sendAnswer(std::string answer, std::string& out);
    // Whether a counted fault hits the frame being answered; counts it down when it does.
    bool take(int& counter);
    void answerMessage(const BusFrame& frame, std::string& out);
    void broadcast(const BusFrame& frame);
    void acknowledge(uint8_t address);
    std::string messageAnswer(uint8_t address, const std::string& text);
    BusStation* stationAt(uint8_t address) const;
    bool oneWithoutGapIsProbe() const;
    void record(std::string entry);

    mutable std::mutex mutex_;
    std::map<uint8_t, std::shared_ptr<BusStation>> stations_;
    std::set<uint8_t> awaitingAck_;  // stations whose message went out and is not yet acknowledged
    BusFaults faults_;
    bool sparing_ = false;  // the frame being answered is one of the first faultsAfter
    int noisyAnswers_ = 0;  // answers hit by noise so far, for the alternation
    BusFrameParser parser_;
    std::deque<std::string> log_;
};

}  // namespace sim
