#include "platform/clock.h"

#include <time.h>

#include <atomic>

namespace platform {

namespace {

int64_t frequencyOverride = -1;
std::atomic<bool> virtualOn{false};
std::atomic<int64_t> virtualNs{0};

int64_t realNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// A reading of the virtual clock moves it on a little.
int64_t virtualReading() { return virtualNs.fetch_add(kVirtualReadNs) + kVirtualReadNs; }

}  // namespace

int64_t counterNow() { return virtualOn ? virtualReading() : realNow(); }

int64_t counterFrequency() { return frequencyOverride >= 0 ? frequencyOverride : 1'000'000'000; }

void overrideCounterFrequency(int64_t frequency) { frequencyOverride = frequency; }

uint32_t tickCountMs() { return static_cast<uint32_t>(counterNow() / 1'000'000); }

void useVirtualClock(bool on) {
    if (on && !virtualOn) virtualNs = realNow();
    virtualOn = on;
}

bool virtualClockOn() { return virtualOn; }

void sleepMs(uint32_t milliseconds) {
    if (virtualOn) {
        virtualNs += int64_t{milliseconds} * 1'000'000;
        return;
    }
    timespec pause{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1'000'000};
    while (nanosleep(&pause, &pause) != 0) {
    }
}

void busyWaitUntil(int64_t deadline) {
    if (virtualOn) {
        int64_t now = virtualNs.load();
        while (now < deadline && !virtualNs.compare_exchange_weak(now, deadline)) {
        }
        return;
    }
    while (realNow() - deadline < 0) {
    }
}

}  // namespace platform
