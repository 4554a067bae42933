// The byte-level primitives of the protocol, timed by busy loops on the high-resolution counter.
#pragma once

#include <cstdint>

namespace selvoc {

// Computes Tick (frequency / 950) and FineTick (frequency / 9500).
void computeTimeUnits(int64_t counterFrequency);

// Clears the port's line error flags; they are never reported.
void clearLineErrors();

// Busy-waits `count` fine ticks.
void waitFineTicks(int count);

// Sends one byte under the setting in force, waits until it has left the transmit queue (at
// most kTransmitDrainLimitTicks), then CharDelay fine ticks, then in EchoMode reads and discards
// the echo. False when the port refused the byte or its queue never emptied.
bool SendByte(uint8_t value);

// Waits up to `ticks` ticks for one byte: true with it in lastReceived, false with lastReceived 0.
bool ReadByte(int ticks);

// How long SendByte waits for the transmit queue to empty: far longer than one byte takes at the
// slowest speed (about 1 ms at 9600 baud), so only a stuck line reaches it.
constexpr int kTransmitDrainLimitTicks = 100;

}  // namespace selvoc
