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
bool virtualSleeps = false;
uint32_t virtualTickMs = 0;
}  // namespace

int64_t counterFrequency() { return frequencyOverride >= 0 ? frequencyOverride : 1'000'000'000; }

void overrideCounterFrequency(int64_t frequency) { frequencyOverride = frequency; }

uint32_t tickCountMs() {
    if (virtualSleeps) return virtualTickMs;
    return static_cast<uint32_t>(counterNow() / 1'000'000);
}

void useVirtualSleeps(bool on) {
    // The virtual count goes on from the real one, so that times taken before stay comparable.
    if (on && !virtualSleeps) virtualTickMs = tickCountMs();
    virtualSleeps = on;
}

void sleepMs(uint32_t milliseconds) {
    if (virtualSleeps) {
        virtualTickMs += milliseconds;
        return;
    }
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
