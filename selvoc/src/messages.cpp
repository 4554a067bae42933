#include "messages.h"

#include <cstring>

#include "byte_io.h"
#include "driver_state.h"
#include "frames.h"
#include "result_codes.h"

namespace selvoc {
namespace {

constexpr uint8_t kBroadcastAddress = 0;
constexpr uint8_t kMessageStart = 0x07;
constexpr uint8_t kFrameEnd = 0x00;
constexpr uint8_t kChecksumForZero = 0x80;
constexpr int kMaxTransmissions = 5;
// The terminal's 0x00 bytes before its answer are skipped; past a frame's worth of them the line
// is stuck and the answer counts as missing, so that the caller is not held forever.
constexpr int kMaxSkippedZeros = 123;

enum class MessageAnswer { Accepted, RepeatRequested, Failed };

bool sendMessageFrame(uint8_t address, std::string_view text) {
    bool sent = startAttempt(address, kMessageStart);
    for (const char character : text) sent = SendByte(static_cast<uint8_t>(character)) && sent;
    sent = SendByte(messageChecksum(text)) && sent;
    sent = SendByte(kFrameEnd) && sent;
    return sent;
}

MessageAnswer awaitAnswer() {
    DriverState& state = driverState();
    for (int zeros = 0; zeros <= kMaxSkippedZeros; ++zeros) {
        if (!ReadByte(state.WaitFactor * state.EchoWait)) return MessageAnswer::Failed;
        const uint8_t answer = state.lastReceived;
        if (answer == 0) continue;
        if (isAcknowledgement(answer)) return MessageAnswer::Accepted;
        if (answer == kRepeatRequest) return MessageAnswer::RepeatRequested;
        return MessageAnswer::Failed;
    }
    return MessageAnswer::Failed;
}

}  // namespace

uint8_t messageChecksum(std::string_view text) {
    uint8_t checksum = 0;
    for (const char character : text) checksum ^= static_cast<uint8_t>(character);
    return checksum == 0 ? kChecksumForZero : checksum;
}

int32_t sendMessage(int32_t address, const char* text) {
    DriverState& state = driverState();
    state.RetryCount = 0;
    if (!state.PortOpen) return kNoPortOpen;
    // strnlen: a text longer than the limit is refused without reading past the limit.
    const std::string_view message(text == nullptr ? "" : text,
                                   text == nullptr ? 0 : strnlen(text, kMessageLimit + 1));
    if (address < 0 || address > kHighestAddress || message.size() > kMessageLimit) return kFailed;
    const auto terminal = static_cast<uint8_t>(address);
    for (;;) {
        const bool sent = sendMessageFrame(terminal, message);
        // Nobody answers a message to every terminal; only the port can tell it failed.
        if (terminal == kBroadcastAddress) return sent ? 0 : kFailed;
        switch (awaitAnswer()) {
            case MessageAnswer::Accepted:
                return 0;
            case MessageAnswer::Failed:
                return kFailed;
            case MessageAnswer::RepeatRequested:
                if (++state.RetryCount == kMaxTransmissions) return kFailed;
                break;
        }
    }
}

}  // namespace selvoc
