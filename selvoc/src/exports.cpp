// The C interface: every export checks its arguments in the layer below and lets no exception
// escape.
#include "driver_state.h"
#include "line_setup.h"
#include "messages.h"
#include "polling.h"
#include "result_codes.h"
#include "selvoc.h"

namespace {

// Runs an export's body; an exception (only an allocation failure can raise one) becomes the
// given result instead of crossing the C boundary.
template <typename Body>
int32_t guarded(int32_t onException, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return onException;
    }
}

}  // namespace

extern "C" {

SELVOC_API int32_t InitSlv(int32_t port, int32_t lineKind, int32_t maxAddress, int32_t) {
    return guarded(selvoc::kOpenFailed, [&] {
        return selvoc::startUp(selvoc::StartUpKind::Slv, port, lineKind, maxAddress);
    });
}

SELVOC_API int32_t InitNET(int32_t port, int32_t lineKind, int32_t maxAddress, int32_t) {
    return guarded(selvoc::kOpenFailed, [&] {
        return selvoc::startUp(selvoc::StartUpKind::Net, port, lineKind, maxAddress);
    });
}

SELVOC_API int32_t ChgSpeedSlv(int32_t speedIndex) {
    return guarded(selvoc::kTimingFailed, [&] { return selvoc::changeSpeed(speedIndex); });
}

SELVOC_API int32_t ChgSpeedNET(int32_t speedIndex) { return ChgSpeedSlv(speedIndex); }

SELVOC_API int32_t ResetSlv(void) {
    return guarded(selvoc::kFailed, [] { return selvoc::closeLine(); });
}

SELVOC_API int32_t ResetNET(void) { return ResetSlv(); }

SELVOC_API int32_t PollTerm(int32_t address, char* text) {
    return guarded(selvoc::kFailed, [&] { return selvoc::pollTerminal(address, text); });
}

SELVOC_API int32_t PollAll(char* text) {
    return guarded(selvoc::kFailed, [&] { return selvoc::pollAll(text); });
}

SELVOC_API int32_t SendMsg(int32_t address, const char* text) {
    return guarded(selvoc::kFailed, [&] { return selvoc::sendMessage(address, text); });
}

SELVOC_API int32_t RetryNum(void) {
    return guarded(selvoc::kNoPortOpen, [] {
        const selvoc::DriverState& state = selvoc::driverState();
        return state.PortOpen ? int32_t{state.RetryCount} : selvoc::kNoPortOpen;
    });
}

SELVOC_API int32_t GetCOMHandle(void) {
    return guarded(-1, [] { return selvoc::driverState().reportedHandle; });
}

}  // extern "C"
