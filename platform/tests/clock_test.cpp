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

}  // namespace
