#include "local_records.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "errors.h"

namespace kavex {
namespace {

constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kEndOfFile = 0x1A;

LocalFileFaults faults;

// Counts one use down; true when this use is the one that fails.
bool faultDue(int& countdown) {
    if (countdown < 0) return false;
    if (countdown == 0) {
        countdown = -1;
        return true;
    }
    --countdown;
    return false;
}

// Opens `path` without waiting: a named pipe or a device whose other end nobody holds fails
// (or opens) at once instead of holding the caller forever. The reads and writes that follow
// wait as usual.
int openWithoutWaiting(const std::string& path, int flags, mode_t mode = 0) {
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK, mode);
    if (fd < 0) return fd;
    const int status = fcntl(fd, F_GETFL);
    if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Takes the file for this library alone; the descriptor is closed when it is in use elsewhere.
int exclusive(int fd) {
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

void injectLocalFileFaults(const LocalFileFaults& injected) { faults = injected; }

LocalFile::LocalFile(int fd, std::string path, int64_t size)
    : fd_(fd), path_(std::move(path)), size_(size) {}

LocalFile::~LocalFile() { close(); }

std::unique_ptr<LocalFile> LocalFile::create(const std::string& path) {
    const int fd = exclusive(
        openWithoutWaiting(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0644));
    if (fd < 0) return nullptr;
    return std::unique_ptr<LocalFile>(new LocalFile(fd, path, 0));
}

std::unique_ptr<LocalFile> LocalFile::openForReading(const std::string& path) {
    const int fd = exclusive(openWithoutWaiting(path, O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (fd < 0) return nullptr;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<LocalFile>(new LocalFile(fd, path, info.st_size));
}

bool LocalFile::writeRecord(const std::string& record) {
    if (fd_ < 0 || faultDue(faults.writesBeforeFailure)) return false;
    const std::string line = record + "\r\n";
    size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd_, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

long LocalFile::read(uint8_t* data, size_t capacity) {
    if (fd_ < 0 || faultDue(faults.readsBeforeFailure)) return -1;
    for (;;) {
        const ssize_t n = ::read(fd_, data, capacity);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool LocalFile::close() {
    if (fd_ < 0) return true;
    const bool injected = faultDue(faults.closesBeforeFailure);
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed && !injected;
}

void LocalFile::discard() {
    close();
    ::unlink(path_.c_str());
}

int RecordReader::nextByte() {
    if (used_ == filled_) {
        const long n = file_.read(buffer_, sizeof buffer_);
        if (n < 0) return kFailed;
        if (n == 0) return kEnd;
        filled_ = static_cast<size_t>(n);
        used_ = 0;
    }
    return buffer_[used_++];
}

int32_t RecordReader::next(std::string& record) {
    record.clear();
    for (;;) {
        const int byte = nextByte();
        if (byte == kFailed) {
            setError(ErrReadRecord);
            return -1;
        }
        if (byte == kCarriageReturn) return record.empty() ? 1 : static_cast<int32_t>(record.size());
        if (byte == kLineFeed && record.empty()) continue;
        if (byte == kEnd || byte == kEndOfFile) return static_cast<int32_t>(record.size());
        if (record.size() == kMaxRecord) {
            setError(ErrRecordTooLong);
            return -1;
        }
        record.push_back(static_cast<char>(byte));
    }
}

}  // namespace kavex
