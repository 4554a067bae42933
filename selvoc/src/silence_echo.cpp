#include "silence_echo.h"

#include <cstdint>

#include "byte_io.h"
#include "driver_state.h"
#include "platform/clock.h"

namespace selvoc {
namespace {

constexpr uint8_t kEchoProbe = '1';
constexpr int kEchoProbeWaitTicks = 10;

void discardQueues() {
    DriverState& state = driverState();
    clearLineErrors();
    if (state.port) state.port->purge(true, true);
}

}  // namespace

bool WaitForSilence() {
    const int64_t giveUp = platform::counterNow() + kSilenceWaitLimitTicks * driverState().Tick;
    for (;;) {
        discardQueues();
        if (!ReadByte(1)) return true;
        if (platform::counterNow() >= giveUp) return false;
    }
}

void testForEcho() {
    DriverState& state = driverState();
    clearLineErrors();
    state.lastReceived = 0;
    state.EchoMode = false;
    SendByte(kEchoProbe);
    if (ReadByte(kEchoProbeWaitTicks) && state.lastReceived == kEchoProbe) state.EchoMode = true;
}

}  // namespace selvoc
