#include "udp_socket.h"

#include "errors.h"

namespace kavex {

sockaddr_in socketAddress(uint32_t networkAddress, uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = networkAddress;
    address.sin_port = htons(port);
    return address;
}

std::unique_ptr<UdpSocket> UdpSocket::start() {
    std::unique_ptr<platform::SocketLibrary> library = platform::loadSocketLibrary();
    if (!library) {
        setError(ErrNoWinSock);
        return nullptr;
    }
    platform::SocketFunctions api{};
    if (platform::bindSocketFunctions(*library, api) != nullptr) {
        setError(ErrNoWinSockFunctions);
        return nullptr;
    }
    platform::WsaData data{};
    const int refused = api.wsaStartup(platform::kWinSockVersion11, &data);
    if (refused != 0) {
        setErrorWithNumber(ErrWinSockStartup, refused);
        api.wsaCleanup();
        return nullptr;
    }
    if (data.wVersion != platform::kWinSockVersion11) {
        setErrorWithNumber(ErrWinSockVersion,
                           data.wVersion != 0 ? data.wVersion : api.wsaGetLastError());
        api.wsaCleanup();
        return nullptr;
    }
    return std::make_unique<UdpSocket>(std::move(library), api);
}

UdpSocket::UdpSocket(std::unique_ptr<platform::SocketLibrary> library,
                     const platform::SocketFunctions& api)
    : library_(std::move(library)), api_(api) {}

UdpSocket::~UdpSocket() = default;

int UdpSocket::refuse(int32_t error) {
    setErrorWithNumber(error, lastError());
    closeSocket();
    api_.wsaCleanup();
    return -1;
}

int UdpSocket::open(uint32_t localAddress, uint16_t port) {
    socket_ = api_.socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (socket_ == platform::kInvalidSocket) {
        setErrorWithNumber(ErrCreateSocket, lastError());
        api_.wsaCleanup();
        return -1;
    }
    const sockaddr_in local = socketAddress(localAddress, port);
    if (api_.bind(socket_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return refuse(ErrBindSocket);
    }
    uint32_t nonBlocking = 1;
    if (api_.ioctlSocket(socket_, platform::kFionbio, &nonBlocking) != 0) {
        return refuse(ErrSocketMode);
    }
    return 0;
}

void UdpSocket::closeSocket() {
    if (!isOpen()) return;
    api_.closeSocket(socket_);
    socket_ = platform::kInvalidSocket;
}

bool UdpSocket::cleanup() { return api_.wsaCleanup() != platform::kSocketError; }

int UdpSocket::sendTo(const std::vector<uint8_t>& bytes, const sockaddr_in& to) {
    const int sent = api_.sendTo(socket_, reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<int>(bytes.size()), 0,
                                 reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (sent == platform::kSocketError) {
        setErrorWithNumber(ErrSendMessage, lastError());
        return -1;
    }
    return 0;
}

Received UdpSocket::receive(Datagram& datagram, sockaddr_in& from) {
    uint8_t buffer[kReceiveCapacity];
    sockaddr_in sender{};
    int senderLength = sizeof sender;
    const int n = api_.recvFrom(socket_, reinterpret_cast<char*>(buffer), sizeof buffer, 0,
                                reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (n == platform::kSocketError) {
        const int error = lastError();
        if (error == platform::kWsaWouldBlock) return Received::Nothing;
        setErrorWithNumber(ErrReceiveMessage, error);
        return Received::Failed;
    }
    if (n <= 0) {
        setError(ErrConnectionClosed);
        return Received::Failed;
    }
    // A peer that claims more than the buffer holds is read no further than the buffer.
    const size_t size = static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n)
                                                                : sizeof buffer;
    datagram = parseDatagram(buffer, size);
    from = sender;
    return Received::Datagram;
}

}  // namespace kavex
