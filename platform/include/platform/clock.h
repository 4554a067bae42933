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

// Tests and fuzzing: while on, sleepMs() returns at once and tickCountMs() moves only by the
// milliseconds slept, so that pauses and time limits paced by sleeps cost no real time.
// counterNow() and busyWaitUntil() are not affected.
void useVirtualSleeps(bool on);

void sleepMs(uint32_t milliseconds);

// Spins until the counter reaches the deadline.
void busyWaitUntil(int64_t deadline);

}  // namespace platform
