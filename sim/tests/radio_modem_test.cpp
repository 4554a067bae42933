// The radio modem: the driver's AT start-up, then data through to the device behind it.
#include "sim/radio_modem.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bus_wire.h"
#include "recording_device.h"

namespace {

using sim::RadioModem;
using simtest::BusWire;
using simtest::RecordingDevice;
using Strings = std::vector<std::string>;

constexpr int64_t kMs = 1'000'000;

class RadioModemTest : public ::testing::Test {
protected:
    std::string send(const std::string& bytes, int64_t pauseBeforeNs) {
        return wire.bytesApart(bytes, pauseBeforeNs, simtest::kByteGapNs);
    }

    std::shared_ptr<RecordingDevice> inner = std::make_shared<RecordingDevice>();
    RadioModem modem{inner};
    BusWire wire{modem};
};

TEST_F(RadioModemTest, DriverStartUpIsAnsweredAndLeavesTheModemInDataMode) {
    EXPECT_EQ(send("+++", 0), "") << "held until the guard time has passed";
    EXPECT_EQ(wire.quiet(100 * kMs), "OK\r\n");
    EXPECT_TRUE(modem.inCommandMode());
    EXPECT_EQ(send("ATR\r", 0), "OK\r\n");
    EXPECT_EQ(send("ATS220=1\r", 320 * kMs), "OK\r\n");
    EXPECT_EQ(send("ATS204=10\r", 210 * kMs), "OK\r\n");
    EXPECT_EQ(send("ATO\r", 90 * kMs), "OK\r\n");
    EXPECT_FALSE(modem.inCommandMode());
    EXPECT_EQ(modem.commands(), (Strings{"ATR", "ATS220=1", "ATS204=10", "ATO"}));
    EXPECT_EQ(inner->seen, "");

    EXPECT_EQ(send("\x05\x03", 90 * kMs), "<<");
    EXPECT_EQ(inner->seen, "\x05\x03");
}

TEST_F(RadioModemTest, EscapeIsTakenWhenTheNextByteComesAfterTheGuardTime) {
    send("+++", 0);
    EXPECT_EQ(send("ATO\r", 60 * kMs), "OK\r\nOK\r\n");
    EXPECT_EQ(modem.commands(), Strings{"ATO"});
    EXPECT_FALSE(modem.inCommandMode());
}

TEST_F(RadioModemTest, PlusSignsWithoutBothQuietSpellsAreData) {
    struct Case {
        const char* name;
        std::string first;
        int64_t pauseNs;  // before `then`
        std::string then;
        std::string seen;
    };
    const Case cases[] = {
        {"byte right after +++", "+++", simtest::kByteGapNs, "X", "+++X"},
        {"four plus signs", "++++", 100 * kMs, "", "++++"},
        {"two plus signs and a pause", "++", 100 * kMs, "", "++"},
        {"+++ inside other data", "A+++", simtest::kByteGapNs, "B", "A+++B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto device = std::make_shared<RecordingDevice>();
        RadioModem radio(device);
        BusWire line(radio);
        line.bytesApart(c.first, 0, simtest::kByteGapNs);
        line.quiet(c.pauseNs);
        line.bytesApart(c.then, 0, simtest::kByteGapNs);
        EXPECT_EQ(device->seen, c.seen);
        EXPECT_FALSE(radio.inCommandMode());
        EXPECT_TRUE(radio.commands().empty());
    }
}

TEST_F(RadioModemTest, QuietLineReachesTheDeviceOnlyInDataMode) {
    wire.quiet(3 * kMs);
    const int inData = inner->idleCalls;
    EXPECT_GT(inData, 0);
    send("+++", 0);
    wire.quiet(100 * kMs);
    ASSERT_TRUE(modem.inCommandMode());
    const int atEscape = inner->idleCalls;
    wire.quiet(100 * kMs);
    EXPECT_EQ(inner->idleCalls, atEscape);
}

}  // namespace
