#pragma once
// The time one byte takes to reach a simulated device over a pseudo-terminal and an answer to come
// back: the line's own delay, as a character time is a real line's. Measured in this run, on
// the same link the benchmark's devices use.

namespace zentar::bench {

// The median round trip, in seconds, of single bytes echoed by a device behind a PtyLink.
double GiroPty();

}  // namespace zentar::bench
