// GetError and the time-out settings.
#include <limits>

#include "errors.h"
#include "export_guard.h"
#include "kavex.h"
#include "library_state.h"

namespace kavex {
namespace {

int32_t setWinSockTimeout(int32_t seconds) {
    clearErrorAndReply();
    if (seconds <= 0) {
        setError(ErrWrongParameters);
        return -1;
    }
    LibraryState& s = state();
    // Held at the longest wait that milliseconds in 32 bits can hold.
    constexpr int32_t most = std::numeric_limits<int32_t>::max();
    s.winSockTimeout = seconds > most / 1000 ? most : seconds * 1000;
    s.udpTries = s.winSockTimeout / s.udpTryTime;
    if (s.udpTries == 0) s.udpTries = 1;
    return 0;
}

int32_t setResponseTimeout(int32_t seconds) {
    clearErrorAndReply();
    if (seconds <= 0) {
        setError(ErrWrongParameters);
        return -1;
    }
    state().responseTimeout = seconds;
    return 0;
}

}  // namespace
}  // namespace kavex

using namespace kavex;

extern "C" {

KAVEX_API int32_t GetError(char* text) {
    return guarded([&]() -> int32_t {
        if (text == nullptr) {
            setError(ErrWrongParameters);
            return -1;
        }
        copyText(text, KAVEX_ERROR_SIZE, currentErrorText());
        return state().lastError;
    });
}

KAVEX_API int32_t Set232TimeOut(int32_t seconds) {
    return guarded([&] { return setResponseTimeout(seconds); });
}

KAVEX_API int32_t SetSelvoTimeOut(int32_t seconds) { return Set232TimeOut(seconds); }

KAVEX_API int32_t Get232TimeOut(void) { return state().responseTimeout; }

KAVEX_API int32_t SetWinSockTimeOut(int32_t seconds) {
    return guarded([&] { return setWinSockTimeout(seconds); });
}

KAVEX_API int32_t GetWinSockTimeOut(void) { return state().winSockTimeout / 1000; }

KAVEX_API int32_t PurgeRS232TimeOut(int32_t seconds) {
    if (seconds < 1 || seconds > 20) {
        setError(ErrWrongParameters);
        return -1;
    }
    state().purgeWait = seconds;
    return 0;
}

}  // extern "C"
