#include "platform/clock.h"

#include <time.h>

namespace platform {

int64_t counterNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

namespace {
int64_t frequencyOverride = -1;
}  // namespace

int64_t counterFrequency() { return frequencyOverride >= 0 ? frequencyOverride : 1'000'000'000; }

void overrideCounterFrequency(int64_t frequency) { frequencyOverride = frequency; }

uint32_t tickCountMs() { return static_cast<uint32_t>(counterNow() / 1'000'000); }

void sleepMs(uint32_t milliseconds) {
    timespec pause{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1'000'000};
    while (nanosleep(&pause, &pause) != 0) {
    }
}

void busyWaitUntil(int64_t deadline) {
    while (counterNow() - deadline < 0) {
    }
}

}  // namespace platform
