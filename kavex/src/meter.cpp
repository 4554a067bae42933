// The meter callback: SetMeterCallback, EnableMeter and the events of a MeterWindow.
#include "meter.h"

#include "export_guard.h"
#include "kavex.h"
#include "library_state.h"

namespace kavex {

MeterWindow::MeterWindow(const std::string& title, int32_t total) {
    if (!state().meterEnabled || state().meterCallback == nullptr) return;
    shown_ = true;
    emit(KAVEX_METER_OPEN, title, 0, total, 0, 0, 0);
}

MeterWindow::~MeterWindow() { close(); }

void MeterWindow::status(const std::string& text) {
    emit(KAVEX_METER_STATUS, text, 0, 0, 0, 0, 0);
}

void MeterWindow::progress(int32_t records, int32_t total, int32_t running) {
    emit(KAVEX_METER_PROGRESS, {}, records, total, running, 0, 0);
}

void MeterWindow::elapsed(int32_t elapsedMs, int32_t timeoutMs) {
    emit(KAVEX_METER_PROGRESS, {}, 0, timeoutMs, elapsedMs, elapsedMs, timeoutMs);
}

void MeterWindow::total(int32_t total) { emit(KAVEX_METER_TOTAL, {}, 0, total, 0, 0, 0); }

void MeterWindow::close() {
    if (!shown_) return;
    emit(KAVEX_METER_CLOSE, {}, 0, 0, 0, 0, 0);
    shown_ = false;
}

// The event and its text live on this frame only; a callback removed meanwhile gets nothing.
void MeterWindow::emit(int32_t kind, const std::string& text, int32_t records, int32_t total,
                       int32_t running, int32_t elapsedMs, int32_t timeoutMs) {
    const KavexMeterCallback callback = state().meterCallback;
    if (!shown_ || callback == nullptr) return;
    const KavexMeterEvent event{.kind = kind,
                                .text = text.c_str(),
                                .records = records,
                                .total = total,
                                .running = running,
                                .elapsedMs = elapsedMs,
                                .timeoutMs = timeoutMs};
    callback(&event, state().meterContext);
}

}  // namespace kavex

extern "C" {

KAVEX_API int32_t SetMeterCallback(KavexMeterCallback callback, void* context) {
    return kavex::guarded([&] {
        kavex::state().meterCallback = callback;
        kavex::state().meterContext = callback != nullptr ? context : nullptr;
        return 0;
    });
}

KAVEX_API int32_t EnableMeter(int32_t enable) {
    return kavex::guarded([&] {
        kavex::state().meterEnabled = enable != 0;
        return 0;
    });
}

}  // extern "C"
