#include "selvo_transport.h"

#include "errors.h"
#include "library_state.h"
#include "platform/clock.h"

namespace kavex {
namespace {

constexpr int kPollMessage = 2;
constexpr int kSendAttempts = 3;
constexpr uint32_t kPollPauseMs = 5;
constexpr size_t kPollBufferSize = 128;  // the driver writes at most 122 bytes

}  // namespace

int32_t SelvoTransport::sendMessage(int32_t address, const std::string& text) {
    return api_.SendMsg(address, text.c_str());
}

int32_t SelvoTransport::poll(int32_t address, char* text) { return api_.PollTerm(address, text); }

SendResult SelvoTransport::send(const std::string& command, char*) {
    const int32_t terminal = state().selectedTerminal;
    char scratch[kPollBufferSize];
    for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
        poll(terminal, scratch);  // takes a message still waiting; its result does not matter
        if (sendMessage(terminal, command) == 0) return SendResult::Sent;
    }
    setError(ErrCannotSend);
    return SendResult::Failed;
}

int SelvoTransport::post(const std::string& command) {
    const int32_t terminal = state().selectedTerminal;
    char scratch[kPollBufferSize];
    poll(terminal, scratch);
    if (sendMessage(terminal, command) != 0) {
        setError(ErrCannotSend);
        return -1;
    }
    return 0;
}

int SelvoTransport::deliver(const char* message, char* line) {
    if (static_cast<uint8_t>(message[0]) != state().selectedTerminal) {
        setError(ErrWrongTerminal);
        return -1;
    }
    copyText(line, kReplyCapacity, message + 1);
    return 0;
}

int SelvoTransport::readLine(char* line, uint32_t timeLimitMs) {
    const uint32_t start = platform::tickCountMs();
    char message[kPollBufferSize];
    while (poll(state().selectedTerminal, message) != kPollMessage) {
        platform::sleepMs(kPollPauseMs);
        if (platform::tickCountMs() - start > timeLimitMs) {
            setError(ErrNoReply);
            return -1;
        }
    }
    return deliver(message, line);
}

int SelvoTransport::takeReply(char* reply) {
    char message[kPollBufferSize];
    if (poll(state().selectedTerminal, message) != kPollMessage) {
        setError(ErrNoReply);
        return -1;
    }
    return deliver(message, reply);
}

int SelvoTransport::close() {
    const int32_t result = api_.ResetSlv();
    if (result == 0) return 0;
    setError(result == -255 ? ErrBadSelvoPort : ErrCloseSelvo);
    return -1;
}

}  // namespace kavex
