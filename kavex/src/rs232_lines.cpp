#include "rs232_lines.h"

#include "errors.h"

namespace kavex {
namespace {

// The terminal's failure texts count only where their first occurrence ends the line.
bool endsWithFirst(const std::string& line, const char* pair) {
    const size_t at = line.find(pair);
    return at != std::string::npos && at + 2 == line.size();
}

}  // namespace

bool LineAssembler::add(uint8_t byte) {
    if (line_.size() >= kMaxCharacters) return false;
    line_.push_back(static_cast<char>(byte));
    return true;
}

int32_t lineDriverNumber(const std::string& line) {
    int32_t number = 0;
    for (size_t i = 0; i < 3 && i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        number = number * 10 + (line[i] - '0');
    }
    return number;
}

int32_t lineDriverFailure(const std::string& line) {
    if (endsWithFirst(line, "~S")) return ErrCannotSend;
    if (endsWithFirst(line, "~R")) return ErrCannotReceive;
    return 0;
}

}  // namespace kavex
