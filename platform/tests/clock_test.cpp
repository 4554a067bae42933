#include <gtest/gtest.h>

#include <chrono>

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

// Sleeps, busy waits and polling loops cost no real time on the virtual clock, and the counter
// and the tick count both see the time they took.
TEST(Clock, TheVirtualClockMovesWithEveryWaitAndReading) {
    const auto realStart = std::chrono::steady_clock::now();
    {
        platform::VirtualClock virtualClock;
        EXPECT_TRUE(platform::virtualClockOn());
        const uint32_t ticks = platform::tickCountMs();
        const int64_t start = platform::counterNow();
        platform::sleepMs(60'000);
        EXPECT_EQ(platform::tickCountMs() - ticks, 60'000u);
        EXPECT_GE(platform::counterNow() - start, int64_t{60'000} * 1'000'000);

        const int64_t beforeWait = platform::counterNow();
        platform::busyWaitUntil(beforeWait + int64_t{120'000} * 1'000'000);
        EXPECT_GE(platform::counterNow() - beforeWait, int64_t{120'000} * 1'000'000);
        EXPECT_LT(platform::counterNow() - beforeWait, int64_t{120'001} * 1'000'000) << "no more than waited";
        platform::busyWaitUntil(beforeWait);  // a deadline passed already: the clock stays
        EXPECT_LT(platform::counterNow() - beforeWait, int64_t{120'001} * 1'000'000);

        // A loop that only reads the clock until a deadline ends.
        const int64_t deadline = platform::counterNow() + 5'000'000;
        int readings = 0;
        while (platform::counterNow() < deadline) ++readings;
        EXPECT_EQ(readings, 5'000'000 / platform::kVirtualReadNs - 1);
    }
    EXPECT_FALSE(platform::virtualClockOn());
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(10)) << "three minutes took no real time";
    const uint32_t real = platform::tickCountMs();
    platform::sleepMs(5);
    EXPECT_GE(platform::tickCountMs() - real, 4u);
}

}  // namespace
