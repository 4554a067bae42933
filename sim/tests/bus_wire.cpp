#include "bus_wire.h"

namespace simtest {

constexpr int64_t kIdleStepNs = 1'000'000;

std::string BusWire::together(const std::string& bytes) {
    std::string out;
    now_ += kFrameGapNs;
    device_.received(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), now_, out);
    return out;
}

std::string BusWire::bytesApart(const std::string& bytes, int64_t firstGapNs, int64_t gapNs) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        now_ += i == 0 ? firstGapNs : gapNs;
        const auto byte = static_cast<uint8_t>(bytes[i]);
        device_.received(&byte, 1, now_, out);
    }
    return out;
}

std::string BusWire::quiet(int64_t ns) {
    std::string out;
    for (const int64_t end = now_ + ns; now_ < end;) {
        now_ += kIdleStepNs;
        device_.idle(now_, out);
    }
    return out;
}

}  // namespace simtest
