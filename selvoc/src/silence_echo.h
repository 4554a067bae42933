// The start-up of a wired line: wait until the line is quiet, then find out whether it echoes.
#pragma once

namespace selvoc {

// Discards both queues and watches the line for one Tick, again after every byte that arrives.
// True when a quiet Tick was found; false when bytes kept arriving for kSilenceWaitLimitTicks.
bool WaitForSilence();

// Sends "1" under the setting in force with EchoMode off, and switches EchoMode on when "1"
// comes back within 10 ticks.
void testForEcho();

// Bound of the silence wait: 1900 ticks, 2 seconds of a line that never falls quiet.
constexpr int kSilenceWaitLimitTicks = 1900;

}  // namespace selvoc
