// The reader of reply lines on an RS232 line on arbitrary bytes, in the three RS232 modes: a
// command (with its echo taken off when EchoFlag is set), then four reads, each a waiting read
// (GetMsgEx) or a read of what has arrived (GetResponse). A reply is never longer than the
// caller's 128 bytes, carries no carriage return, and is text the terminal sent; the waiting
// read also drops the flow-control bytes. A failure always names its error.
//
// Input: a control byte (bits 0-1: mode 2, 3, 4, 2; bit 2: AddressCheck; bit 3: EchoFlag; bits
// 4-7: StampLength), the selected terminal, the line error flags the port reports once the
// bytes run out, a byte whose bits 0-3 choose the reads (1: GetResponse), then the bytes the
// terminal sends after the command. With bit 7 of that byte, those bytes answer instead the
// line driver's "<<" at the opening of mode 2, whose lines tell the time stamp's length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "input_reader.h"
#include "kavex.h"
#include "library_state.h"
#include "line_driver_setup.h"
#include "terminal_line.h"
#include "transport.h"

namespace {

using fuzz::check;

constexpr int32_t kModes[] = {2, 3, 4, 2};
constexpr int kReads = 4;

bool flowControl(char c) { return c == 0x11 || c == 0x13; }

// The outcome of one read into a buffer of exactly the caller's size.
void checkRead(int32_t result, const char* reply, bool waiting, const std::string& given)
{
    check(result == 0 || result == -1);
    if (result == -1) {
        check(kavex::state().lastError != 0);
        return;
    }
    const size_t length = strnlen(reply, KAVEX_REPLY_SIZE);
    check(length < KAVEX_REPLY_SIZE);
    const std::string text(reply, length);
    check(text.find('\r') == std::string::npos);
    if (waiting) {
        check(std::none_of(text.begin(), text.end(), flowControl));
        check(fuzz::withoutFlowControl(given).find(text) != std::string::npos);
    } else {
        check(given.find(text) != std::string::npos);
    }
}

// The opening of mode 2 sends five set-up lines, each answered with nothing here, then "<<".
void fuzzStampDetection(fuzz::TerminalLine& line, std::string answer)
{
    line.start(kavex::ModeRs232, kavex::kNoTerminal, {"", "", "", "", "", std::move(answer)});
    const int32_t stamp = kavex::detectLineDriverStamp(*kavex::state().transport->serialPort());
    check(stamp == 0 || stamp == 6 || stamp == 12);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    const uint8_t control = input.byte();
    const uint8_t terminal = input.byte();
    const uint8_t lineErrors = input.byte();
    const uint8_t reads = input.byte();
    fuzz::TerminalLine& line = fuzz::TerminalLine::instance();
    if ((reads & 0x80) != 0) {
        fuzzStampDetection(line, input.text(size));
        return 0;
    }
    line.start(kModes[control & 3], terminal, {input.text(size)});
    kavex::LibraryState& s = kavex::state();
    s.addressCheck = (control & 4) != 0;
    s.echoFlag = (control & 8) != 0;
    s.stampLength = control >> 4;

    line.errorsAfterAnswers = lineErrors;

    auto reply = std::make_unique<char[]>(KAVEX_REPLY_SIZE);
    const int32_t sent = SendCommand("@DIR", reply.get());
    checkRead(sent, reply.get(), true, line.given());
    for (int i = 0; i < kReads; ++i) {
        const bool waiting = ((reads >> i) & 1) == 0;
        const int32_t result = waiting ? GetMsgEx(reply.get()) : GetResponse(reply.get());
        checkRead(result, reply.get(), waiting, line.given());
    }
    return 0;
}
