// The byte primitives and their waits, measured on the counter. Only lower bounds are asserted
// on elapsed time (a busy machine can only make waits longer), upper bounds only far off.
#include <gtest/gtest.h>

#include "byte_io.h"
#include "driver_fixture.h"
#include "driver_state.h"
#include "platform/clock.h"
#include "selvoc.h"

namespace selvoc_test {
namespace {

using selvoc::driverState;

int64_t elapsedSince(int64_t start) { return platform::counterNow() - start; }

TEST_F(SelvocDriverTest, ReadByteWaitsItsTicksAndReportsNothingAsZero) {
    openWired();
    driverState().lastReceived = 0x55;
    const int64_t start = platform::counterNow();
    EXPECT_FALSE(selvoc::ReadByte(20));
    EXPECT_GE(elapsedSince(start), 20 * driverState().Tick);
    EXPECT_EQ(driverState().lastReceived, 0);

    line->feed({0x00, 0x42});
    EXPECT_TRUE(selvoc::ReadByte(20));
    EXPECT_EQ(driverState().lastReceived, 0x00);
    EXPECT_TRUE(selvoc::ReadByte(0));
    EXPECT_EQ(driverState().lastReceived, 0x42);
}

TEST_F(SelvocDriverTest, EveryByteSentIsFollowedByTheCharacterDelay) {
    openWired();
    ASSERT_EQ(ChgSpeedSlv(0), 0);
    const std::string longest(120, 'A');
    const int64_t start = platform::counterNow();
    ASSERT_EQ(SendMsg(0, longest.c_str()), 0);
    // 124 bytes, 12 fine ticks each at 9600 baud.
    EXPECT_GE(elapsedSince(start), 124 * 12 * driverState().FineTick);
}

TEST_F(SelvocDriverTest, TransmitQueueThatNeverEmptiesHoldsEachByteOnlyForItsBound) {
    openFaultyPorts(line, PortFaults{.stuckTransmitQueue = true});
    ASSERT_EQ(InitSlv(1, 0, 5, 0), 1016);
    int64_t start = platform::counterNow();
    EXPECT_FALSE(selvoc::SendByte('x'));
    EXPECT_GE(elapsedSince(start), selvoc::kTransmitDrainLimitTicks * driverState().Tick);
    start = platform::counterNow();
    EXPECT_EQ(SendMsg(0, "x"), -1);
    EXPECT_LT(elapsedSince(start), 30'000'000'000);
}

TEST_F(SelvocDriverTest, LineErrorsAreClearedAndNotReported) {
    openWired();
    line->pendingErrors = platform::kLineParity | platform::kLineFraming;
    bus.pollAnswers = {"P"};
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollTerm(1, text), 1);
    EXPECT_EQ(line->pendingErrors, 0u);
}

}  // namespace
}  // namespace selvoc_test
