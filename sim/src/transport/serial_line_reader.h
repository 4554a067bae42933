// Cuts the bytes of an RS232 line into the lines the computer sends, each ended by a carriage
// return. The flow-control bytes 0x11 and 0x13 and line feeds carry no text and are dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

class SerialLineReader {
public:
    // A longer line keeps its first kMaxLine bytes; no command of the computer comes near it.
    static constexpr size_t kMaxLine = 1024;

    // Appends every line the bytes complete to `lines`, without its carriage return.
    void feed(const uint8_t* data, size_t size, std::vector<std::string>& lines);

private:
    std::string partial_;
};

}  // namespace sim
