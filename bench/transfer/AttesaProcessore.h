#pragma once
// How long the calling thread has waited for a processor while it was ready to run: time taken
// by the machine's other work, not by what the thread does. The library busy-waits its
// protocol delays, so on a shared machine every time it loses the processor shows in the
// wall-clock time of a transfer; subtracting this leaves the transfer's own time.

namespace zentar::bench {

// The calling thread's run-queue wait so far, in seconds (the kernel's schedstat); 0 when the
// kernel does not keep it.
double SecondiInAttesaDelProcessore();

}  // namespace zentar::bench
