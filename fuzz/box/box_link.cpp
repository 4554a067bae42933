#include "box_link.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

#include "input_reader.h"

namespace fuzz {
namespace {

constexpr platform::Socket kHandle = 7;
constexpr const char* kBoxAddress = "127.0.0.2";
constexpr uint16_t kBoxPort = 8499;

int startup(uint16_t, platform::WsaData*) { return 0; }
platform::Socket openSocket(int, int, int) { return kHandle; }
int bindSocket(platform::Socket, const sockaddr*, int) { return 0; }
int ioctlSocket(platform::Socket, uint32_t, uint32_t*) { return 0; }
int closeSocket(platform::Socket) { return 0; }
int cleanup() { return 0; }
int receiveFrom(platform::Socket, char* buffer, int length, int, sockaddr* from, int* fromLength)
{
    return BoxLink::instance().receive(buffer, length, from, fromLength);
}
int sendTo(platform::Socket, const char* buffer, int length, int, const sockaddr* to, int toLength)
{
    return BoxLink::instance().send(buffer, length, to, toLength);
}
int lastError() { return BoxLink::instance().lastError(); }

// The transport never connects, never sends or reads without an address, and looks up no host
// after the device is open.
int connectNever(platform::Socket, const sockaddr*, int)
{
    check(false);
    return platform::kSocketError;
}
int receiveNever(platform::Socket, char*, int, int)
{
    check(false);
    return platform::kSocketError;
}
int sendNever(platform::Socket, const char*, int, int)
{
    check(false);
    return platform::kSocketError;
}
hostent* hostNever(const char*)
{
    check(false);
    return nullptr;
}
int hostNameNever(char*, int)
{
    check(false);
    return platform::kSocketError;
}

uint32_t inetAddr(const char* text) { return text == nullptr ? platform::kInaddrNone : inet_addr(text); }
char* inetNtoa(in_addr address) { return inet_ntoa(address); }
uint16_t hostToNetworkShort(uint16_t value) { return htons(value); }
uint32_t hostToNetworkLong(uint32_t value) { return htonl(value); }

}  // namespace

BoxLink& BoxLink::instance()
{
    static BoxLink link;
    return link;
}

BoxLink::BoxLink()
{
    api_ = platform::SocketFunctions{
        .wsaStartup = startup,
        .socket = openSocket,
        .bind = bindSocket,
        .ioctlSocket = ioctlSocket,
        .connect = connectNever,
        .recv = receiveNever,
        .recvFrom = receiveFrom,
        .send = sendNever,
        .closeSocket = closeSocket,
        .wsaCleanup = cleanup,
        .inetAddr = inetAddr,
        .inetNtoa = inetNtoa,
        .hostToNetworkShort = hostToNetworkShort,
        .sendTo = sendTo,
        .hostToNetworkLong = hostToNetworkLong,
        .wsaGetLastError = fuzz::lastError,
        .getHostByName = hostNever,
        .getHostName = hostNameNever,
        .interfaceAddresses = nullptr,  // the adapter table is given, never listed
    };
}

void BoxLink::start(std::deque<BoxArrival> arrivals)
{
    arrivals_ = std::move(arrivals);
    sent_.clear();
    lastError_ = 0;
}

int BoxLink::receive(char* buffer, int length, sockaddr* from, int* fromLength)
{
    if (arrivals_.empty()) {
        lastError_ = platform::kWsaWouldBlock;
        return platform::kSocketError;
    }
    const BoxArrival arrival = std::move(arrivals_.front());
    arrivals_.pop_front();
    switch (arrival.kind) {
        case BoxArrival::Kind::Nothing:
            lastError_ = platform::kWsaWouldBlock;
            return platform::kSocketError;
        case BoxArrival::Kind::Failure:
            lastError_ = platform::kWsaConnectionReset;
            return platform::kSocketError;
        case BoxArrival::Kind::Empty:
            return 0;
        case BoxArrival::Kind::Datagram:
            break;
    }
    check(length > 0 && from != nullptr && fromLength != nullptr &&
          *fromLength >= static_cast<int>(sizeof(sockaddr_in)));
    // As a datagram socket reads one longer than the buffer: cut to the buffer.
    const size_t n = std::min(arrival.bytes.size(), static_cast<size_t>(length));
    if (n > 0)
        std::memcpy(buffer, arrival.bytes.data(), n);
    sockaddr_in sender{};
    sender.sin_family = AF_INET;
    sender.sin_addr.s_addr = inet_addr(kBoxAddress);
    sender.sin_port = htons(kBoxPort);
    std::memcpy(from, &sender, sizeof sender);
    *fromLength = sizeof sender;
    return static_cast<int>(n);
}

int BoxLink::send(const char* buffer, int length, const sockaddr* to, int toLength)
{
    check(length >= 0 && to != nullptr && toLength >= static_cast<int>(sizeof(sockaddr_in)));
    SentDatagram datagram;
    datagram.bytes.assign(buffer, buffer + length);
    std::memcpy(&datagram.to, to, sizeof datagram.to);
    sent_.push_back(std::move(datagram));
    return length;
}

}  // namespace fuzz
