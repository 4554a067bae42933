// SendCommand, PostCommand, GetResponse, GetMsgEx and the internal reply reader.
#include "exchange.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "errors.h"
#include "export_guard.h"
#include "kavex.h"
#include "library_state.h"
#include "platform/clock.h"
#include "transport.h"

namespace kavex {
namespace {

constexpr size_t kMaxCommand = 127;
constexpr int32_t kRestartMinimumWait = 10;  // seconds
constexpr uint32_t kRestartPauseMs = 750;
constexpr uint32_t kUnitMs = 500;

bool isRestartCommand(const std::string& command) { return command.rfind("%%", 0) == 0; }

// Bounded length of a caller's text: a text longer than `limit` is refused without reading on.
bool fitsIn(const char* text, size_t limit) { return strnlen(text, limit + 1) <= limit; }

int32_t replyWaitSeconds() {
    const LibraryState& s = state();
    return s.openMode == ModeNetworkBox ? s.winSockTimeout / 1000 : s.responseTimeout;
}

std::string commandStore;

}  // namespace

int requireTerminal() {
    if (state().openMode == kNoDevice) {
        setError(ErrNotInitialized);
        return -1;
    }
    if (state().selectedTerminal == kNoTerminal) {
        setError(ErrNoTerminal);
        return -1;
    }
    return 0;
}

int readReply(char* line, int32_t n) {
    clearReply();
    if (line == nullptr) {
        setError(ErrWrongParameters);
        return -1;
    }
    state().lastError = 0;
    Transport* transport = state().transport.get();
    if (transport == nullptr || state().openMode == ModeReserved7) return -1;
    // Held at the longest wait a 32-bit tick difference can measure.
    const uint64_t limit = n > 0 ? static_cast<uint64_t>(n) * kUnitMs : 0;
    return transport->readLine(line, static_cast<uint32_t>(std::min<uint64_t>(
                                         limit, std::numeric_limits<uint32_t>::max())));
}

int32_t waitUnits(int32_t seconds) {
    constexpr int32_t most = std::numeric_limits<int32_t>::max();
    return seconds > most / 2 ? most : 2 * seconds;
}

void drainReplies() {
    char line[kReplyCapacity];
    while (readReply(line, 1) == 0) {
    }
}

int32_t sendCommand(const char* command, char* reply) {
    clearErrorAndReply();
    if (requireTerminal() != 0) return -1;
    const char* text = command == nullptr ? "" : command;
    if (reply == nullptr || !fitsIn(text, kMaxCommand)) {
        setError(ErrWrongParameters);
        return -1;
    }
    commandStore = text;
    Transport& transport = *state().transport;
    if (commandStore.size() > transport.maxCommandLength()) {
        setError(ErrWrongParameters);
        return -1;
    }
    const SendResult sent = transport.send(commandStore, reply);
    if (sent == SendResult::Failed) return -1;
    if (sent == SendResult::ReplyDelivered) return 0;
    int32_t wait = replyWaitSeconds();
    if (isRestartCommand(commandStore)) {
        if (wait < kRestartMinimumWait) wait = kRestartMinimumWait;
        if (readReply(reply, waitUnits(wait)) != 0) return -1;
        platform::sleepMs(kRestartPauseMs);
        return 0;
    }
    return readReply(reply, waitUnits(wait));
}

int32_t postCommand(const char* command) {
    clearErrorAndReply();
    if (requireTerminal() != 0) return -1;
    const char* text = command == nullptr ? "" : command;
    Transport& transport = *state().transport;
    if (!fitsIn(text, kMaxCommand) || !fitsIn(text, transport.maxCommandLength())) {
        setError(ErrWrongParameters);
        return -1;
    }
    return transport.post(text);
}

}  // namespace kavex

using namespace kavex;

extern "C" {

KAVEX_API int32_t SendCommand(const char* command, char* reply) {
    return guarded([&] { return sendCommand(command, reply); });
}

KAVEX_API int32_t PostCommand(const char* command) {
    return guarded([&] { return postCommand(command); });
}

KAVEX_API int32_t GetResponse(char* reply) {
    return guarded([&]() -> int32_t {
        clearErrorAndReply();
        if (reply == nullptr) {
            setError(ErrWrongParameters);
            return -1;
        }
        if (requireTerminal() != 0) return -1;
        if (state().openMode == ModeReserved7) return -1;
        return state().transport->takeReply(reply);
    });
}

KAVEX_API int32_t GetMsgEx(char* text) {
    return guarded([&]() -> int32_t {
        clearErrorAndReply();
        if (text == nullptr) {
            setError(ErrWrongParameters);
            return -1;
        }
        if (requireTerminal() != 0) return -1;
        return readReply(text, 2);
    });
}

}  // extern "C"
