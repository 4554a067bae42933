#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/memory_port.h"

namespace {

using platform::LineSettings;
using platform::MemoryLine;
using platform::Parity;

class MemoryPortTest : public ::testing::Test {
protected:
    void SetUp() override { platform::openPortsOnMemoryLine(line); }
    void TearDown() override { platform::setPortOpener({}); }
    std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>();
};

TEST_F(MemoryPortTest, RecordsEachByteWithTheSettingInForce) {
    auto port = platform::openSerialPort(4);
    ASSERT_NE(port, nullptr);
    LineSettings mark{.baud = 57600, .parity = Parity::Mark, .dtr = false};
    LineSettings space = mark;
    space.parity = Parity::Space;
    port->apply(mark);
    port->write(std::string("\x05"));
    port->apply(space);
    port->write(std::string("\x03"));
    ASSERT_EQ(line->sent.size(), 2u);
    EXPECT_EQ(line->sent[0].value, 0x05);
    EXPECT_EQ(line->sent[0].settings.parity, Parity::Mark);
    EXPECT_EQ(line->sent[1].settings.parity, Parity::Space);
    EXPECT_FALSE(line->dtr);
}

TEST_F(MemoryPortTest, PeerAnswersAndReadsTakeWhatHasArrived) {
    line->peer = [](MemoryLine& l, uint8_t byte) {
        if (byte == 'X') l.feed("OK");
    };
    auto port = platform::openSerialPort(1);
    uint8_t buffer[8];
    EXPECT_EQ(port->read(buffer, sizeof buffer), 0);
    port->write(std::string("X"));
    EXPECT_EQ(port->read(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 'O');
    EXPECT_EQ(port->read(buffer, sizeof buffer), 1);
    EXPECT_EQ(buffer[0], 'K');
}

TEST_F(MemoryPortTest, ErrorsAreReportedOnceAndRefusalsFail) {
    auto port = platform::openSerialPort(1);
    line->pendingErrors = platform::kLineFraming | platform::kLineBreak;
    EXPECT_EQ(port->clearErrors(), 24u);
    EXPECT_EQ(port->clearErrors(), 0u);
    line->refuseApply = true;
    EXPECT_FALSE(port->apply(LineSettings{}));
    line->refuseOpen = true;
    EXPECT_EQ(platform::openSerialPort(1), nullptr);
}

TEST_F(MemoryPortTest, PurgeOfTheReceiveSideDropsWhatWaits) {
    auto port = platform::openSerialPort(1);
    line->feed("stale");
    port->purge(true, false);
    EXPECT_EQ(line->incoming.size(), 5u);
    port->purge(false, true);
    EXPECT_TRUE(line->incoming.empty());
}

TEST_F(MemoryPortTest, ArrivalsJoinTheIncomingBytesWhenTheirTimeComes) {
    line->handle = 42;
    auto port = platform::openSerialPort(1);
    EXPECT_EQ(port->handle(), 42);
    line->feedAfter(60, "late");
    uint8_t buffer[8];
    EXPECT_EQ(port->read(buffer, sizeof buffer), 0);
    platform::sleepMs(80);
    EXPECT_EQ(port->read(buffer, sizeof buffer), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "late");
}

}  // namespace
