// The library's progress displays as events of the host's meter callback. A MeterWindow opens
// only while MeterEnabled is set and a callback is registered; otherwise it shows nothing. It
// closes when it is closed or goes out of scope, on success and failure alike.
#pragma once

#include <cstdint>
#include <string>

namespace kavex {

class MeterWindow {
public:
    MeterWindow(const std::string& title, int32_t total);
    ~MeterWindow();
    MeterWindow(const MeterWindow&) = delete;
    MeterWindow& operator=(const MeterWindow&) = delete;

    bool shown() const { return shown_; }
    void status(const std::string& text);
    // File transfers: records so far, expected total, running total.
    void progress(int32_t records, int32_t total, int32_t running);
    // The connection window: milliseconds elapsed against the full time.
    void elapsed(int32_t elapsedMs, int32_t timeoutMs);
    void total(int32_t total);
    void close();

private:
    void emit(int32_t kind, const std::string& text, int32_t records, int32_t total,
              int32_t running, int32_t elapsedMs, int32_t timeoutMs);

    bool shown_ = false;
};

}  // namespace kavex
