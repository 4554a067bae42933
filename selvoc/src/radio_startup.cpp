#include "radio_startup.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "driver_state.h"
#include "platform/clock.h"

namespace selvoc {
namespace {

struct RadioStep {
    std::string_view text;
    uint32_t pauseAfterWriteMs;
    bool readsAnswer;
    uint32_t pauseAfterReadMs;
};

constexpr std::array<RadioStep, 5> kRadioSteps{{
    {.text = "+++", .pauseAfterWriteMs = 100, .readsAnswer = true, .pauseAfterReadMs = 100},
    {.text = "ATR\r", .pauseAfterWriteMs = 200, .readsAnswer = true, .pauseAfterReadMs = 120},
    {.text = "ATS220=1\r", .pauseAfterWriteMs = 120, .readsAnswer = true, .pauseAfterReadMs = 90},
    {.text = "ATS204=10\r", .pauseAfterWriteMs = 90, .readsAnswer = false, .pauseAfterReadMs = 0},
    {.text = "ATO\r", .pauseAfterWriteMs = 90, .readsAnswer = true, .pauseAfterReadMs = 0},
}};

// The modem's answers are read two bytes at a time, as they come, and not examined.
constexpr size_t kAnswerBytesRead = 2;

void runStep(platform::SerialPort& port, const RadioStep& step) {
    port.write(reinterpret_cast<const uint8_t*>(step.text.data()), step.text.size());
    platform::sleepMs(step.pauseAfterWriteMs);
    if (!step.readsAnswer) return;
    std::array<uint8_t, kAnswerBytesRead> answer{};
    port.read(answer.data(), answer.size());
    platform::sleepMs(step.pauseAfterReadMs);
}

}  // namespace

void startRadioModem() {
    DriverState& state = driverState();
    state.EchoMode = false;
    if (!state.port) return;
    for (const RadioStep& step : kRadioSteps) runStep(*state.port, step);
}

}  // namespace selvoc
