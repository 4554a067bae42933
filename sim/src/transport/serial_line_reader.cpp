#include "serial_line_reader.h"

namespace sim {
namespace {

constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kXon = 0x11;
constexpr uint8_t kXoff = 0x13;

}  // namespace

void SerialLineReader::feed(const uint8_t* data, size_t size, std::vector<std::string>& lines) {
    for (size_t i = 0; i < size; ++i) {
        const uint8_t byte = data[i];
        if (byte == kXon || byte == kXoff || byte == kLineFeed) continue;
        if (byte == kCarriageReturn) {
            lines.push_back(std::move(partial_));
            partial_.clear();
        } else if (partial_.size() < kMaxLine) {
            partial_.push_back(static_cast<char>(byte));
        }
    }
}

}  // namespace sim
