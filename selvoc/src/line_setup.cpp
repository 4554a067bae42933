#include "line_setup.h"

#include <array>

#include "byte_io.h"
#include "driver_state.h"
#include "platform/clock.h"
#include "port_settings.h"
#include "radio_startup.h"
#include "result_codes.h"
#include "silence_echo.h"

namespace selvoc {
namespace {

constexpr int32_t kHighestPort = 500;
constexpr int32_t kHighestMaxAddress = 254;
constexpr uint8_t kSlvPollCode = 3;
constexpr uint8_t kNetPollCode = 6;
constexpr uint8_t kSlowLineWaitFactor = 9;
constexpr size_t kReceiveQueueSize = 256;
constexpr size_t kTransmitQueueSize = 128;
constexpr int kWriteTimeoutMs = 20;

struct PortResult {
    int32_t port;
    int32_t result;
};

// The classic I/O addresses of the first four ports are the success results of a start-up.
constexpr std::array<PortResult, 4> kPortResults{{
    {.port = 1, .result = 0x3F8},
    {.port = 2, .result = 0x2F8},
    {.port = 3, .result = 0x3E8},
    {.port = 4, .result = 0x2E8},
}};
constexpr int32_t kOtherPortResult = 1;

bool validLineKind(int32_t lineKind) {
    return lineKind == kRadioLineKind || (lineKind >= 0 && lineKind <= kSlowLineKind);
}

bool validStartUpArguments(int32_t port, int32_t lineKind, int32_t maxAddress) {
    return port >= 1 && port <= kHighestPort && validLineKind(lineKind) && maxAddress >= 1 &&
           maxAddress <= kHighestMaxAddress;
}

int32_t successResult(int32_t port) {
    for (const PortResult& entry : kPortResults) {
        if (entry.port == port) return entry.result;
    }
    return kOtherPortResult;
}

void setLineKind(StartUpKind kind, int32_t lineKind) {
    DriverState& state = driverState();
    if (kind == StartUpKind::Slv) {
        state.RadioMode = lineKind == kRadioLineKind;
        state.PollCode = kSlvPollCode;
    } else {
        state.PollCode = kNetPollCode;
    }
    state.WaitFactor = lineKind == kSlowLineKind ? kSlowLineWaitFactor : 1;
}

bool openPort(int32_t port) {
    DriverState& state = driverState();
    state.port = platform::openSerialPort(port);
    state.settingInForce.reset();
    storePortHandle(state.port ? state.port->handle() : -1);
    return state.port != nullptr;
}

// Closes a port whose start-up failed; the attempt leaves hComId invalid.
void abandonPort() {
    DriverState& state = driverState();
    state.PortOpen = false;
    if (state.port) state.port->close();
    state.port.reset();
    state.settingInForce.reset();
    storePortHandle(-1);
}

void resetExchangeState(int32_t maxAddress) {
    DriverState& state = driverState();
    state.MaxAddress = static_cast<uint8_t>(maxAddress);
    state.LastPolled = 1;
    state.RetryCount = 0;
    state.CharDelay = speedEntry(kStartUpSpeedIndex)->charDelay;
}

// Buffer sizes, AddressSetting and the time-outs; 0 or the result of the first refusal. Linux
// has no event mask to clear, so nothing stands for it here.
int32_t configurePort() {
    platform::SerialPort& port = *driverState().port;
    if (!port.setBufferSizes(kReceiveQueueSize, kTransmitQueueSize)) return kBuffersRefused;
    if (!applyAddressSetting()) return kSettingRefused;
    if (!port.setImmediateReads(kWriteTimeoutMs)) return kTimeoutsRefused;
    return 0;
}

// Radio modem start-up, or the silence wait and echo test of a wired line.
bool startLine(int32_t lineKind) {
    if (lineKind == kRadioLineKind) {
        startRadioModem();
        return true;
    }
    if (!WaitForSilence()) return false;
    testForEcho();
    return true;
}

int32_t openAndStart(int32_t port, int32_t lineKind, int32_t maxAddress, int64_t frequency) {
    if (!openPort(port)) return kOpenFailed;
    resetExchangeState(maxAddress);
    buildPortSettings(lineKind == kRadioLineKind ? kRadioBaud : kWiredStartUpBaud);
    if (const int32_t refused = configurePort(); refused != 0) return refused;
    const int32_t success = successResult(port);
    resetTiming();
    if (driverState().ReplyWait < 1) return kTimingFailed;
    driverState().PortOpen = true;
    computeTimeUnits(frequency);
    if (!startLine(lineKind)) return kOpenFailed;
    return success;
}

struct SpeedState {
    int charDelay;
    platform::LineSettings addressSetting;
    platform::LineSettings dataSetting;
};

SpeedState currentSpeed() {
    const DriverState& state = driverState();
    return {state.CharDelay, state.AddressSetting, state.DataSetting};
}

void restoreSpeed(const SpeedState& speed) {
    DriverState& state = driverState();
    state.CharDelay = speed.charDelay;
    state.AddressSetting = speed.addressSetting;
    state.DataSetting = speed.dataSetting;
    applyAddressSetting();
}

}  // namespace

int32_t startUp(StartUpKind kind, int32_t port, int32_t lineKind, int32_t maxAddress) {
    // Arguments and the open port are checked before anything changes, so that a refused
    // start-up leaves an open port exactly as it was.
    if (!validStartUpArguments(port, lineKind, maxAddress)) return kFailed;
    if (driverState().PortOpen) return kPortAlreadyOpen;
    setLineKind(kind, lineKind);
    const int64_t frequency = platform::counterFrequency();
    if (frequency <= 0) return kNoCounter;
    const int32_t result = openAndStart(port, lineKind, maxAddress, frequency);
    if (result < 0) {
        if (driverState().port) abandonPort();
        return result;
    }
    DriverState& state = driverState();
    state.reportedHandle = state.port->handle();
    return result;
}

int32_t changeSpeed(int32_t speedIndex) {
    DriverState& state = driverState();
    if (!state.PortOpen) return kNoPortOpen;
    const std::optional<SpeedEntry> entry = speedEntry(speedIndex);
    if (!entry) return kFailed;
    const SpeedState previous = currentSpeed();
    state.CharDelay = entry->charDelay;
    buildPortSettings(entry->baud);
    if (!applyAddressSetting()) {
        restoreSpeed(previous);
        return kTimingFailed;
    }
    resetTiming();
    if (state.ReplyWait < 1) return kTimingFailed;
    applySlowSpeedTiming(speedIndex);
    return 0;
}

int32_t closeLine() {
    DriverState& state = driverState();
    if (!state.PortOpen) return kFailed;
    state.PortOpen = false;
    state.reportedHandle = -1;
    const bool closed = state.port && state.port->close();
    state.port.reset();
    state.settingInForce.reset();
    return closed ? 0 : kFailed;
}

}  // namespace selvoc
