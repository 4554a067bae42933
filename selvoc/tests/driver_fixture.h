// What the driver's unit tests share: a fixture that gives each case a fresh driver on an
// in-memory line, a scripted terminal that answers the computer's frames, and a port double for
// faults a memory line cannot show.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/memory_port.h"

namespace selvoc_test {

using platform::MemoryLine;
using platform::Parity;

// One frame the computer sent: a byte sent under mark parity starts a new one.
using Frame = std::vector<uint8_t>;

// Terminals on a wired memory line. Every completed poll (address, 3/6/"R") takes the next entry
// of pollAnswers, every completed message (address, 0x07, ..., 0x00) the next of messageAnswers;
// an empty entry, or none left, is silence.
class ScriptedBus {
public:
    explicit ScriptedBus(MemoryLine& line);

    std::deque<std::string> pollAnswers;
    std::deque<std::string> messageAnswers;
    bool echo = false;  // the line sends every byte straight back

    std::vector<Frame> frames;

    // Address and second byte of every poll, in order.
    std::vector<std::pair<int, int>> polls() const;
    // The message frames sent (address first, 0x00 last).
    std::vector<Frame> messages() const;
    // Acknowledgement frames: address and "a".
    std::vector<Frame> acknowledgements() const;

private:
    void received(MemoryLine& line, uint8_t byte);
    static void answer(MemoryLine& line, std::deque<std::string>& answers);
};

// Faults beyond the memory line's refusals.
struct PortFaults {
    int handle = 42;              // the file descriptor the port reports
    int noisyReads = 0;           // so many reads deliver a stray byte first; -1 forever
    bool stuckTransmitQueue = false;
};

// Makes every port open a memory port with these faults, recording the port numbers asked for.
void openFaultyPorts(std::shared_ptr<MemoryLine> line, PortFaults faults,
                     std::shared_ptr<std::vector<int>> openedPorts = nullptr);

// A text of bytes, NULs included.
inline std::string bytes(std::initializer_list<uint8_t> values) {
    return std::string(values.begin(), values.end());
}

// Names each case of a parameterised test by the `name` of its parameter.
struct CaseName {
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& tested) const {
        return tested.param.name;
    }
};

// Every case starts with the driver as loaded and a memory line behind every port number.
class SelvocDriverTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // InitSlv on port 1, checking success, then forgets what the start-up sent.
    void openWired(int32_t lineKind = 0, int32_t maxAddress = 254);

    // The driver's busy waits and polls on the memory line cost no real time; the tests
    // measure them on this clock.
    platform::VirtualClock virtualClock;
    std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>();
    ScriptedBus bus{*line};
};

}  // namespace selvoc_test
