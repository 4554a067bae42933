// SendFile and SendPrg: loading a local text file onto the terminal as a named file or as its
// program, one record per command, each echoed by the terminal, and the count it stored last.
#include <functional>
#include <memory>
#include <string>

#include "abort_sequence.h"
#include "errors.h"
#include "exchange.h"
#include "export_guard.h"
#include "kavex.h"
#include "library_state.h"
#include "local_records.h"
#include "operation_support.h"
#include "transfer_meter.h"

namespace kavex {
namespace {

constexpr int32_t kMaxLoadNumber = 127;
constexpr int32_t kOldFileDeleteWaitUnits = 30;  // 15 s
constexpr const char* kProgramTitle = "Work in progress...";

// How one kind of load treats its records and failures.
struct LoadRules {
    std::string title;                  // of the meter
    int32_t recordLimit;                // sending stops once the count is above it
    int32_t exchangeFailure;            // error of a failed record exchange; 0 keeps its own
    std::function<int32_t(TransferParts, int32_t)> abort;
};

// 1-8 characters, each from 0x21 to 0x7F.
bool validLoadName(const char* name) {
    if (!lengthWithin(name, kMaxFileName)) return false;
    for (const char* c = name; *c != '\0'; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte < 0x21 || byte > 0x7F) return false;
    }
    return true;
}

std::string loadCommand(const std::string& name, int32_t optionP, int32_t number) {
    std::string command = "@LOAD " + name;
    if (optionP == 1) command += " P";
    if (number != 0) command += (optionP == 1 ? "" : " ") + std::to_string(number);
    return command;
}

// 0x04, then a late reply awaited once, then 0x04 again: 0 when one of them was answered.
int32_t eotWithLateReply() {
    if (sendCommand(kEot, lastReply()) == 0) return 0;
    if (readReply(lastReply(), waitUnits(state().responseTimeout)) == 0) return 0;
    return sendCommand(kEot, lastReply());
}

bool countConfirmed(int32_t count) { return decimalValue(lastReply()) == count; }

// Past the record limit: the load ends well only when the local file has no record left.
int32_t afterLimit(RecordReader& reader, TransferParts parts, const LoadRules& rules) {
    std::string record;
    const int32_t length = reader.next(record);
    if (length == 0) return 0;
    return rules.abort(parts, length < 0 ? ErrReadRecord : ErrRecordsOverflow);
}

// Sends every record of the local file; 0 with `count` set, or -1 after the abort sequence.
int32_t sendRecords(LocalFile& file, TransferMeter& meter, const LoadRules& rules,
                    int32_t& count) {
    const TransferParts parts{.file = &file, .meter = &meter};
    RecordReader reader(file);
    std::string record;
    count = 0;
    for (;;) {
        const int32_t length = reader.next(record);
        if (length == 0) return 0;
        if (length < 0) return rules.abort(parts, ErrReadRecord);
        if (sendCommand(record.c_str(), lastReply()) != 0) {
            return rules.abort(parts, rules.exchangeFailure);
        }
        if (record != lastReply()) return rules.abort(parts, ErrSendRecord);
        ++count;
        if (count > rules.recordLimit) return afterLimit(reader, parts, rules);
        meter.record(count, static_cast<int64_t>(record.size()) + 2);
        pumpAfterRecord(count);
    }
}

// Opens the local file, shows the meter and sends the records; 0 with `count` set, or -1 after
// the abort sequence or the close failure.
int32_t sendLocalFile(const char* path, const LoadRules& rules, int32_t& count) {
    std::unique_ptr<LocalFile> file = LocalFile::openForReading(path);
    if (!file) return rules.abort({}, ErrOpenFile);
    TransferMeter meter;
    if (state().meterEnabled) meter.open(rules.title, file->size());
    if (sendRecords(*file, meter, rules, count) != 0) return -1;
    meter.close();
    if (!file->close()) {
        sendCommand(kEot, lastReply());  // ends the load; its reply is not examined
        return fail(ErrCloseFile);
    }
    return 0;
}

int32_t sendFile(const char* path, const char* name, int32_t optionP, int32_t number) {
    clearErrorAndReply();
    if (name == nullptr || path == nullptr) return fail(ErrWrongParameters);
    if (requireTerminal() != 0) return -1;
    if (!validLoadName(name) || (optionP != 0 && optionP != 1) || number < 0 ||
        number > kMaxLoadNumber) {
        return fail(ErrWrongParameters);
    }
    if (eotWithLateReply() != 0) return fail(ErrEotIgnored);
    const std::string target = name;
    if (state().ovridFlag) {
        // The Ovrid model loads no file over an old one; the answer is not examined.
        postCommand(("@DEL " + target).c_str());
        readReply(lastReply(), kOldFileDeleteWaitUnits);
    }
    const std::string command = loadCommand(target, optionP, number);
    if (sendCommand(command.c_str(), lastReply()) != 0) return -1;
    if (command != lastReply()) return fail(ErrLoadIgnored);

    const LoadRules rules{.title = "Send File: " + target,
                          .recordLimit = state().recordLimits.sendFile,
                          .exchangeFailure = 0,
                          .abort = [&target](TransferParts parts, int32_t error) {
                              return abortFileLoad(target, parts, error);
                          }};
    int32_t count = 0;
    if (sendLocalFile(path, rules, count) != 0) return -1;
    if (eotWithLateReply() != 0) return abortFileLoad(target, {}, ErrEotIgnored);
    if (!countConfirmed(count)) return abortFileLoad(target, {}, ErrRecordsMismatch);
    return count;
}

int32_t sendPrg(const char* path) {
    clearErrorAndReply();
    if (path == nullptr) return fail(ErrWrongParameters);
    if (requireTerminal() != 0) return -1;
    if (sendCommand("%XI", lastReply()) != 0) return fail(ErrNoIdReply);
    if (sendCommand("@LOADP", lastReply()) != 0 || std::string("@LOADP") != lastReply()) {
        return fail(ErrLoadIgnored);
    }
    const LoadRules rules{.title = kProgramTitle,
                          .recordLimit = state().recordLimits.sendProgram,
                          .exchangeFailure = ErrSendRecord,
                          .abort = abortProgramLoad};
    int32_t count = 0;
    if (sendLocalFile(path, rules, count) != 0) return -1;
    if (sendCommand(kEot, lastReply()) != 0 && sendCommand(kEot, lastReply()) != 0) {
        return fail(ErrEotIgnored);
    }
    return countConfirmed(count) ? count : fail(ErrRecordsMismatch);
}

}  // namespace
}  // namespace kavex

using namespace kavex;

extern "C" {

KAVEX_API int32_t SendFile(const char* path, const char* name, int32_t option_p, int32_t number) {
    return guarded([&] { return sendFile(path, name, option_p, number); });
}

KAVEX_API int32_t SendPrg(const char* path) {
    return guarded([&] { return sendPrg(path); });
}

}  // extern "C"
