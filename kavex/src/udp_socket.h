// The socket layer as the network box transport uses it: the socket library that InitCOMM loads
// and starts, its bound entry points, and the one non-blocking datagram socket SetIPAddress opens.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "datagram.h"
#include "platform/sockets.h"

namespace kavex {

enum class Received {
    Datagram,  // one datagram was read
    Nothing,   // nothing is waiting (10035)
    Failed,    // LastError is set: 78 with the socket error number, or 97 for a zero-length read
};

class UdpSocket {
public:
    // Loads the socket library, binds its entry points by name and starts it for version 1.1;
    // nullptr with LastError set: 71 no library, 7 an entry point missing, 72 the start-up
    // refused, 73 another version granted.
    static std::unique_ptr<UdpSocket> start();

    UdpSocket(std::unique_ptr<platform::SocketLibrary> library,
              const platform::SocketFunctions& api);
    ~UdpSocket();  // closes nothing: unloads the library
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    const platform::SocketFunctions& api() const { return api_; }

    bool isOpen() const { return socket_ != platform::kInvalidSocket; }
    // Opens a non-blocking datagram socket bound to `localAddress` (network order) and `port`;
    // 0, or -1 with 74, 75 or 76 set, the socket closed again and the library stopped.
    int open(uint32_t localAddress, uint16_t port);
    void closeSocket();
    // Stops the socket library; false when it answered -1.
    bool cleanup();
    // The socket error number of the last failed call.
    int lastError() const { return api_.wsaGetLastError(); }

    // Sends `bytes` to `to`; 0, or -1 with 77 set.
    int sendTo(const std::vector<uint8_t>& bytes, const sockaddr_in& to);
    // Reads one datagram without waiting, into `datagram`, and its sender into `from`.
    Received receive(Datagram& datagram, sockaddr_in& from);

private:
    // Sets `error` with the socket error number, closes the socket and stops the library.
    int refuse(int32_t error);

    std::unique_ptr<platform::SocketLibrary> library_;
    platform::SocketFunctions api_{};
    platform::Socket socket_ = platform::kInvalidSocket;
};

// The IPv4 address and port (host order) as a socket address.
sockaddr_in socketAddress(uint32_t networkAddress, uint16_t port);

}  // namespace kavex
