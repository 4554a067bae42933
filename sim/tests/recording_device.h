// The device behind a simulated modem in the modems' tests: it records what reaches it and
// answers every batch with "<" so that its output shows too.
#pragma once

#include <cstdint>
#include <string>

#include "sim/line_device.h"

namespace simtest {

class RecordingDevice : public sim::LineDevice {
public:
    void received(const uint8_t* data, size_t size, int64_t, std::string& out) override {
        seen.append(reinterpret_cast<const char*>(data), size);
        out += "<";
    }
    void idle(int64_t, std::string&) override { ++idleCalls; }

    std::string seen;
    int idleCalls = 0;
};

}  // namespace simtest
