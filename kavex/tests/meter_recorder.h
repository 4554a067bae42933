// Records the events of the meter callback for the unit tests; registered while it lives.
#pragma once

#include <string>
#include <vector>

#include "kavex.h"

namespace kavex_test {

struct MeterEventCopy {
    int32_t kind;
    std::string text;
    int32_t records;
    int32_t total;
    int32_t running;

    bool operator==(const MeterEventCopy&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const MeterEventCopy& e) {
    return out << "{" << e.kind << " '" << e.text << "' " << e.records << " " << e.total << " "
               << e.running << "}";
}

class MeterRecorder {
public:
    MeterRecorder() { SetMeterCallback(&MeterRecorder::record, this); }
    ~MeterRecorder() {
        SetMeterCallback(nullptr, nullptr);
        EnableMeter(0);
    }
    MeterRecorder(const MeterRecorder&) = delete;
    MeterRecorder& operator=(const MeterRecorder&) = delete;

    // The events of one kind, or all but the host's turns.
    std::vector<MeterEventCopy> of(int32_t kind) const {
        std::vector<MeterEventCopy> found;
        for (const MeterEventCopy& e : events) {
            if (e.kind == kind) found.push_back(e);
        }
        return found;
    }
    std::vector<MeterEventCopy> display() const {
        std::vector<MeterEventCopy> found;
        for (const MeterEventCopy& e : events) {
            if (e.kind != KAVEX_METER_PUMP) found.push_back(e);
        }
        return found;
    }

    std::vector<MeterEventCopy> events;

private:
    static void record(const KavexMeterEvent* event, void* context) {
        static_cast<MeterRecorder*>(context)->events.push_back(
            {event->kind, event->text, event->records, event->total, event->running});
    }
};

inline MeterEventCopy opened(const std::string& title, int32_t total) {
    return {KAVEX_METER_OPEN, title, 0, total, 0};
}
inline MeterEventCopy progress(int32_t records, int32_t total, int32_t running) {
    return {KAVEX_METER_PROGRESS, "", records, total, running};
}
inline MeterEventCopy newTotal(int32_t total) { return {KAVEX_METER_TOTAL, "", 0, total, 0}; }
inline MeterEventCopy closed() { return {KAVEX_METER_CLOSE, "", 0, 0, 0}; }

}  // namespace kavex_test
