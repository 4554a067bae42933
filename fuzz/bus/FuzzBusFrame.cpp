// The bus frame receiver on arbitrary answers: PollTerm, PollAll and SendMsg on an in-memory
// wired line whose terminal answers each frame with the next piece of the input. A delivered
// message must be one the terminal sent whole, with its checksum right, acknowledged to its
// own address; the caller's text is never written past its 122 bytes, nor at all without a
// message; no exchange repeats more often than it may.
//
// Input: a control byte (bits 0-1: PollTerm, PollAll or SendMsg; bit 2: the line echoes), the
// address (for PollAll the highest address, 1-8), for SendMsg a text length and the text, then
// the answers, each a length byte and that many bytes (length 0: silence).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "driver_state.h"
#include "input_reader.h"
#include "platform/memory_port.h"
#include "selvoc.h"

namespace {

using fuzz::check;
using fuzz::InputReader;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kMessageStart = 0x07;
constexpr uint8_t kAcknowledge = 'a';
constexpr uint8_t kMessageFollows = 'T';
constexpr size_t kAnswerLimit = 123;
constexpr int kMaxPolls = 10;
constexpr int kMaxTransmissions = 5;

// A terminal on the wired line: a byte under mark parity starts a frame; each complete poll or
// message takes the next answer, an acknowledgement takes none.
class AnsweringTerminal {
public:
    explicit AnsweringTerminal(platform::MemoryLine& line)
    {
        line.peer = [this](platform::MemoryLine& l, uint8_t byte) { received(l, byte); };
    }

    void start(std::vector<Bytes> answers, bool echo)
    {
        answers_ = std::move(answers);
        echo_ = echo;
        next_ = 0;
        frames.clear();
    }

    std::vector<Bytes> frames;

    // The answer taken by the last poll or message, if any was.
    const Bytes* lastAnswer() const
    {
        return next_ > 0 && next_ <= answers_.size() ? &answers_[next_ - 1] : nullptr;
    }

private:
    void received(platform::MemoryLine& line, uint8_t byte)
    {
        if (line.settings.parity == platform::Parity::Mark || frames.empty())
            frames.emplace_back();
        Bytes& frame = frames.back();
        frame.push_back(byte);
        if (echo_)
            line.incoming.push_back(byte);
        const bool poll = frame.size() == 2 && frame[1] != kMessageStart && frame[1] != kAcknowledge;
        const bool message = frame.size() >= 4 && frame[1] == kMessageStart && byte == 0;
        if (poll || message) {
            if (next_ < answers_.size())
                line.feed(std::string(answers_[next_].begin(), answers_[next_].end()));
            ++next_;
        }
    }

    std::vector<Bytes> answers_;
    bool echo_ = false;
    size_t next_ = 0;
};

struct Bus {
    std::shared_ptr<platform::MemoryLine> line = std::make_shared<platform::MemoryLine>();
    std::unique_ptr<AnsweringTerminal> terminal;

    // One start-up on the memory line; then every wait counts no time at all, so that silence
    // is simply the end of what the terminal sent.
    Bus()
    {
        platform::openPortsOnMemoryLine(line);
        check(InitSlv(1, 0, 254, 0) > 0);
        terminal = std::make_unique<AnsweringTerminal>(*line);
        selvoc::DriverState& state = selvoc::driverState();
        state.Tick = 0;
        state.FineTick = 0;
    }
};

Bus& bus()
{
    static Bus instance;
    return instance;
}

size_t framesStartingWith(const std::vector<Bytes>& frames, uint8_t second)
{
    size_t count = 0;
    for (const Bytes& frame : frames)
        count += frame.size() >= 2 && frame[1] == second;
    return count;
}

size_t polls(const std::vector<Bytes>& frames)
{
    size_t count = 0;
    for (const Bytes& frame : frames)
        count += frame.size() == 2 && frame[1] != kMessageStart && frame[1] != kAcknowledge;
    return count;
}

// A delivered text came whole in the last answer: "T", the text, a checksum, then 0x00 or the
// 123rd byte after "T"; the exclusive-or of all but the "T" has its low seven bits clear.
void checkDeliveredText(const char* text, const AnsweringTerminal& terminal)
{
    const size_t length = strnlen(text, SELVOC_TEXT_SIZE);
    check(length >= 1 && length < SELVOC_TEXT_SIZE);
    const Bytes* answer = terminal.lastAnswer();
    check(answer != nullptr && answer->size() >= length + 3 && (*answer)[0] == kMessageFollows);
    check(std::memcmp(answer->data() + 1, text, length) == 0);
    uint8_t exclusiveOr = 0;
    for (size_t i = 1; i <= length + 2; ++i)
        exclusiveOr ^= (*answer)[i];
    check((exclusiveOr & 0x7F) == 0);
    check((*answer)[length + 2] == 0 || length + 2 == kAnswerLimit);
    const Bytes& last = terminal.frames.back();
    check(last.size() == 2 && last[0] == static_cast<uint8_t>(text[0]) && last[1] == kAcknowledge);
}

// The caller's buffer, exactly as large as the driver may write, and marked so that a write
// without a message shows.
struct TextBuffer {
    std::unique_ptr<char[]> bytes = std::make_unique<char[]>(SELVOC_TEXT_SIZE);
    TextBuffer() { std::memset(bytes.get(), '#', SELVOC_TEXT_SIZE); }
    bool untouched() const { return bytes[0] == '#'; }
};

void fuzzPollTerm(int32_t address, AnsweringTerminal& terminal)
{
    TextBuffer text;
    const int32_t result = PollTerm(address, text.bytes.get());
    check(result >= -1 && result <= 2);
    check(RetryNum() >= 0 && RetryNum() <= kMaxPolls);
    check(polls(terminal.frames) <= kMaxPolls);
    if (result == 2)
        checkDeliveredText(text.bytes.get(), terminal);
    else
        check(text.untouched() && framesStartingWith(terminal.frames, kAcknowledge) == 0);
}

void fuzzPollAll(uint8_t maxAddress, AnsweringTerminal& terminal)
{
    selvoc::driverState().MaxAddress = maxAddress;
    TextBuffer text;
    const int32_t result = PollAll(text.bytes.get());
    check(result >= -1 && result <= maxAddress);
    if (result > 0) {
        check(selvoc::driverState().LastPolled == result);
        checkDeliveredText(text.bytes.get(), terminal);
    } else {
        check(text.untouched());
    }
}

// Every transmission is the same frame: address, 0x07, the text, its checksum (0x80 for 0), 0x00.
void checkMessageFrames(int32_t address, const std::string& message, const AnsweringTerminal& terminal)
{
    uint8_t checksum = 0;
    for (const char c : message)
        checksum ^= static_cast<uint8_t>(c);
    Bytes expected{static_cast<uint8_t>(address), kMessageStart};
    expected.insert(expected.end(), message.begin(), message.end());
    expected.push_back(checksum == 0 ? 0x80 : checksum);
    expected.push_back(0);
    for (const Bytes& frame : terminal.frames)
        check(frame == expected);
}

void fuzzSendMsg(int32_t address, const std::string& message, AnsweringTerminal& terminal)
{
    const int32_t result = SendMsg(address, message.c_str());
    check(result == 0 || result == -1);
    const size_t transmissions = framesStartingWith(terminal.frames, kMessageStart);
    if (message.size() > SELVOC_MAX_MESSAGE) {
        check(result == -1 && transmissions == 0);
        return;
    }
    check(transmissions >= 1 && transmissions <= kMaxTransmissions);
    // One repeat per "R", and the fifth "R" counts without a transmission after it.
    const int32_t repeats = static_cast<int32_t>(transmissions) - 1;
    check(RetryNum() == repeats || (RetryNum() == kMaxTransmissions && result == -1 &&
                                    transmissions == kMaxTransmissions));
    checkMessageFrames(address, message, terminal);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bus& b = bus();
    InputReader input(data, size);
    const uint8_t control = input.byte();
    const int32_t address = input.byte();
    std::string message;
    if ((control & 3) == 2) {
        const Bytes text = input.bytes(input.byte());
        message.assign(text.begin(), text.end());
        message = message.substr(0, message.find('\0'));
    }
    std::vector<Bytes> answers;
    while (!input.atEnd())
        answers.push_back(input.bytes(input.byte()));

    b.line->incoming.clear();
    b.line->sent.clear();
    b.line->purges = 0;
    selvoc::driverState().LastPolled = 1;
    b.terminal->start(std::move(answers), (control & 4) != 0);
    selvoc::driverState().EchoMode = (control & 4) != 0;
    switch (control & 3) {
        case 0:
        case 3:
            fuzzPollTerm(address, *b.terminal);
            break;
        case 1:
            // A few addresses: each silent one takes a poll and an answer of the input.
            fuzzPollAll(static_cast<uint8_t>(1 + address % 8), *b.terminal);
            break;
        case 2:
            fuzzSendMsg(address, message, *b.terminal);
            break;
    }
    return 0;
}
