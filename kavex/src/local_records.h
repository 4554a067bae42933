// The local files of the transfers: the file RecvFile writes, created anew with one record and
// CR LF per write, and the reader of the records SendFile and SendPrg send.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kavex {

class LocalFile {
public:
    // Creates `path` anew (an existing file is replaced), for writing by this library alone;
    // nullptr when it cannot be created or is in use.
    static std::unique_ptr<LocalFile> create(const std::string& path);
    // Opens the existing regular file `path` for reading by this library alone; nullptr when
    // it cannot be opened or is in use.
    static std::unique_ptr<LocalFile> openForReading(const std::string& path);

    ~LocalFile();
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    // Writes the record's bytes and CR LF; false when not all could be written.
    bool writeRecord(const std::string& record);
    // Reads up to `capacity` bytes: the number read, 0 at the end of the file, -1 on an error.
    long read(uint8_t* data, size_t capacity);
    // The file's size in bytes when it was opened.
    int64_t size() const { return size_; }
    // Closes the file; false when the close failed. Closing twice does nothing more.
    bool close();
    // Closes and deletes the file.
    void discard();

private:
    LocalFile(int fd, std::string path, int64_t size);

    int fd_;
    std::string path_;
    int64_t size_;
};

// Reads the records of a local text file, one per call:
// - a CR ends the record; an empty record ended by CR still counts (it is sent as empty);
// - an LF at the start of a record is skipped, one inside it stays (so CR LF and CR line ends
//   work, LF-only line ends join lines);
// - 0x1A and the end of the file end the record; a record that ends before any character was
//   stored (by 0x1A or the end of the file) ends the file;
// - at most 127 characters.
class RecordReader {
public:
    static constexpr size_t kMaxRecord = 127;

    explicit RecordReader(LocalFile& file) : file_(file) {}

    // The next record into `record`: its length (1 for an empty record ended by CR), 0 at the
    // end of the file, or -1 with error 57 (a 128th character) or 58 (the read failed) set.
    int32_t next(std::string& record);

private:
    static constexpr int kEnd = -1;
    static constexpr int kFailed = -2;
    // The next byte, kEnd or kFailed.
    int nextByte();

    LocalFile& file_;
    uint8_t buffer_[4096] = {};
    size_t filled_ = 0;
    size_t used_ = 0;
};

// Faults the unit tests inject into local files, each on a countdown: the write, read or close
// that fails after so many have succeeded; -1 never. Every file opened afterwards counts on the
// same countdowns.
struct LocalFileFaults {
    int writesBeforeFailure = -1;
    int readsBeforeFailure = -1;
    int closesBeforeFailure = -1;
};
void injectLocalFileFaults(const LocalFileFaults& faults);

}  // namespace kavex
