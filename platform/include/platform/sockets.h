// Windows Sockets 1.1 on POSIX sockets: the 18 entry points Kavex binds by name when it opens the
// network box, with the calls, handles (file descriptors here) and error numbers of that
// interface, and one optional entry that lists the computer's interface addresses. The socket
// library is an object whose entries are looked up by name, so that tests can put a library in
// its place that lacks entries, fails on demand or records every datagram.
#pragma once

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

using Socket = int;
constexpr Socket kInvalidSocket = -1;
constexpr int kSocketError = -1;
constexpr uint32_t kInaddrNone = 0xFFFFFFFF;
constexpr uint16_t kWinSockVersion11 = 0x0101;  // low byte major, high byte minor

// Commands of ioctlsocket, numbered as Windows Sockets numbers them.
constexpr uint32_t kFionbio = 0x8004667E;   // argument non-zero: non-blocking mode
constexpr uint32_t kFionread = 0x4004667F;  // argument receives the bytes waiting

// The error numbers WSAGetLastError reports.
enum WsaError : int {
    kWsaInterrupted = 10004,
    kWsaBadHandle = 10009,
    kWsaAccess = 10013,
    kWsaFault = 10014,
    kWsaInvalid = 10022,
    kWsaTooManySockets = 10024,
    kWsaWouldBlock = 10035,  // nothing waiting on a non-blocking socket
    kWsaInProgress = 10036,
    kWsaAlready = 10037,
    kWsaNotSocket = 10038,
    kWsaDestinationRequired = 10039,
    kWsaMessageSize = 10040,
    kWsaProtocolType = 10041,
    kWsaNoProtocolOption = 10042,
    kWsaProtocolNotSupported = 10043,
    kWsaSocketTypeNotSupported = 10044,
    kWsaOperationNotSupported = 10045,
    kWsaFamilyNotSupported = 10047,
    kWsaAddressInUse = 10048,
    kWsaAddressNotAvailable = 10049,
    kWsaNetworkDown = 10050,
    kWsaNetworkUnreachable = 10051,
    kWsaNetworkReset = 10052,
    kWsaConnectionAborted = 10053,
    kWsaConnectionReset = 10054,
    kWsaNoBuffers = 10055,
    kWsaIsConnected = 10056,
    kWsaNotConnected = 10057,
    kWsaShutdown = 10058,
    kWsaTimedOut = 10060,
    kWsaConnectionRefused = 10061,
    kWsaNameTooLong = 10063,
    kWsaHostDown = 10064,
    kWsaHostUnreachable = 10065,
    kWsaVersionNotSupported = 10092,
    kWsaNotInitialised = 10093,
    kWsaSystemCallFailure = 10107,
    kWsaHostNotFound = 11001,
    kWsaTryAgain = 11002,
    kWsaNoRecovery = 11003,
    kWsaNoData = 11004,
};

// What WSAStartup fills in.
struct WsaData {
    uint16_t wVersion;      // the version granted
    uint16_t wHighVersion;  // the highest version the library offers
    char szDescription[257];
    char szSystemStatus[129];
    uint16_t iMaxSockets;
    uint16_t iMaxUdpDg;
    char* lpVendorInfo;
};

// The entry points. Addresses are POSIX sockaddr structures, which have the layout of those of
// Windows Sockets for IPv4; lengths are ints; results follow Windows Sockets: SOCKET_ERROR (-1)
// with the error number kept for WSAGetLastError, or kInvalidSocket from socket().
using WsaStartupFunction = int (*)(uint16_t versionRequested, WsaData* data);
using SocketFunction = Socket (*)(int family, int type, int protocol);
using BindFunction = int (*)(Socket s, const sockaddr* name, int nameLength);
using IoctlSocketFunction = int (*)(Socket s, uint32_t command, uint32_t* argument);
using ConnectFunction = int (*)(Socket s, const sockaddr* name, int nameLength);
using RecvFunction = int (*)(Socket s, char* buffer, int length, int flags);
using RecvFromFunction = int (*)(Socket s, char* buffer, int length, int flags, sockaddr* from,
                                 int* fromLength);
using SendFunction = int (*)(Socket s, const char* buffer, int length, int flags);
using CloseSocketFunction = int (*)(Socket s);
using WsaCleanupFunction = int (*)();
using InetAddrFunction = uint32_t (*)(const char* text);
using InetNtoaFunction = char* (*)(in_addr address);
using HtonsFunction = uint16_t (*)(uint16_t value);
using SendToFunction = int (*)(Socket s, const char* buffer, int length, int flags,
                               const sockaddr* to, int toLength);
using HtonlFunction = uint32_t (*)(uint32_t value);
using WsaGetLastErrorFunction = int (*)();
using GetHostByNameFunction = hostent* (*)(const char* name);
using GetHostNameFunction = int (*)(char* name, int length);
// Writes at most `capacity` IPv4 addresses of the computer's interfaces that are up into
// `addresses`: those of other interfaces first, then the loopback ones, each address once, in
// the order the system lists them. The number written, or SOCKET_ERROR with the error number
// kept (10093 before WSAStartup, 10014 for a null buffer or a negative capacity).
using InterfaceAddressesFunction = int (*)(in_addr* addresses, int capacity);

// The names of the entry points, in the order they are bound.
constexpr std::array<const char*, 18> kSocketEntryNames{
    "WSAStartup",  "socket",      "bind",      "ioctlsocket",     "connect",
    "recv",        "recvfrom",    "send",      "closesocket",     "WSACleanup",
    "inet_addr",   "inet_ntoa",   "htons",     "sendto",          "htonl",
    "WSAGetLastError", "gethostbyname", "gethostname",
};

// The optional entry: a library without it leaves the computer's own addresses to its host name.
constexpr const char* kInterfaceAddressesEntryName = "InterfaceAddresses";

// The bound table, one member per name above, in the same order, then the optional entry.
struct SocketFunctions {
    WsaStartupFunction wsaStartup;
    SocketFunction socket;
    BindFunction bind;
    IoctlSocketFunction ioctlSocket;
    ConnectFunction connect;
    RecvFunction recv;
    RecvFromFunction recvFrom;
    SendFunction send;
    CloseSocketFunction closeSocket;
    WsaCleanupFunction wsaCleanup;
    InetAddrFunction inetAddr;
    InetNtoaFunction inetNtoa;
    HtonsFunction hostToNetworkShort;
    SendToFunction sendTo;
    HtonlFunction hostToNetworkLong;
    WsaGetLastErrorFunction wsaGetLastError;
    GetHostByNameFunction getHostByName;
    GetHostNameFunction getHostName;
    InterfaceAddressesFunction interfaceAddresses = nullptr;  // optional
};

// Any entry point, as the library hands it out before it is bound to its type.
using AnyEntry = void (*)();

// A loaded socket library. Destroying it unloads it: when the last one goes, the start-ups it
// counted go with it, as when a process unloads its socket library.
class SocketLibrary {
public:
    virtual ~SocketLibrary() = default;
    // The entry point called `name`, or nullptr when the library has none of that name.
    virtual AnyEntry entry(const char* name) const = 0;
};

// Binds every entry of kSocketEntryNames in order; nullptr when all were found, otherwise the
// name of the first one missing (the table is then incomplete and must not be used). The
// optional entry is bound too, and stays nullptr when the library has none.
const char* bindSocketFunctions(const SocketLibrary& library, SocketFunctions& functions);

// Loads the socket library; nullptr when it cannot be loaded.
std::unique_ptr<SocketLibrary> loadSocketLibrary();

// Replaces how the socket library is loaded (tests put doubles in its place); an empty function
// restores the POSIX library.
using SocketLibraryLoader = std::function<std::unique_ptr<SocketLibrary>()>;
void setSocketLibraryLoader(SocketLibraryLoader loader);

// The Windows Sockets number for an errno value, and for a getaddrinfo result.
int wsaErrorFromErrno(int error);
int wsaErrorFromResolver(int result, int error);

}  // namespace platform
