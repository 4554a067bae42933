// RecvFile, ViewFile, SetKeyRec and SetKeyRecStr: receiving a terminal file record by record,
// into a local file or into the caller's memory, and the record keys of a keyed receive.
#include <algorithm>
#include <array>
#include <limits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "abort_sequence.h"
#include "errors.h"
#include "exchange.h"
#include "export_guard.h"
#include "file_listing.h"
#include "kavex.h"
#include "library_state.h"
#include "local_records.h"
#include "operation_support.h"
#include "transfer_meter.h"

namespace kavex {
namespace {

constexpr const char* kConfigurationFile = "CFGS";
constexpr size_t kEntrySizeOffset = 9;  // the number of a listing line after name and separator
constexpr int64_t kChecksumModulus = 32768;
constexpr const char* kChecksumMark = "RECS ";

// Names whose meter expects twice the listed size, as prefixes of the padded name.
constexpr std::array<const char*, 6> kDoubledPrefixes{"PRE",      "QVCARDS",  "QVTIMET",
                                                      "INPUTS",   "USERCODS", "SHORTKEY"};

bool doubledSize(const std::string& name) {
    const std::string padded = paddedName(name);
    for (const char* prefix : kDoubledPrefixes) {
        if (padded.starts_with(prefix)) return true;
    }
    return false;
}

void clearRecordKeys() {
    state().recordKeyNumber = 0;
    state().recordKeyText.clear();
}

bool recordKeySet() { return state().recordKeyNumber > 0 || !state().recordKeyText.empty(); }

uint32_t byteSum(const std::string& record) {
    uint32_t sum = 0;
    for (const char c : record) sum += static_cast<unsigned char>(c);
    return sum;
}

// One RecvFile after its checks, with the local file created.
class Reception {
public:
    Reception(std::string name, std::unique_ptr<LocalFile> file)
        : name_(std::move(name)), file_(std::move(file)) {}

    int32_t run();

private:
    enum class Step { Next, Failed };

    int32_t listingStep();
    void openMeter();
    std::string readCommand(bool& skipFirst) const;
    int32_t requestRecords();
    int32_t receiveRecords();
    Step takeRecord(const std::string& record);
    void showRecord(const std::string& record);
    int32_t checkEndLine(const std::string& endLine);
    int32_t failAfterEnd(int32_t error);
    int32_t succeed();

    int32_t abort(int32_t stepError) {
        return abortReceiving({file_.get(), &meter_}, true, stepError);
    }

    std::string name_;
    std::unique_ptr<LocalFile> file_;
    TransferMeter meter_;
    int64_t listed_ = 0;  // the listed size, or record count on the Ovrid model
    int32_t count_ = 0;
    uint32_t checksum_ = 0;
    bool skipFirst_ = false;
    bool reopened_ = false;
    int32_t result_ = 0;
};

int32_t Reception::run() {
    if (name_ != kConfigurationFile && listingStep() != 0) return -1;
    openMeter();
    return requestRecords();
}

// The file's size from its listing entry; the record keys stay for the next call on failure.
int32_t Reception::listingStep() {
    std::vector<std::string> entries;
    if (listDirectory(paddedName(name_), entries) < 1) return abort(ErrDirIgnored);
    const std::string& entry = entries.front();
    const int64_t listed =
        entry.size() > kEntrySizeOffset ? decimalValue(entry.c_str() + kEntrySizeOffset) : 0;
    // Held within 32 bits, so that the meter's products of it never overflow.
    listed_ = std::clamp<int64_t>(listed, 0, std::numeric_limits<int32_t>::max());
    return 0;
}

void Reception::openMeter() {
    if (!state().meterEnabled) return;
    int64_t expected = state().ovridFlag ? 0 : listed_;
    if (!state().ovridFlag && doubledSize(name_)) expected *= 2;
    meter_.open("Receive File: " + name_, expected);
}

std::string Reception::readCommand(bool& skipFirst) const {
    const LibraryState& s = state();
    skipFirst = false;
    if (s.recordKeyNumber > 0) {
        return "@DBL " + std::to_string(s.recordKeyNumber) + " " + name_ + " D";
    }
    if (!s.recordKeyText.empty()) {
        skipFirst = true;
        return "@DBL " + s.recordKeyText + " " + name_;
    }
    return "@TYPE " + name_;
}

int32_t Reception::requestRecords() {
    const bool keyed = recordKeySet();
    const bool keyText = !state().recordKeyText.empty();
    const std::string command = readCommand(skipFirst_);
    const int32_t sent = sendCommand(command.c_str(), lastReply());
    clearRecordKeys();
    if (sent != 0) return abort(0);
    if (std::strstr(lastReply(), "??") != nullptr) return abort(ErrSendIgnored);
    if (keyed) {
        // The first record comes in the reply, after the echoed command and a separator.
        if (std::strstr(lastReply(), "?*") != nullptr) {
            return keyText ? abort(ErrRecordKeyNotFound) : succeed();
        }
        const std::string reply = lastReply();
        if (takeRecord(reply.size() > command.size() ? reply.substr(command.size() + 1) : "") ==
            Step::Failed) {
            return -1;
        }
    }
    return receiveRecords();
}

int32_t Reception::receiveRecords() {
    for (;;) {
        askForNextLine();
        if (readReply(lastReply(), recordWaitUnits(true)) != 0) return abort(0);
        const std::string line = lastReply();
        if (line[0] == kEot[0]) return checkEndLine(line);
        checksum_ = (checksum_ + byteSum(line)) % kChecksumModulus;
        if (takeRecord(line) == Step::Failed) return -1;
    }
}

// The steps every record goes through. Past the record limit the transfer fails: the terminal
// is still sending, and a success would report a file cut short.
Reception::Step Reception::takeRecord(const std::string& record) {
    if (count_ >= state().recordLimits.receive) {
        abort(ErrRecordsMismatch);
        return Step::Failed;
    }
    ++count_;
    if (skipFirst_ && count_ == 1) return Step::Next;
    if (!file_->writeRecord(record)) {
        abort(ErrWriteRecord);
        return Step::Failed;
    }
    showRecord(record);
    pumpAfterRecord(count_);
    return Step::Next;
}

void Reception::showRecord(const std::string& record) {
    if (!meter_.shown()) return;
    const bool ovrid = state().ovridFlag;
    const int64_t length = static_cast<int64_t>(record.size());
    if (ovrid && count_ == 1) meter_.setExpected((length + 2) * listed_);
    meter_.record(count_, length);
    const bool reopens = !ovrid && !doubledSize(name_) && name_ != kConfigurationFile;
    if (reopens && !reopened_ && meter_.running() > meter_.expected()) {
        reopened_ = true;
        meter_.reopen("SendFile: " + name_, 2 * meter_.expected());
    }
}

int32_t Reception::checkEndLine(const std::string& endLine) {
    meter_.close();
    if (const size_t mark = endLine.find(kChecksumMark); mark != std::string::npos) {
        const int64_t reported = decimalValue(endLine.c_str() + mark + std::strlen(kChecksumMark));
        if (reported != checksum_) return failAfterEnd(ErrBadChecksum);
    }
    if (decimalValue(endLine.c_str() + 1) != count_) return failAfterEnd(ErrRecordsMismatch);
    result_ = skipFirst_ ? count_ - 1 : count_;
    return succeed();
}

// The terminal has finished: nothing more is sent, the line is emptied and the file deleted.
int32_t Reception::failAfterEnd(int32_t error) {
    const SavedError saved;
    file_->discard();
    if (onDirectLine()) {
        longDrain();
        discardReceived();
    }
    saved.restore();
    return fail(error);
}

int32_t Reception::succeed() {
    meter_.close();
    if (pacedTransfer()) {
        longDrain();
        discardReceived();
    }
    clearErrorAndReply();
    if (!file_->close()) return fail(ErrCloseFile);
    return result_;
}

int32_t recvFile(const char* name, const char* path) {
    clearErrorAndReply();
    int32_t refusal = 0;
    if (name == nullptr || path == nullptr) {
        refusal = ErrWrongParameters;
    } else if (requireTerminal() != 0) {
        refusal = state().lastError;
    } else if ((state().ovridFlag && recordKeySet()) || !lengthWithin(name, kMaxFileName)) {
        refusal = ErrWrongParameters;
    }
    if (refusal != 0) {
        clearRecordKeys();
        return fail(refusal);
    }
    std::unique_ptr<LocalFile> file = LocalFile::create(path);
    if (!file) {
        clearRecordKeys();
        return fail(ErrOpenFile);
    }
    return Reception(name, std::move(file)).run();
}

// Appends `line` and CR LF to the caller's text while it fits with the terminating zero.
class TextBuffer {
public:
    TextBuffer(char* text, uint32_t size) : text_(text), size_(size) { text_[0] = '\0'; }

    bool append(const std::string& line) {
        if (used_ + line.size() + 3 > size_) return false;
        std::memcpy(text_ + used_, line.data(), line.size());
        used_ += line.size();
        std::memcpy(text_ + used_, "\r\n", 3);
        used_ += 2;
        return true;
    }

private:
    char* text_;
    size_t size_;
    size_t used_ = 0;
};

int32_t viewFile(const char* name, char* text, uint32_t size) {
    clearErrorAndReply();
    if (name == nullptr || text == nullptr) return fail(ErrWrongParameters);
    if (requireTerminal() != 0) return -1;
    if (!lengthWithin(name, kMaxFileName) || size == 0 || size > KAVEX_VIEW_MAX_SIZE) {
        return fail(ErrWrongParameters);
    }
    const std::string command = std::string("@TYPE ") + name;
    if (sendCommand(command.c_str(), lastReply()) != 0) return -1;
    if (command != lastReply()) return abortReceiving({}, false, ErrSendIgnored);
    TextBuffer buffer(text, size);
    int32_t lines = 0;
    for (;;) {
        askForNextLine();
        if (readReply(lastReply(), recordWaitUnits(false)) != 0) {
            return abortReceiving({}, false, 0);
        }
        if (lastReply()[0] == kEot[0]) break;
        if (!buffer.append(lastReply())) {
            // The caller's memory is full: the transfer ends, and what fits is the result.
            abortReceiving({}, false, 0);
            return lines;
        }
        ++lines;
    }
    if (pacedTransfer()) {
        drainReplies();
        discardReceived();
    }
    clearErrorAndReply();
    return lines;
}

int32_t setKeyRec(int32_t record) {
    clearErrorAndReply();
    if (record < 0) return fail(ErrWrongParameters);
    clearRecordKeys();
    state().recordKeyNumber = record;
    return 0;
}

int32_t setKeyRecStr(const char* key) {
    clearErrorAndReply();
    if (key == nullptr || !lengthWithin(key, KAVEX_RECORD_KEY_MAX)) {
        return fail(ErrWrongParameters);
    }
    clearRecordKeys();
    state().recordKeyText = key;
    return 0;
}

}  // namespace
}  // namespace kavex

using namespace kavex;

extern "C" {

KAVEX_API int32_t RecvFile(const char* name, const char* path) {
    return guarded([&] { return recvFile(name, path); });
}

KAVEX_API int32_t ViewFile(const char* name, char* text, uint32_t size) {
    return guarded([&] { return viewFile(name, text, size); });
}

KAVEX_API int32_t SetKeyRec(int32_t record) {
    return guarded([&] { return setKeyRec(record); });
}

KAVEX_API int32_t SetKeyRecStr(const char* key) {
    return guarded([&] { return setKeyRecStr(key); });
}

}  // extern "C"
