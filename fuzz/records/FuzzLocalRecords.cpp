// The reader of the local record files that SendFile and SendPrg send, on arbitrary files: it
// ends, every record is at most 127 characters without CR or 0x1A and stands in the file in
// order, and it fails only on a 128th character or on a read that fails. Records written by
// RecvFile's writer come back the same.
//
// Input: a byte that, with bit 7, makes the file's read fail after bits 0-1 reads; a byte that
// puts so many bytes (up to 127) less than the reader's 4096-byte buffer of blank-free filler
// before the rest, so that the rest straddles a refill; then the file's content.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "errors.h"
#include "input_reader.h"
#include "library_state.h"
#include "local_records.h"
#include "scratch_file.h"

namespace {

using fuzz::check;

constexpr size_t kReaderBuffer = 4096;
constexpr size_t kFillerLine = 64;

void writeFile(const std::string& content)
{
    std::ofstream file(fuzz::scratchFile(), std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    check(file.good());
}

// Lines of 63 characters and a CR, cut to `size` bytes.
std::string filler(size_t size)
{
    std::string text;
    while (text.size() < size)
        text += std::string(kFillerLine - 1, 'F') + '\r';
    return text.substr(0, size);
}

// Reads every record of the file as it now is; each is checked against the content.
void checkReading(const std::string& content, bool readsFail)
{
    std::unique_ptr<kavex::LocalFile> file = kavex::LocalFile::openForReading(fuzz::scratchFile());
    check(file != nullptr && file->size() == static_cast<int64_t>(content.size()));
    kavex::RecordReader reader(*file);
    size_t position = 0;
    // Each record but the last takes at least one byte of the file.
    for (size_t calls = 0; calls <= content.size() + 1; ++calls) {
        std::string record;
        kavex::state().lastError = 0;
        const int32_t result = reader.next(record);
        if (result == -1) {
            const int32_t error = kavex::state().lastError;
            check(error == kavex::ErrRecordTooLong || (readsFail && error == kavex::ErrReadRecord));
            return;
        }
        check(record.size() <= kavex::RecordReader::kMaxRecord);
        check(record.find_first_of("\r\x1A") == std::string::npos);
        // The length, 1 for an empty record ended by CR, 0 at the end of the file.
        if (record.empty())
            check(result == 0 || result == 1);
        else
            check(result == static_cast<int32_t>(record.size()));
        if (result == 0)
            return;
        const size_t at = content.find(record, position);
        check(at != std::string::npos);
        position = at + record.size();
    }
    check(false);  // the reader never came to an end
}

// The records the writer can carry: no CR or 0x1A, none beginning with LF, up to 127 characters.
std::vector<std::string> writableRecords(const std::string& content)
{
    std::vector<std::string> records;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\r', start);
        if (end == std::string::npos)
            end = content.size();
        std::string record = content.substr(start, end - start);
        std::erase(record, '\x1A');
        const size_t text = record.find_first_not_of('\n');
        record.erase(0, text == std::string::npos ? record.size() : text);
        records.push_back(record.substr(0, kavex::RecordReader::kMaxRecord));
        start = end + 1;
    }
    return records;
}

void checkRoundTrip(const std::string& content)
{
    const std::vector<std::string> records = writableRecords(content);
    {
        std::unique_ptr<kavex::LocalFile> file = kavex::LocalFile::create(fuzz::scratchFile());
        check(file != nullptr);
        for (const std::string& record : records)
            check(file->writeRecord(record));
        check(file->close());
    }
    std::unique_ptr<kavex::LocalFile> file = kavex::LocalFile::openForReading(fuzz::scratchFile());
    check(file != nullptr);
    kavex::RecordReader reader(*file);
    std::string record;
    for (const std::string& written : records) {
        check(reader.next(record) == static_cast<int32_t>(written.empty() ? 1 : written.size()));
        check(record == written);
    }
    check(reader.next(record) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    const uint8_t faults = input.byte();
    const uint8_t shift = input.byte();
    const std::string rest = input.text(size);
    const bool readsFail = (faults & 0x80) != 0;
    const std::string content = (shift != 0 ? filler(kReaderBuffer - shift % 128) : "") + rest;
    writeFile(content);
    kavex::injectLocalFileFaults({.readsBeforeFailure = readsFail ? (faults & 3) : -1});
    checkReading(content, readsFail);
    kavex::injectLocalFileFaults({});
    checkRoundTrip(rest);
    unlink(fuzz::scratchFile().c_str());
    return 0;
}
