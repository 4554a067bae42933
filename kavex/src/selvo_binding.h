// The line driver libselvoc.so, loaded on first use and kept loaded for the life of the process
// (its port state must survive a failed InitCOMM, which later start-ups then report).
#pragma once

#include <cstdint>

namespace kavex {

struct SelvoApi {
    int32_t (*InitSlv)(int32_t port, int32_t lineKind, int32_t maxAddress, int32_t fourth);
    int32_t (*ChgSpeedSlv)(int32_t speedIndex);
    int32_t (*ResetSlv)();
    int32_t (*PollTerm)(int32_t address, char* text);
    int32_t (*SendMsg)(int32_t address, const char* text);
};

// The bound driver, or nullptr when libselvoc.so or one of its functions cannot be found.
const SelvoApi* selvoApi();

// Path of the loaded driver file, found as the loader finds it; empty when not found.
const char* selvoLibraryPath();

}  // namespace kavex
