#include "port_settings.h"

#include <array>

#include "driver_state.h"

namespace selvoc {
namespace {

constexpr std::array<SpeedEntry, 4> kSpeedTable{{
    {.baud = 9600, .charDelay = 12},
    {.baud = 19200, .charDelay = 6},
    {.baud = 38400, .charDelay = 3},
    {.baud = 57600, .charDelay = 2},
}};

struct Timing {
    int replyWait;
    int echoWait;
};

constexpr Timing kRadioTiming{.replyWait = 500, .echoWait = 500};
constexpr Timing kWiredTiming{.replyWait = 1, .echoWait = 3};
constexpr Timing kWiredSlowTiming{.replyWait = 2, .echoWait = 6};
constexpr int kSlowestFastSpeedIndex = 1;  // indices 0 and 1 get kWiredSlowTiming

platform::LineSettings busSetting(int baud, platform::Parity parity) {
    return platform::LineSettings{
        .baud = baud,
        .dataBits = 8,
        .parity = parity,
        .stopBits = 1,
        .xonXoff = false,
        .dtr = false,
        .rts = true,
    };
}

bool applySetting(const platform::LineSettings& setting) {
    DriverState& state = driverState();
    if (!state.port) return false;
    if (state.settingInForce == setting) return true;
    state.settingInForce.reset();
    if (!state.port->apply(setting)) return false;
    state.settingInForce = setting;
    return true;
}

void setTiming(const Timing& timing) {
    DriverState& state = driverState();
    state.ReplyWait = timing.replyWait;
    state.EchoWait = timing.echoWait;
}

}  // namespace

std::optional<SpeedEntry> speedEntry(int speedIndex) {
    if (speedIndex < 0 || speedIndex >= static_cast<int>(kSpeedTable.size())) return std::nullopt;
    return kSpeedTable[static_cast<size_t>(speedIndex)];
}

void buildPortSettings(int baud) {
    DriverState& state = driverState();
    using platform::Parity;
    state.AddressSetting = busSetting(baud, state.RadioMode ? Parity::None : Parity::Mark);
    state.DataSetting = busSetting(baud, state.RadioMode ? Parity::None : Parity::Space);
}

bool applyAddressSetting() { return applySetting(driverState().AddressSetting); }

bool applyDataSetting() { return applySetting(driverState().DataSetting); }

void resetTiming() {
    DriverState& state = driverState();
    setTiming(state.RadioMode ? kRadioTiming : kWiredTiming);
    if (!state.port) return;
    state.port->purge(true, false);
    state.port->purge(false, true);
}

void applySlowSpeedTiming(int speedIndex) {
    if (!driverState().RadioMode && speedIndex <= kSlowestFastSpeedIndex) setTiming(kWiredSlowTiming);
}

}  // namespace selvoc
