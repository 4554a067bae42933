// The computer's side of a simulated line in integration tests: a port opened by path, as the
// libraries open it, with reads that wait for an expected number of bytes.
#pragma once

#include <string>

namespace simtest {

class SerialClient {
public:
    // Opens the path read-write without touching its settings; check isOpen().
    explicit SerialClient(const std::string& path);
    ~SerialClient();
    SerialClient(const SerialClient&) = delete;
    SerialClient& operator=(const SerialClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void close();
    bool write(const std::string& bytes);
    // Reads until `count` bytes have come or `timeoutMs` has passed; returns what came.
    std::string read(size_t count, int timeoutMs = 5000);
    // Whatever arrives within `ms`.
    std::string readFor(int ms);

private:
    int fd_ = -1;
};

}  // namespace simtest
