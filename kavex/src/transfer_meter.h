// The progress meter of a file transfer and the host's turn every fourth record, both as events
// of the meter callback (meter.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "meter.h"

namespace kavex {

class TransferMeter {
public:
    TransferMeter() = default;
    TransferMeter(const TransferMeter&) = delete;
    TransferMeter& operator=(const TransferMeter&) = delete;

    // Opens the meter titled `title` expecting `expected` bytes, while MeterEnabled is set and a
    // callback is registered; the running total starts at zero.
    void open(const std::string& title, int64_t expected);
    bool shown() const { return window_.has_value() && window_->shown(); }
    int64_t expected() const { return expected_; }
    int64_t running() const { return running_; }

    // After a record of `bytes` bytes: the count of records and the running total.
    void record(int32_t count, int64_t bytes);
    // A new expected total ("Total bytes").
    void setExpected(int64_t expected);
    // Closes the meter and opens it again, as a new window: running total back to zero.
    void reopen(const std::string& title, int64_t expected);
    void close();

private:
    std::optional<MeterWindow> window_;
    int64_t expected_ = 0;
    int64_t running_ = 0;
};

// After each transferred record: counts it on the library-wide counter, never reset, and every
// fourth record gives the host its turn (KAVEX_METER_PUMP) once a meter has been shown.
void pumpAfterRecord(int32_t count);

}  // namespace kavex
