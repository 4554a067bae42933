// kavex-sim runs until SIGINT or SIGTERM. The signals are blocked before any thread starts (so
// that every thread inherits the mask) and then taken synchronously.
#pragma once

namespace sim::tools {

void blockStopSignals();
// Waits for SIGINT or SIGTERM and returns its number.
int waitForStopSignal();

}  // namespace sim::tools
