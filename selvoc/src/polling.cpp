#include "polling.h"

#include "byte_io.h"
#include "driver_state.h"
#include "frames.h"
#include "result_codes.h"

namespace selvoc {
namespace {

constexpr int kMaxPolls = 10;
constexpr int kMaxSilencesAfterAnswer = 3;
constexpr uint8_t kMessageFollows = 'T';
constexpr uint8_t kMessageAcknowledgement = 'a';
constexpr size_t kShortestMessage = 3;  // one text byte, the checksum and the final 0x00
constexpr uint8_t kComparedChecksumBits = 0x7F;

struct Reception {
    size_t length = 0;
    bool endedBySilence = false;
    uint8_t exclusiveOr = 0;
};

// Reads into the receive buffer until silence, a 0x00 byte or kAnswerLimit bytes; each byte must
// follow the one before within ReplyWait ticks.
Reception receiveAnswer() {
    DriverState& state = driverState();
    Reception reception;
    while (reception.length < kAnswerLimit) {
        if (!ReadByte(state.ReplyWait)) {
            state.receiveBuffer[reception.length] = 0;
            reception.endedBySilence = true;
            return reception;
        }
        const uint8_t byte = state.lastReceived;
        state.receiveBuffer[reception.length++] = byte;
        reception.exclusiveOr ^= byte;
        if (byte == 0) break;
    }
    return reception;
}

// A message is accepted when it is complete, long enough, and the exclusive-or of everything
// after the "T" has its low seven bits clear (bit 7 of the checksum is not compared). The
// checksum is overwritten with 0 so that the text before it is a C string.
bool receiveMessage() {
    const Reception reception = receiveAnswer();
    if (reception.endedBySilence || reception.length < kShortestMessage) return false;
    driverState().receiveBuffer[reception.length - 2] = 0;
    return (reception.exclusiveOr & kComparedChecksumBits) == 0;
}

void copyReceivedText(char* text) {
    const auto& buffer = driverState().receiveBuffer;
    size_t length = 0;
    while (length < kTextLimit && buffer[length] != 0) {
        text[length] = static_cast<char>(buffer[length]);
        ++length;
    }
    text[length] = '\0';
}

// The first text byte is the terminal's own address.
void acknowledgeMessage() {
    sendAddressed(driverState().receiveBuffer[0], kMessageAcknowledgement);
}

bool validAddress(int32_t address) { return address >= 1 && address <= kHighestAddress; }

enum class PollAnswer {
    Silence,          // nothing within the first-reply wait
    Acknowledgement,  // "P", "Q" or 0x60: nothing to deliver
    Message,          // a message that passed its checks, in the receive buffer
    Rejected,         // a garbled answer, or a message too short or with a wrong checksum
    Empty,            // 0x00: counts as a failed attempt, nothing to drain
};

PollAnswer readPollAnswer() {
    DriverState& state = driverState();
    if (!ReadByte(state.WaitFactor * state.ReplyWait)) return PollAnswer::Silence;
    const uint8_t first = state.lastReceived;
    if (isAcknowledgement(first)) return PollAnswer::Acknowledgement;
    if (first == kMessageFollows) return receiveMessage() ? PollAnswer::Message : PollAnswer::Rejected;
    if (first == 0) return PollAnswer::Empty;
    return PollAnswer::Rejected;
}

}  // namespace

int32_t pollTerminal(int32_t address, char* text) {
    DriverState& state = driverState();
    state.RetryCount = 0;
    int silences = 0;
    if (text == nullptr) return kFailed;
    if (!state.PortOpen) return kNoPortOpen;
    if (!validAddress(address)) return kFailed;
    const auto terminal = static_cast<uint8_t>(address);
    state.LastPolled = terminal;
    for (;;) {
        startAttempt(terminal, state.RetryCount == 0 ? state.PollCode : kRepeatRequest);
        switch (readPollAnswer()) {
            case PollAnswer::Silence:
                // Silence on the first poll means nobody is there; after an answer, four in a row.
                if (state.RetryCount == 0 || ++silences > kMaxSilencesAfterAnswer) return kNoAnswer;
                break;
            case PollAnswer::Acknowledgement:
                return kAcknowledged;
            case PollAnswer::Message:
                copyReceivedText(text);
                acknowledgeMessage();
                return kMessageReceived;
            case PollAnswer::Rejected:
                receiveAnswer();  // drain the rest of the answer before asking again
                silences = 0;
                break;
            case PollAnswer::Empty:
                break;
        }
        if (++state.RetryCount == kMaxPolls) return kFailed;
    }
}

int32_t pollAll(char* text) {
    DriverState& state = driverState();
    if (!state.PortOpen) return kNoPortOpen;
    if (text == nullptr) return kFailed;
    for (int poll = 0; poll < state.MaxAddress; ++poll) {
        const int next = state.LastPolled + 1;
        const int address = next > state.MaxAddress ? 1 : next;
        const int32_t result = pollTerminal(address, text);
        if (result == kFailed) return kFailed;
        if (result == kMessageReceived) return address;
    }
    return kNoAnswer;
}

}  // namespace selvoc
