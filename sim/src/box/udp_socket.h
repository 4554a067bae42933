// A UDP socket bound to a loopback address, that sends only to loopback addresses: whatever the
// box is told, no datagram of it leaves 127.0.0.0/8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct UdpPeer {
    uint32_t address = 0;  // host byte order
    uint16_t port = 0;

    std::string text() const;  // "127.0.0.1:8499"
};

struct ReceivedBytes {
    std::vector<uint8_t> bytes;
    UdpPeer from;
};

class UdpSocket {
public:
    // Throws std::runtime_error for an address outside 127.0.0.0/8 or one that cannot be bound.
    // Port 0 takes a free port.
    UdpSocket(const std::string& address, uint16_t port);
    ~UdpSocket();

    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    const std::string& address() const { return address_; }
    uint16_t port() const { return port_; }

    // Waits up to `timeoutMs` for one datagram.
    std::optional<ReceivedBytes> receive(int timeoutMs);
    // False, with a note on stderr, when `to` is outside 127.0.0.0/8 or the send fails.
    bool sendTo(const std::vector<uint8_t>& bytes, const UdpPeer& to);

private:
    void close();

    int fd_ = -1;
    std::string address_;
    uint16_t port_ = 0;
};

}  // namespace sim
