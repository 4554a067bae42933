// A simulated device at the far end of a serial line. The link that carries the line (a
// pseudo-terminal, or a test feeding bytes by hand) hands it every byte the computer sends, with
// the time it arrived, and sends on whatever the device writes into `out`.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

class LineDevice {
public:
    virtual ~LineDevice() = default;

    // Bytes from the computer. `nowNs` is the monotonic time they were read, so that a device may
    // tell frames apart by the gaps between them. Answers go into `out`, written at once.
    virtual void received(const uint8_t* data, size_t size, int64_t nowNs, std::string& out) = 0;

    // Called when the line has been quiet for a while (about every millisecond), for devices
    // that act on time alone; most do nothing.
    virtual void idle(int64_t /*nowNs*/, std::string& /*out*/) {}
};

}  // namespace sim
