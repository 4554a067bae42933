#include "udp_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "sim/ipv4_address.h"

namespace sim {
namespace {

// Larger than any datagram of the protocol, so that an oversized one is seen whole.
constexpr size_t kReceiveLimit = 2048;

sockaddr_in socketAddress(uint32_t address, uint16_t port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(address);
    where.sin_port = htons(port);
    return where;
}

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

std::string UdpPeer::text() const {
    return dottedAddress(address) + ":" + std::to_string(port);
}

UdpSocket::UdpSocket(const std::string& address, uint16_t port) : address_(address) {
    const std::optional<uint32_t> parsed = parseDottedAddress(address);
    if (!parsed || !isLoopback(*parsed)) {
        throw std::runtime_error("the box's address must be in 127.0.0.0/8, not \"" + address +
                                 "\"");
    }
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) fail("socket");
    sockaddr_in where = socketAddress(*parsed, port);
    if (bind(fd_, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0) {
        const int error = errno;
        close();
        errno = error;
        fail("bind " + address + ":" + std::to_string(port));
    }
    socklen_t size = sizeof where;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&where), &size);
    port_ = ntohs(where.sin_port);
}

UdpSocket::~UdpSocket() {
    close();
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), address_(std::move(other.address_)), port_(other.port_) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        address_ = std::move(other.address_);
        port_ = other.port_;
    }
    return *this;
}

void UdpSocket::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::optional<ReceivedBytes> UdpSocket::receive(int timeoutMs) {
    pollfd ready{.fd = fd_, .events = POLLIN, .revents = 0};
    if (poll(&ready, 1, timeoutMs) <= 0 || !(ready.revents & POLLIN)) return std::nullopt;
    ReceivedBytes received;
    received.bytes.resize(kReceiveLimit);
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const ssize_t count = recvfrom(fd_, received.bytes.data(), received.bytes.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&from), &size);
    if (count < 0) return std::nullopt;
    received.bytes.resize(static_cast<size_t>(count));
    received.from = {.address = ntohl(from.sin_addr.s_addr), .port = ntohs(from.sin_port)};
    return received;
}

bool UdpSocket::sendTo(const std::vector<uint8_t>& bytes, const UdpPeer& to) {
    if (!isLoopback(to.address)) {
        std::fprintf(stderr, "network box: refusing to send to %s: not in 127.0.0.0/8\n",
                     to.text().c_str());
        return false;
    }
    const sockaddr_in where = socketAddress(to.address, to.port);
    const ssize_t count = sendto(fd_, bytes.data(), bytes.size(), 0,
                                 reinterpret_cast<const sockaddr*>(&where), sizeof where);
    if (count == static_cast<ssize_t>(bytes.size())) return true;
    std::fprintf(stderr, "network box: send to %s failed: %s\n", to.text().c_str(),
                 std::strerror(errno));
    return false;
}

}  // namespace sim
