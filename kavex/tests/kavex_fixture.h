// The fixture of the Kavex unit tests: every serial port opens on one in-memory line with a
// scripted terminal as its peer, on the virtual clock, and the library's state is put back after
// each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "error_report.h"
#include "kavex.h"
#include "platform/clock.h"
#include "platform/memory_port.h"
#include "scripted_terminal.h"

namespace kavex_test {

class KavexLineTest : public ::testing::Test {
protected:
    // Ports open on `line`; replies are awaited 1 s, so that unanswered commands end soon.
    void SetUp() override;
    // Closes the device left open and restores the time-outs and the real ports.
    void TearDown() override;

    // Opens port 1 in `mode` at 9600 baud, 8N1, and asserts that it opened.
    void open(int32_t mode);
    // What GetError reports now.
    static std::string errorText() { return currentErrorText(); }
    static int32_t errorCode() { return currentErrorCode(); }
    // What the library wrote since the line was last marked.
    void mark();
    std::string sentSinceMark() const;
    // Milliseconds since `start`, a tick count.
    static uint32_t msSince(uint32_t start);
    // Every line the terminal receives gets `bytes` as they are (no carriage return added).
    void answerRaw(const std::string& bytes);

    // Every wait of the library on the in-memory line costs no real time; the tests measure
    // the time it took on this clock.
    platform::VirtualClock virtualClock;
    std::shared_ptr<platform::MemoryLine> line = std::make_shared<platform::MemoryLine>();
    ScriptedTerminal terminal{line};
    char reply[KAVEX_REPLY_SIZE] = {};

private:
    size_t mark_ = 0;
};

}  // namespace kavex_test
