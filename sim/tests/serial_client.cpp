#include "serial_client.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "platform/clock.h"

namespace simtest {

SerialClient::SerialClient(const std::string& path)
    : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}

SerialClient::~SerialClient() {
    close();
}

void SerialClient::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool SerialClient::write(const std::string& bytes) {
    return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::string SerialClient::read(size_t count, int timeoutMs) {
    std::string text;
    const int64_t deadline = platform::counterNow() + int64_t{timeoutMs} * 1'000'000;
    while (text.size() < count) {
        const int64_t leftMs = (deadline - platform::counterNow()) / 1'000'000;
        if (leftMs < 0) break;
        pollfd input{.fd = fd_, .events = POLLIN, .revents = 0};
        if (poll(&input, 1, static_cast<int>(leftMs) + 1) <= 0) continue;
        char buffer[256];
        const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - text.size()));
        if (n > 0) text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

std::string SerialClient::readFor(int ms) {
    return read(SIZE_MAX, ms);
}

}  // namespace simtest
