// The monotonic clock: a high-resolution counter in nanoseconds for protocol timing, a
// millisecond tick count, busy waits and sleeps.
#pragma once

#include <cstdint>

namespace platform {

// Counter value and frequency (counts per second) of the high-resolution counter.
int64_t counterNow();
int64_t counterFrequency();

// Tests: makes counterFrequency() report `frequency` (0: the machine has no high-resolution
// counter); a negative value gives the real frequency back. counterNow() is not affected.
void overrideCounterFrequency(int64_t frequency);

// Milliseconds since an arbitrary origin; wraps like a 32-bit tick count.
uint32_t tickCountMs();

void sleepMs(uint32_t milliseconds);

// Spins until the counter reaches the deadline.
void busyWaitUntil(int64_t deadline);

// Tests on in-memory ports and socket doubles, and fuzzing: the virtual clock. While it is on
// nothing waits for real time: sleepMs() and busyWaitUntil() move the clock forward at once, and
// every reading of the counter or the tick count moves it by kVirtualReadNs, so that a loop that
// polls until a deadline ends. The counter and the tick count read the same clock, so a time-out
// still lasts its time, measured on that clock. It goes on from the real clock's reading, so
// times taken before stay comparable. One clock for the process: the tests that use it run
// their library on one thread.
inline constexpr int64_t kVirtualReadNs = 1'000;
void useVirtualClock(bool on);
bool virtualClockOn();

// The virtual clock for the lifetime of the object (a test fixture's member).
class VirtualClock {
public:
    VirtualClock() { useVirtualClock(true); }
    ~VirtualClock() { useVirtualClock(false); }
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;
};

}  // namespace platform
