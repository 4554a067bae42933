#include "scripted_sockets.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/clock.h"

namespace kavex_test {
namespace {

constexpr platform::Socket kHandle = 7;

ScriptedSockets* current = nullptr;

ScriptedSockets& sockets() { return *current; }

int wsaStartup(uint16_t version, platform::WsaData* data) {
    return sockets().startup(version, data);
}
platform::Socket socketCall(int, int, int) { return sockets().openSocket(); }
int bindCall(platform::Socket s, const sockaddr* name, int length) {
    return sockets().bind(s, name, length);
}
int ioctlCall(platform::Socket s, uint32_t command, uint32_t* argument) {
    return sockets().ioctl(s, command, argument);
}
int connectCall(platform::Socket, const sockaddr*, int) {
    ADD_FAILURE() << "the network box transport never connects";
    return platform::kSocketError;
}
int recvCall(platform::Socket s, char* buffer, int length, int) {
    return sockets().receiveFrom(s, buffer, length, nullptr, nullptr);
}
int recvFromCall(platform::Socket s, char* buffer, int length, int, sockaddr* from,
                 int* fromLength) {
    return sockets().receiveFrom(s, buffer, length, from, fromLength);
}
int sendCall(platform::Socket, const char*, int, int) {
    ADD_FAILURE() << "every datagram names its destination";
    return platform::kSocketError;
}
int closeCall(platform::Socket s) { return sockets().close(s); }
int cleanupCall() { return sockets().cleanup(); }
uint32_t inetAddrCall(const char* text) { return text == nullptr ? 0xFFFFFFFF : inet_addr(text); }
char* inetNtoaCall(in_addr address) { return inet_ntoa(address); }
uint16_t htonsCall(uint16_t value) { return htons(value); }
int sendToCall(platform::Socket s, const char* buffer, int length, int, const sockaddr* to,
               int toLength) {
    return sockets().sendTo(s, buffer, length, to, toLength);
}
uint32_t htonlCall(uint32_t value) { return htonl(value); }
int lastErrorCall() { return sockets().lastError; }
hostent* hostByNameCall(const char* name) { return sockets().hostByName(name); }
int hostNameCall(char* name, int length) { return sockets().ownHostName(name, length); }
int interfacesCall(in_addr* addresses, int capacity) {
    return sockets().listInterfaces(addresses, capacity);
}

// In the order of platform::kSocketEntryNames.
const platform::AnyEntry kEntries[] = {
    reinterpret_cast<platform::AnyEntry>(&wsaStartup),
    reinterpret_cast<platform::AnyEntry>(&socketCall),
    reinterpret_cast<platform::AnyEntry>(&bindCall),
    reinterpret_cast<platform::AnyEntry>(&ioctlCall),
    reinterpret_cast<platform::AnyEntry>(&connectCall),
    reinterpret_cast<platform::AnyEntry>(&recvCall),
    reinterpret_cast<platform::AnyEntry>(&recvFromCall),
    reinterpret_cast<platform::AnyEntry>(&sendCall),
    reinterpret_cast<platform::AnyEntry>(&closeCall),
    reinterpret_cast<platform::AnyEntry>(&cleanupCall),
    reinterpret_cast<platform::AnyEntry>(&inetAddrCall),
    reinterpret_cast<platform::AnyEntry>(&inetNtoaCall),
    reinterpret_cast<platform::AnyEntry>(&htonsCall),
    reinterpret_cast<platform::AnyEntry>(&sendToCall),
    reinterpret_cast<platform::AnyEntry>(&htonlCall),
    reinterpret_cast<platform::AnyEntry>(&lastErrorCall),
    reinterpret_cast<platform::AnyEntry>(&hostByNameCall),
    reinterpret_cast<platform::AnyEntry>(&hostNameCall),
};

class ScriptedLibrary final : public platform::SocketLibrary {
public:
    ScriptedLibrary() { ++sockets().loaded; }
    ~ScriptedLibrary() override {
        if (current != nullptr) --sockets().loaded;
    }
    platform::AnyEntry entry(const char* name) const override {
        if (name == nullptr || sockets().missingEntry == name) return nullptr;
        for (size_t i = 0; i < platform::kSocketEntryNames.size(); ++i) {
            if (std::strcmp(platform::kSocketEntryNames[i], name) == 0) return kEntries[i];
        }
        if (std::strcmp(platform::kInterfaceAddressesEntryName, name) == 0) {
            return reinterpret_cast<platform::AnyEntry>(&interfacesCall);
        }
        return nullptr;
    }
};

std::string dotted(in_addr address) { return inet_ntoa(address); }

// Where a datagram may go without leaving the test: loopback, or the simulated network.
bool staysHere(in_addr address) {
    const uint32_t host = ntohl(address.s_addr);
    return (host >> 24) == 127 || (host >> 8) == 0xC00002;  // 127.0.0.0/8, 192.0.2.0/24
}

}  // namespace

uint16_t SentDatagram::type() const {
    return bytes.size() < 2 ? 0 : static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint16_t SentDatagram::sequence() const {
    return bytes.size() < 4 ? 0 : static_cast<uint16_t>(bytes[2] | bytes[3] << 8);
}

Bytes SentDatagram::payload() const {
    return bytes.size() < 4 ? Bytes{} : Bytes(bytes.begin() + 4, bytes.end());
}

std::string SentDatagram::text() const {
    const Bytes p = payload();
    const auto zero = std::find(p.begin(), p.end(), 0);
    return std::string(p.begin(), zero);
}

ScriptedSockets::ScriptedSockets() {
    current = this;
    platform::setSocketLibraryLoader([]() -> std::unique_ptr<platform::SocketLibrary> {
        if (sockets().libraryMissing) return nullptr;
        return std::make_unique<ScriptedLibrary>();
    });
}

ScriptedSockets::~ScriptedSockets() {
    platform::setSocketLibraryLoader({});
    current = nullptr;
}

void ScriptedSockets::arrive(const Bytes& bytes, uint32_t delayMs, const std::string& from,
                             uint16_t port) {
    const uint32_t atMs = platform::tickCountMs() + delayMs;
    incoming_.push_back(Arrival{bytes, from, port, atMs, 0, false});
}

void ScriptedSockets::failRead(int error) {
    incoming_.push_back(Arrival{{}, kBoxAddress, kBoxPort, platform::tickCountMs(), error, false});
}

void ScriptedSockets::arriveEmpty() {
    incoming_.push_back(Arrival{{}, kBoxAddress, kBoxPort, platform::tickCountMs(), 0, true});
}

int ScriptedSockets::startup(uint16_t version, platform::WsaData* data) {
    EXPECT_EQ(version, platform::kWinSockVersion11);
    EXPECT_NE(data, nullptr);
    if (data == nullptr) return platform::kWsaFault;
    ++startups;
    if (startupResult != 0) return startupResult;
    data->wVersion = grantedVersion;
    data->wHighVersion = 0x0202;
    lastError = errorAfterStartup;
    return 0;
}

platform::Socket ScriptedSockets::openSocket() {
    if (socketError != 0) {
        lastError = socketError;
        return platform::kInvalidSocket;
    }
    EXPECT_FALSE(socketOpen) << "one socket at a time";
    ++socketsOpened;
    socketOpen = true;
    nonBlocking = false;
    return kHandle;
}

int ScriptedSockets::bind(platform::Socket s, const sockaddr* name, int length) {
    EXPECT_EQ(s, kHandle);
    EXPECT_GE(length, static_cast<int>(sizeof(sockaddr_in)));
    if (bindError != 0) {
        lastError = bindError;
        return platform::kSocketError;
    }
    const auto* address = reinterpret_cast<const sockaddr_in*>(name);
    EXPECT_EQ(address->sin_family, AF_INET);
    boundAddress = dotted(address->sin_addr);
    boundPort = ntohs(address->sin_port);
    return 0;
}

int ScriptedSockets::ioctl(platform::Socket s, uint32_t command, uint32_t* argument) {
    EXPECT_EQ(s, kHandle);
    EXPECT_EQ(command, platform::kFionbio);
    if (modeError != 0) {
        lastError = modeError;
        return platform::kSocketError;
    }
    nonBlocking = argument != nullptr && *argument != 0;
    return 0;
}

// Windows Sockets' semantics: a datagram longer than the buffer fills it and is an error.
int ScriptedSockets::receiveFrom(platform::Socket s, char* buffer, int length, sockaddr* from,
                                 int* fromLength) {
    if (!socketOpen || s != kHandle) {
        lastError = platform::kWsaNotSocket;
        return platform::kSocketError;
    }
    EXPECT_TRUE(nonBlocking) << "reads must not block";
    if (incoming_.empty() ||
        static_cast<int32_t>(platform::tickCountMs() - incoming_.front().atMs) < 0) {
        lastError = platform::kWsaWouldBlock;
        return platform::kSocketError;
    }
    const Arrival arrival = incoming_.front();
    incoming_.pop_front();
    if (arrival.error != 0) {
        lastError = arrival.error;
        return platform::kSocketError;
    }
    if (from != nullptr && fromLength != nullptr &&
        *fromLength >= static_cast<int>(sizeof(sockaddr_in))) {
        sockaddr_in sender{};
        sender.sin_family = AF_INET;
        sender.sin_addr.s_addr = inet_addr(arrival.from.c_str());
        sender.sin_port = htons(arrival.port);
        std::memcpy(from, &sender, sizeof sender);
        *fromLength = sizeof sender;
    }
    if (arrival.empty) return 0;
    const size_t n = std::min(arrival.bytes.size(), static_cast<size_t>(length));
    std::memcpy(buffer, arrival.bytes.data(), n);
    if (arrival.bytes.size() > static_cast<size_t>(length)) {
        lastError = platform::kWsaMessageSize;
        return platform::kSocketError;
    }
    return static_cast<int>(n);
}

int ScriptedSockets::sendTo(platform::Socket s, const char* buffer, int length,
                            const sockaddr* to, int toLength) {
    if (!socketOpen || s != kHandle) {
        lastError = platform::kWsaNotSocket;
        return platform::kSocketError;
    }
    EXPECT_GE(toLength, static_cast<int>(sizeof(sockaddr_in)));
    const auto* address = reinterpret_cast<const sockaddr_in*>(to);
    SentDatagram datagram{Bytes(buffer, buffer + length), dotted(address->sin_addr),
                          ntohs(address->sin_port)};
    if (!staysHere(address->sin_addr)) {
        ADD_FAILURE() << "a datagram to " << datagram.address
                      << " would leave loopback and the simulated network";
        lastError = platform::kWsaNetworkUnreachable;
        return platform::kSocketError;
    }
    if (sendError != 0 && sendsBeforeError-- == 0) {
        lastError = sendError;
        sendError = 0;
        return platform::kSocketError;
    }
    sent.push_back(datagram);
    if (peer) peer(sent.back());
    return length;
}

int ScriptedSockets::close(platform::Socket s) {
    EXPECT_EQ(s, kHandle);
    EXPECT_TRUE(socketOpen) << "closed twice";
    socketOpen = false;
    ++socketsClosed;
    return 0;
}

int ScriptedSockets::cleanup() {
    ++cleanups;
    if (cleanupError != 0) {
        lastError = cleanupError;
        return platform::kSocketError;
    }
    return 0;
}

hostent* ScriptedSockets::hostByName(const char* name) {
    lookedUp = name == nullptr ? "" : name;
    if (lookupError != 0) {
        lastError = lookupError;
        return nullptr;
    }
    hostEntryAddresses_.clear();
    for (const std::string& text : hostAddresses) {
        in_addr address{};
        address.s_addr = inet_addr(text.c_str());
        hostEntryAddresses_.push_back(address);
    }
    hostEntryList_.clear();
    for (in_addr& address : hostEntryAddresses_) {
        hostEntryList_.push_back(reinterpret_cast<char*>(&address));
    }
    hostEntryList_.push_back(nullptr);
    hostEntry_.h_name = const_cast<char*>(hostName.c_str());
    hostEntry_.h_addrtype = AF_INET;
    hostEntry_.h_length = 4;
    hostEntry_.h_addr_list = hostEntryList_.data();
    return &hostEntry_;
}

int ScriptedSockets::ownHostName(char* name, int length) {
    if (hostNameError != 0) {
        lastError = hostNameError;
        return platform::kSocketError;
    }
    EXPECT_EQ(length, 128);
    std::snprintf(name, static_cast<size_t>(length), "%s", hostName.c_str());
    return 0;
}

int ScriptedSockets::listInterfaces(in_addr* addresses, int capacity) {
    ++listings;
    EXPECT_GT(startups, 0) << "listed before the start-up";
    if (listingError != 0) {
        lastError = listingError;
        return platform::kSocketError;
    }
    int written = 0;
    for (const std::string& text : interfaceAddresses) {
        if (written == capacity) break;
        addresses[written++].s_addr = inet_addr(text.c_str());
    }
    return written;
}

Bytes rawDatagram(uint16_t type, uint16_t sequence, const Bytes& payload) {
    Bytes bytes(4 + payload.size());
    bytes[0] = static_cast<uint8_t>(type & 0xFF);
    bytes[1] = static_cast<uint8_t>(type >> 8);
    bytes[2] = static_cast<uint8_t>(sequence & 0xFF);
    bytes[3] = static_cast<uint8_t>(sequence >> 8);
    std::copy(payload.begin(), payload.end(), bytes.begin() + 4);
    return bytes;
}

Bytes datagram(uint16_t type, uint16_t sequence, const std::string& text) {
    Bytes payload(text.begin(), text.end());
    payload.push_back(0);
    return rawDatagram(type, sequence, payload);
}

Bytes ack(uint16_t sequence) { return datagram(4, sequence, ""); }

}  // namespace kavex_test
