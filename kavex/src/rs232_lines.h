// The rules that turn one received RS232 line into a reply text, shared by the waiting reader
// and the reader of replies that have already arrived.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kavex {

// Collects the bytes of one line; a 128th character overflows it.
class LineAssembler {
public:
    static constexpr size_t kMaxCharacters = 127;

    bool empty() const { return line_.empty(); }
    // False when the line would grow past kMaxCharacters.
    bool add(uint8_t byte);
    const std::string& text() const { return line_; }

private:
    std::string line_;
};

// The three-digit terminal number a line driver puts before each reply line.
int32_t lineDriverNumber(const std::string& line);

// Mode 2: the error code the special endings of a line report ("~S" 42, "~R" 88), or 0.
int32_t lineDriverFailure(const std::string& line);

}  // namespace kavex
