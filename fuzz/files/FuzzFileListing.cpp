// The listing of the terminal's files (ListFiles) on arbitrary replies: the result is a count
// within the slots, 0 or 1 for a whole name, else the count of the end line; the slots filled
// are each a zero-ended text the terminal sent; the slots past the result are left as they
// were. A failure names its error.
//
// Input: a control byte (bits 0-1: mode 3, 3, 4, 2; bit 2: OvridFlag), the pattern's length
// (0-8, taken modulo 9) and the pattern, then the terminal's answers to each command, separated
// by 0xFF: the first answers "@DIR" with the echo, the listing lines and the end line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "input_reader.h"
#include "kavex.h"
#include "library_state.h"
#include "terminal_line.h"

namespace {

using fuzz::check;

constexpr int32_t kModes[] = {3, 3, 4, 2};
constexpr char kAnswerSeparator = '\xFF';
constexpr char kUntouched = '#';

// Each slot's text came from the terminal, as the waiting reader passes it on.
void checkSlots(int32_t result, const char* slots, const std::string& given)
{
    const std::string passed = fuzz::withoutFlowControl(given);
    for (int32_t i = 0; i < result; ++i) {
        const char* slot = slots + static_cast<size_t>(i) * KAVEX_LIST_ENTRY_SIZE;
        const size_t length = strnlen(slot, KAVEX_LIST_ENTRY_SIZE);
        check(length < KAVEX_LIST_ENTRY_SIZE);
        check(passed.find(std::string(slot, length)) != std::string::npos);
    }
    const size_t filled = static_cast<size_t>(result) * KAVEX_LIST_ENTRY_SIZE;
    for (size_t i = filled; i < KAVEX_LIST_BUFFER_SIZE; ++i)
        check(slots[i] == kUntouched);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    const uint8_t control = input.byte();
    std::string pattern = input.text(input.byte() % 9);
    pattern = pattern.substr(0, pattern.find('\0'));
    fuzz::TerminalLine& line = fuzz::TerminalLine::instance();
    line.start(kModes[control & 3], 0, input.pieces(kAnswerSeparator));
    kavex::state().ovridFlag = (control & 4) != 0;

    auto slots = std::make_unique<char[]>(KAVEX_LIST_BUFFER_SIZE);
    std::memset(slots.get(), kUntouched, KAVEX_LIST_BUFFER_SIZE);
    const int32_t result = ListFiles(pattern.c_str(), slots.get());
    check(result >= -1 && result <= KAVEX_LIST_MAX_ENTRIES);
    if (result == -1) {
        check(kavex::state().lastError != 0);
        return 0;
    }
    check(kavex::state().lastError == 0);
    if (pattern.size() == 8 && !kavex::state().ovridFlag) {
        check(result <= 1);
    } else {
        // A full listing ends on the end line, left in the reply buffer: its count is the result.
        const char* endLine = kavex::state().replyBuffer;
        check(endLine[0] == '\x04' && std::strtoll(endLine + 1, nullptr, 10) == result);
    }
    checkSlots(result, slots.get(), line.given());
    return 0;
}
