#include "library_state.h"

#include <cstring>

#include "transport.h"

namespace kavex {

bool isSelvoMode(int32_t mode) {
    return mode == ModeSelvo0 || mode == ModeSelvo1 || mode == ModeSelvo2 || mode == ModeSelvoRadio;
}

bool isRs232Mode(int32_t mode) {
    return mode == ModeLineDriver || mode == ModeRs232 || mode == ModeRs232Indirect;
}

LibraryState& state() {
    static LibraryState instance;
    return instance;
}

void clearReply() { state().replyBuffer[0] = '\0'; }

void clearErrorAndReply() {
    state().lastError = 0;
    clearReply();
}

void copyText(char* destination, size_t capacity, const std::string& text) {
    if (destination == nullptr || capacity == 0) return;
    const size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    std::memcpy(destination, text.data(), n);
    destination[n] = '\0';
}

}  // namespace kavex
