#include "byte_io.h"

#include "driver_state.h"
#include "platform/clock.h"

namespace selvoc {
namespace {

int64_t deadlineAfter(int64_t units, int64_t unitCounts) {
    return platform::counterNow() + units * unitCounts;
}

bool before(int64_t deadline) { return platform::counterNow() < deadline; }

bool waitForEmptyTransmitQueue(platform::SerialPort& port) {
    const int64_t giveUp = deadlineAfter(kTransmitDrainLimitTicks, driverState().Tick);
    do {
        port.clearErrors();
        if (port.transmitQueue() == 0) return true;
    } while (before(giveUp));
    return false;
}

bool tryReadOne(DriverState& state) {
    clearLineErrors();
    uint8_t byte = 0;
    if (state.port->read(&byte, 1) != 1) return false;
    state.lastReceived = byte;
    return true;
}

}  // namespace

void computeTimeUnits(int64_t counterFrequency) {
    DriverState& state = driverState();
    state.Tick = counterFrequency / 950;
    state.FineTick = counterFrequency / 9500;
}

void clearLineErrors() {
    DriverState& state = driverState();
    if (state.port) state.port->clearErrors();
}

void waitFineTicks(int count) {
    platform::busyWaitUntil(deadlineAfter(count, driverState().FineTick));
}

bool SendByte(uint8_t value) {
    DriverState& state = driverState();
    if (!state.port) return false;
    clearLineErrors();
    const bool written = state.port->write(&value, 1);
    const bool drained = waitForEmptyTransmitQueue(*state.port);
    waitFineTicks(state.CharDelay);
    if (state.EchoMode) ReadByte(state.EchoWait);
    return written && drained;
}

bool ReadByte(int ticks) {
    DriverState& state = driverState();
    if (!state.port) {
        state.lastReceived = 0;
        return false;
    }
    const int64_t deadline = deadlineAfter(ticks, state.Tick);
    do {
        if (tryReadOne(state)) return true;
    } while (before(deadline));
    if (tryReadOne(state)) return true;
    clearLineErrors();
    state.lastReceived = 0;
    return false;
}

}  // namespace selvoc
