#include "terminal_line.h"

#include <algorithm>

#include "library_state.h"
#include "platform/clock.h"
#include "rs232_transport.h"

namespace fuzz {
namespace {

constexpr uint8_t kCarriageReturn = 0x0D;

// The settings an input may change, back at their values at load, except the reply wait: one
// second, the shortest a caller can set, so that each wait that runs out costs fewer reads.
void resetSettings(kavex::LibraryState& s)
{
    const kavex::LibraryState defaults;
    s.lastError = 0;
    s.errorText.clear();
    s.replyBuffer[0] = '\0';
    s.responseTimeout = 1;
    s.purgeWait = defaults.purgeWait;
    s.addressCheck = defaults.addressCheck;
    s.stampLength = defaults.stampLength;
    s.echoFlag = defaults.echoFlag;
    s.ovridFlag = defaults.ovridFlag;
    s.meterEnabled = false;
    s.recordKeyNumber = 0;
    s.recordKeyText.clear();
    s.recordLimits = defaults.recordLimits;
}

}  // namespace

TerminalLine& TerminalLine::instance()
{
    static TerminalLine line;
    return line;
}

TerminalLine::TerminalLine()
{
    platform::useVirtualClock(true);
    line_->peer = [this](platform::MemoryLine&, uint8_t byte) { received(byte); };
    const platform::LineSettings settings{.baud = 9600, .dataBits = 8, .parity = platform::Parity::None,
                                          .stopBits = 1, .xonXoff = true, .dtr = true, .rts = true};
    kavex::state().transport = std::make_unique<kavex::Rs232Transport>(
        std::make_unique<platform::MemoryPort>(line_), settings);
}

void TerminalLine::start(int32_t mode, uint8_t terminal, std::vector<std::string> answers)
{
    kavex::LibraryState& s = kavex::state();
    resetSettings(s);
    s.openMode = mode;
    s.selectedTerminal = terminal;
    line_->incoming.clear();
    line_->sent.clear();
    line_->pendingErrors = 0;
    line_->purges = 0;
    errorsAfterAnswers = 0;
    answers_ = std::move(answers);
    asked_ = 0;
    given_.clear();
}

void TerminalLine::received(uint8_t byte)
{
    if (byte != kCarriageReturn)
        return;
    if (asked_ < answers_.size()) {
        line_->feed(answers_[asked_]);
        given_ += answers_[asked_];
        line_->pendingErrors = errorsAfterAnswers;
    }
    ++asked_;
}

std::string withoutFlowControl(std::string text)
{
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == 0x11 || c == 0x13; }),
               text.end());
    return text;
}

}  // namespace fuzz
