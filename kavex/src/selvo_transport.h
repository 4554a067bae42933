// Transport of the Selvo modes (0, 1, 5, 8): every command is a framed message sent with
// SendMsg, every reply a message collected with PollTerm, whose first byte is the sender's number.
#pragma once

#include "selvo_binding.h"
#include "transport.h"

namespace kavex {

class SelvoTransport final : public Transport {
public:
    explicit SelvoTransport(const SelvoApi& api) : api_(api) {}

    size_t maxCommandLength() const override { return 120; }
    SendResult send(const std::string& command, char* reply) override;
    int post(const std::string& command) override;
    int readLine(char* line, uint32_t timeLimitMs) override;
    int takeReply(char* reply) override;
    int close() override;
    SelvoTransport* selvo() override { return this; }

    // The driver's own calls, for the wake-up dialogue of the logon.
    int32_t sendMessage(int32_t address, const std::string& text);
    int32_t poll(int32_t address, char* text);

private:
    // Hands a delivered message to the caller without its first byte, the sender's number.
    int deliver(const char* message, char* line);

    const SelvoApi& api_;
};

}  // namespace kavex
