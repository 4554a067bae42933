#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

TEST(Clock, BusyWaitAndSleepLastAtLeastTheirTime) {
    const int64_t start = platform::counterNow();
    platform::busyWaitUntil(start + 2'000'000);
    EXPECT_GE(platform::counterNow() - start, 2'000'000);
    const uint32_t ticks = platform::tickCountMs();
    platform::sleepMs(5);
    EXPECT_GE(platform::tickCountMs() - ticks, 4u);  // tick count truncates to whole milliseconds
    EXPECT_EQ(platform::counterFrequency(), 1'000'000'000);
}

TEST(Clock, VirtualSleepsMoveOnlyTheTickCount) {
    platform::useVirtualSleeps(true);
    const uint32_t ticks = platform::tickCountMs();
    const int64_t start = platform::counterNow();
    platform::sleepMs(60'000);
    const int64_t spent = platform::counterNow() - start;
    EXPECT_EQ(platform::tickCountMs() - ticks, 60'000u);
    platform::useVirtualSleeps(false);
    EXPECT_LT(spent, 1'000'000'000);  // a minute's sleep took no real time
    const uint32_t real = platform::tickCountMs();
    platform::sleepMs(5);
    EXPECT_GE(platform::tickCountMs() - real, 4u);
}

}  // namespace
