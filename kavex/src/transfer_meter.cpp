#include "transfer_meter.h"

#include <algorithm>
#include <limits>

#include "kavex.h"
#include "library_state.h"

namespace kavex {
namespace {

constexpr uint32_t kPumpEvery = 4;

int32_t clamped(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void TransferMeter::open(const std::string& title, int64_t expected) {
    window_.reset();
    expected_ = expected;
    running_ = 0;
    window_.emplace(title, clamped(expected));
    // The host that showed a meter keeps its turn every fourth record from now on.
    if (window_->shown()) state().meterHostKnown = true;
}

void TransferMeter::record(int32_t count, int64_t bytes) {
    running_ += bytes;
    if (shown()) window_->progress(count, clamped(expected_), clamped(running_));
}

void TransferMeter::setExpected(int64_t expected) {
    expected_ = expected;
    if (shown()) window_->total(clamped(expected));
}

void TransferMeter::reopen(const std::string& title, int64_t expected) {
    close();
    open(title, expected);
}

void TransferMeter::close() { window_.reset(); }

void pumpAfterRecord(int32_t count) {
    LibraryState& s = state();
    ++s.pumpCounter;
    const KavexMeterCallback callback = s.meterCallback;
    if (s.pumpCounter % kPumpEvery != 0 || !s.meterHostKnown || callback == nullptr) return;
    const KavexMeterEvent event{.kind = KAVEX_METER_PUMP,
                                .text = "",
                                .records = count,
                                .total = 0,
                                .running = 0,
                                .elapsedMs = 0,
                                .timeoutMs = 0};
    callback(&event, s.meterContext);
}

}  // namespace kavex
