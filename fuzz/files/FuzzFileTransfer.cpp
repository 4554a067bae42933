// Receiving a terminal file on arbitrary replies: RecvFile, plain or from a record key, into a
// local file, and ViewFile into the caller's memory. A received file either holds exactly as
// many CR LF ended records as the result says, none over a reply line, or does not exist; the
// keys are used up except when the listing step fails; ViewFile never writes past `size` and
// returns as many lines as it put there. A failure names its error.
//
// With the meter shown, its events carry no negative figure and every meter opened is closed
// by the end of the call.
//
// Input: a control byte (bits 0-1: mode 3, 3, 4, 2; bit 2: OvridFlag; bits 3-4: no key, a
// record number, a key text, no key with the meter shown; bit 5: ViewFile; bits 6-7: the file's
// name), a parameter byte (the
// record number, or the size ViewFile gets in 16-byte steps), for a key text its length and
// text, then the terminal's answers to each command and to each CR that asks for the next
// record, separated by 0xFF.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "input_reader.h"
#include "kavex.h"
#include "library_state.h"
#include "scratch_file.h"
#include "terminal_line.h"

namespace {

using fuzz::check;

constexpr int32_t kModes[] = {3, 3, 4, 2};
constexpr const char* kNames[] = {"PRE61210", "CFGS", "QVCARDS", "A"};
constexpr char kAnswerSeparator = '\xFF';
constexpr size_t kLongestRecord = KAVEX_REPLY_SIZE - 1;
// Low enough that inputs reach the record limit.
constexpr int32_t kRecordLimit = 16;
constexpr int32_t kDirIgnored = 52;

bool readWhole(const std::string& path, std::string& content)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// Counts the CR LF ended lines of `text`, checking that nothing follows the last and that no
// line holds a CR or is longer than a reply line.
int32_t recordLines(const std::string& text)
{
    int32_t lines = 0;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        check(end != std::string::npos);
        check(end - start <= kLongestRecord);
        check(text.substr(start, end - start).find('\r') == std::string::npos);
        start = end + 2;
        ++lines;
    }
    return lines;
}

// The meter's windows open and not yet closed.
int openMeters = 0;

void meterEvent(const KavexMeterEvent* event, void*)
{
    check(event != nullptr && event->text != nullptr);
    check(event->records >= 0 && event->total >= 0 && event->running >= 0);
    if (event->kind == KAVEX_METER_OPEN)
        ++openMeters;
    if (event->kind == KAVEX_METER_CLOSE)
        --openMeters;
    check(openMeters == 0 || openMeters == 1);
}

void showMeter(bool shown)
{
    openMeters = 0;
    SetMeterCallback(shown ? meterEvent : nullptr, nullptr);
    EnableMeter(shown ? 1 : 0);
}

void fuzzRecvFile(const char* name, bool keyed)
{
    const std::string& path = fuzz::scratchFile();
    const int32_t result = RecvFile(name, path.c_str());
    const kavex::LibraryState& s = kavex::state();
    std::string content;
    const bool exists = readWhole(path, content);
    unlink(path.c_str());
    check(result >= -1 && result <= kRecordLimit);
    check(openMeters == 0);
    const bool keysLeft = s.recordKeyNumber != 0 || !s.recordKeyText.empty();
    check(!keysLeft || (keyed && result == -1 && s.lastError == kDirIgnored));
    if (result == -1) {
        check(s.lastError != 0 && !exists);
        return;
    }
    check(s.lastError == 0 && exists);
    check(recordLines(content) == result);
}

void fuzzViewFile(const char* name, uint32_t size)
{
    auto text = std::make_unique<char[]>(size);
    const int32_t result = ViewFile(name, text.get(), size);
    check(result >= -1);
    if (result == -1) {
        check(kavex::state().lastError != 0);
        return;
    }
    const size_t length = strnlen(text.get(), size);
    check(length < size);
    check(recordLines(std::string(text.get(), length)) == result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    const uint8_t control = input.byte();
    const uint8_t parameter = input.byte();
    const int keyKind = (control >> 3) & 3;
    std::string keyText;
    if (keyKind == 2) {
        keyText = input.text(input.byte());
        keyText = keyText.substr(0, keyText.find('\0'));
    }
    fuzz::TerminalLine& line = fuzz::TerminalLine::instance();
    line.start(kModes[control & 3], 0, input.pieces(kAnswerSeparator));
    kavex::state().ovridFlag = (control & 4) != 0;
    kavex::state().recordLimits.receive = kRecordLimit;
    showMeter(keyKind == 3);

    const char* name = kNames[control >> 6];
    if ((control & 0x20) != 0) {
        fuzzViewFile(name, 1 + 16u * parameter);
        return 0;
    }
    bool keyed = false;
    if (keyKind == 1)
        keyed = SetKeyRec(parameter) == 0 && parameter > 0;
    else if (keyKind == 2)
        keyed = SetKeyRecStr(keyText.c_str()) == 0;
    fuzzRecvFile(name, keyed);
    return 0;
}
