// Feeds a LineDevice byte by byte as the computer's driver would send it, on a clock the test
// moves by hand, and gathers everything the device answers.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "sim/line_device.h"

namespace simtest {

// Bytes of one frame leave the driver this far apart; frames are sent this far apart.
constexpr int64_t kByteGapNs = 200'000;
constexpr int64_t kFrameGapNs = 2'000'000;

class BusWire {
public:
    explicit BusWire(sim::LineDevice& device) : device_(device) {}

    // Sends the bytes of one frame, each kByteGapNs after the one before, the first one
    // kFrameGapNs after the last byte sent.
    std::string frame(const std::string& bytes) {
        return bytesApart(bytes, kFrameGapNs, kByteGapNs);
    }
    // Sends all bytes in one read, as a link that found them waiting together would.
    std::string together(const std::string& bytes);
    std::string bytesApart(const std::string& bytes, int64_t firstGapNs, int64_t gapNs);
    // The line stays quiet for `ns`, the device hearing of it about every millisecond.
    std::string quiet(int64_t ns);

    int64_t now() const { return now_; }

private:
    sim::LineDevice& device_;
    int64_t now_ = 1'000'000'000;
};

// A string of the given byte values.
inline std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (const int v : values) text.push_back(static_cast<char>(v));
    return text;
}

// Frames of the computer, built by hand so that the tests spell out the bytes.
inline std::string poll(uint8_t address, uint8_t code = 3) {
    return {static_cast<char>(address), static_cast<char>(code)};
}
inline std::string ack(uint8_t address) {
    return {static_cast<char>(address), 'a'};
}
inline std::string message(uint8_t address, const std::string& text, uint8_t checksum) {
    return std::string{static_cast<char>(address), '\x07'} + text + static_cast<char>(checksum) +
           '\0';
}

}  // namespace simtest
