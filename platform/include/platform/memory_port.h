// An in-memory serial port for unit tests. The test keeps the MemoryLine; the port under test
// writes into it. Every byte sent is recorded with the line settings in force when it was sent,
// and a scripted peer may answer each byte by queueing bytes for the port to read.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace platform {

struct SentByte {
    uint8_t value;
    LineSettings settings;
};

struct MemoryLine {
    // What the port sent, in order.
    std::vector<SentByte> sent;
    // What the port will read, in order.
    std::deque<uint8_t> incoming;
    // Bytes that arrive later: each text joins `incoming` once the tick count reaches its time.
    struct Arrival {
        uint32_t atMs;
        std::string bytes;
    };
    std::deque<Arrival> arrivals;
    // Line error flags that the next clearErrors reports.
    uint32_t pendingErrors = 0;
    // Called for every byte the port writes, after it is recorded.
    std::function<void(MemoryLine& line, uint8_t byte)> peer;

    // Refusals, to reach each failure path of the drivers.
    bool refuseOpen = false;
    bool refuseBufferSizes = false;
    bool refuseApply = false;
    bool refuseReadSettings = false;
    bool refuseTimeouts = false;
    bool refusePurge = false;
    bool refuseWrite = false;
    bool refuseClose = false;
    bool carrier = true;
    // What the port reports as its handle (file descriptor).
    int handle = -1;

    // State the port leaves for the test to inspect.
    LineSettings settings;
    bool settingsApplied = false;
    int applies = 0;  // settings applied, refused ones not counted
    size_t receiveBufferSize = 0;
    size_t transmitBufferSize = 0;
    bool dtr = false;
    bool rts = false;
    // Every change of DTR, with the number of bytes sent before it and the tick count.
    struct DtrChange {
        size_t afterBytes;
        bool on;
        uint32_t atMs;
    };
    std::vector<DtrChange> dtrChanges;
    bool open = false;
    int purges = 0;

    void feed(const std::string& bytes) { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); }
    void feed(std::initializer_list<uint8_t> bytes) { incoming.insert(incoming.end(), bytes); }
    // Lets `bytes` arrive `delayMs` from now, after the arrivals already waiting.
    void feedAfter(uint32_t delayMs, const std::string& bytes);
    std::string sentText() const;
};

class MemoryPort final : public SerialPort {
public:
    explicit MemoryPort(std::shared_ptr<MemoryLine> line) : line_(std::move(line)) {}

    int handle() const override { return line_->handle; }
    bool setBufferSizes(size_t receive, size_t transmit) override;
    bool apply(const LineSettings& settings) override;
    bool readSettings(LineSettings& settings) override;
    bool setImmediateReads(int writeTimeoutMs) override;
    bool purge(bool transmit, bool receive) override;
    bool write(const uint8_t* data, size_t size) override;
    long read(uint8_t* data, size_t capacity) override;
    size_t transmitQueue() override { return 0; }
    uint32_t clearErrors() override;
    void setDtr(bool on) override;
    void setRts(bool on) override { line_->rts = on; }
    bool carrierDetect() override { return line_->carrier; }
    bool close() override;

    using SerialPort::write;

private:
    std::shared_ptr<MemoryLine> line_;
};

// Makes every port number open a MemoryPort on the given line (until setPortOpener({})).
void openPortsOnMemoryLine(std::shared_ptr<MemoryLine> line);

}  // namespace platform
