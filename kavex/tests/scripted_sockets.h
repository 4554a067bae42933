// A socket library for unit tests, loaded by InitCOMM in place of the real one. It lacks entries,
// refuses calls and fails reads and sends on demand, lists the interfaces and host addresses it
// is told, records every datagram the library sends and lets the test queue the datagrams it
// receives. Nothing leaves the process. A datagram may go to 127.0.0.0/8, or to 192.0.2.0/24
// (TEST-NET-1), the network a test's interface addresses stand on; any other destination fails
// the test and the send.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/sockets.h"

namespace kavex_test {

using Bytes = std::vector<uint8_t>;

constexpr const char* kBoxAddress = "127.0.0.2";
constexpr const char* kLanAddress = "192.0.2.2";     // this computer on the simulated network
constexpr const char* kLanBoxAddress = "192.0.2.10";  // a box there
constexpr uint16_t kBoxPort = 8499;

// A datagram the library sent, with its header read out.
struct SentDatagram {
    Bytes bytes;
    std::string address;
    uint16_t port = 0;

    uint16_t type() const;
    uint16_t sequence() const;
    Bytes payload() const;
    // The plain payload's text, without its zero byte.
    std::string text() const;
};

class ScriptedSockets {
public:
    // Becomes the socket library that InitCOMM loads; the destructor puts the real one back.
    ScriptedSockets();
    ~ScriptedSockets();
    ScriptedSockets(const ScriptedSockets&) = delete;
    ScriptedSockets& operator=(const ScriptedSockets&) = delete;

    // The library and its start-up.
    bool libraryMissing = false;
    std::string missingEntry;        // this entry point is not found
    int startupResult = 0;           // what WSAStartup answers
    uint16_t grantedVersion = platform::kWinSockVersion11;
    int errorAfterStartup = 0;       // what WSAGetLastError tells after the start-up
    int cleanupError = 0;            // non-zero: WSACleanup answers -1 with this number
    // The host.
    std::string hostName = "testhost";
    int hostNameError = 0;
    std::vector<std::string> hostAddresses{"127.0.0.1"};
    int lookupError = 0;
    // The interfaces' addresses, in the order the listing gives them; none by default, so that
    // the host name's addresses are the adapters. missingEntry = kInterfaceAddressesEntryName
    // takes the listing away; when listingError is set the listing fails with it.
    std::vector<std::string> interfaceAddresses;
    int listingError = 0;
    // The socket.
    int socketError = 0;
    int bindError = 0;
    int modeError = 0;
    // When sendError is set, the send after sendsBeforeError more succeed fails with it, once.
    int sendError = 0;
    int sendsBeforeError = 0;

    // Datagrams arriving for the library, in order; each is read once `delayMs` from now passed.
    void arrive(const Bytes& bytes, uint32_t delayMs = 0, const std::string& from = kBoxAddress,
                uint16_t port = kBoxPort);
    // The next read fails with `error`; a zero-length datagram.
    void failRead(int error);
    void arriveEmpty();
    size_t waiting() const { return incoming_.size(); }

    // Called with every datagram the library sends, once it is recorded.
    std::function<void(const SentDatagram&)> peer;

    // What the library did.
    std::vector<SentDatagram> sent;
    int loaded = 0;  // socket libraries loaded and not yet unloaded
    int startups = 0;
    int cleanups = 0;
    int socketsOpened = 0;
    int socketsClosed = 0;
    bool socketOpen = false;
    bool nonBlocking = false;
    std::string boundAddress;
    uint16_t boundPort = 0;
    std::string lookedUp;  // the name given to gethostbyname
    int listings = 0;      // calls of the interface listing

    // Entry points' work; public for the trampolines of the library.
    int startup(uint16_t version, platform::WsaData* data);
    platform::Socket openSocket();
    int bind(platform::Socket s, const sockaddr* name, int length);
    int ioctl(platform::Socket s, uint32_t command, uint32_t* argument);
    int receiveFrom(platform::Socket s, char* buffer, int length, sockaddr* from, int* fromLength);
    int sendTo(platform::Socket s, const char* buffer, int length, const sockaddr* to, int toLength);
    int close(platform::Socket s);
    int cleanup();
    hostent* hostByName(const char* name);
    int ownHostName(char* name, int length);
    int listInterfaces(in_addr* addresses, int capacity);
    int lastError = 0;

private:
    struct Arrival {
        Bytes bytes;
        std::string from;
        uint16_t port;
        uint32_t atMs;
        int error;   // the read fails with this number
        bool empty;  // a zero-length datagram
    };
    std::deque<Arrival> incoming_;
    std::vector<in_addr> hostEntryAddresses_;
    std::vector<char*> hostEntryList_;
    hostent hostEntry_{};
};

// A plain datagram: little-endian type and sequence number, the text and its zero byte.
Bytes datagram(uint16_t type, uint16_t sequence, const std::string& text);
// A datagram of `type` with `payload` as it is.
Bytes rawDatagram(uint16_t type, uint16_t sequence, const Bytes& payload);
// An acknowledgement of `sequence`.
Bytes ack(uint16_t sequence);

}  // namespace kavex_test
