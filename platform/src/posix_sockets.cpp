// The socket library on POSIX sockets: each entry point does what its Windows Sockets 1.1
// namesake does, keeps the error number for WSAGetLastError (per thread, as there) and refuses
// to work before WSAStartup or after the matching WSACleanup.
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/sockets.h"

namespace platform {
namespace {

thread_local int lastError = 0;
std::atomic<int> startups{0};
std::atomic<int> loadedLibraries{0};

int fail(int wsaError) {
    lastError = wsaError;
    return kSocketError;
}

int failFromErrno() { return fail(wsaErrorFromErrno(errno)); }

// Every call but the conversions needs a started library.
bool started() {
    if (startups.load() > 0) return true;
    lastError = kWsaNotInitialised;
    return false;
}

int wsaStartup(uint16_t versionRequested, WsaData* data) {
    constexpr uint16_t highest = 0x0202;
    if (data == nullptr) return kWsaFault;
    std::memset(data, 0, sizeof *data);
    const unsigned major = versionRequested & 0xFFu;
    const unsigned minor = versionRequested >> 8;
    data->wHighVersion = highest;
    std::snprintf(data->szDescription, sizeof data->szDescription, "POSIX sockets");
    std::snprintf(data->szSystemStatus, sizeof data->szSystemStatus, "Running");
    data->iMaxUdpDg = 65467;
    if (major == 0) {
        data->wVersion = highest;
        return kWsaVersionNotSupported;
    }
    data->wVersion = (major > 2 || (major == 2 && minor > 2)) ? highest : versionRequested;
    ++startups;
    return 0;
}

int wsaCleanup() {
    int count = startups.load();
    while (count > 0 && !startups.compare_exchange_weak(count, count - 1)) {
    }
    if (count <= 0) return fail(kWsaNotInitialised);
    return 0;
}

Socket openSocket(int family, int type, int protocol) {
    if (!started()) return kInvalidSocket;
    const int s = ::socket(family, type | SOCK_CLOEXEC, protocol);
    if (s < 0) {
        failFromErrno();
        return kInvalidSocket;
    }
    return s;
}

// An address argument must hold at least the structure of its family.
bool addressFits(const sockaddr* name, int length) {
    if (name == nullptr || length < static_cast<int>(sizeof(sa_family_t))) return false;
    return name->sa_family != AF_INET || length >= static_cast<int>(sizeof(sockaddr_in));
}

int bindSocket(Socket s, const sockaddr* name, int nameLength) {
    if (!started()) return kSocketError;
    if (!addressFits(name, nameLength)) return fail(kWsaFault);
    if (::bind(s, name, static_cast<socklen_t>(nameLength)) != 0) return failFromErrno();
    return 0;
}

int ioctlSocket(Socket s, uint32_t command, uint32_t* argument) {
    if (!started()) return kSocketError;
    if (argument == nullptr) return fail(kWsaFault);
    if (command == kFionbio) {
        const int flags = ::fcntl(s, F_GETFL);
        if (flags < 0) return failFromErrno();
        const int wanted = *argument != 0 ? flags | O_NONBLOCK : flags & ~O_NONBLOCK;
        if (::fcntl(s, F_SETFL, wanted) != 0) return failFromErrno();
        return 0;
    }
    if (command == kFionread) {
        int waiting = 0;
        if (::ioctl(s, FIONREAD, &waiting) != 0) return failFromErrno();
        *argument = static_cast<uint32_t>(waiting);
        return 0;
    }
    return fail(kWsaInvalid);
}

int connectSocket(Socket s, const sockaddr* name, int nameLength) {
    if (!started()) return kSocketError;
    if (!addressFits(name, nameLength)) return fail(kWsaFault);
    if (::connect(s, name, static_cast<socklen_t>(nameLength)) != 0) return failFromErrno();
    return 0;
}

bool bufferFits(const char* buffer, int length) {
    return length >= 0 && (buffer != nullptr || length == 0);
}

bool isDatagramSocket(Socket s) {
    int type = 0;
    socklen_t size = sizeof type;
    return ::getsockopt(s, SOL_SOCKET, SO_TYPE, &type, &size) == 0 && type == SOCK_DGRAM;
}

// A datagram longer than the buffer fills the buffer and is reported as WSAEMSGSIZE, as Windows
// Sockets does; POSIX would cut it silently.
int receive(Socket s, char* buffer, int length, int flags, sockaddr* from, int* fromLength) {
    if (!started()) return kSocketError;
    if (!bufferFits(buffer, length)) return fail(kWsaFault);
    socklen_t addressLength = 0;
    if (from != nullptr) {
        if (fromLength == nullptr || *fromLength < static_cast<int>(sizeof(sockaddr_in))) {
            return fail(kWsaFault);
        }
        addressLength = static_cast<socklen_t>(*fromLength);
    }
    const bool datagram = isDatagramSocket(s);
    const ssize_t n = ::recvfrom(s, buffer, static_cast<size_t>(length),
                                 flags | (datagram ? MSG_TRUNC : 0), from,
                                 from != nullptr ? &addressLength : nullptr);
    if (n < 0) return failFromErrno();
    if (from != nullptr) *fromLength = static_cast<int>(addressLength);
    if (datagram && n > length) return fail(kWsaMessageSize);
    return static_cast<int>(n);
}

int recvSocket(Socket s, char* buffer, int length, int flags) {
    return receive(s, buffer, length, flags, nullptr, nullptr);
}

int recvFromSocket(Socket s, char* buffer, int length, int flags, sockaddr* from,
                   int* fromLength) {
    return receive(s, buffer, length, flags, from, fromLength);
}

int sendToSocket(Socket s, const char* buffer, int length, int flags, const sockaddr* to,
                 int toLength) {
    if (!started()) return kSocketError;
    if (!bufferFits(buffer, length)) return fail(kWsaFault);
    if (to != nullptr && !addressFits(to, toLength)) return fail(kWsaFault);
    const ssize_t n = ::sendto(s, buffer, static_cast<size_t>(length), flags | MSG_NOSIGNAL, to,
                               to != nullptr ? static_cast<socklen_t>(toLength) : 0);
    if (n < 0) return failFromErrno();
    return static_cast<int>(n);
}

int sendSocket(Socket s, const char* buffer, int length, int flags) {
    return sendToSocket(s, buffer, length, flags, nullptr, 0);
}

int closeSocket(Socket s) {
    if (!started()) return kSocketError;
    if (::close(s) != 0) return failFromErrno();
    return 0;
}

uint32_t inetAddr(const char* text) {
    if (text == nullptr) return kInaddrNone;
    return ::inet_addr(text);
}

char* inetNtoa(in_addr address) { return ::inet_ntoa(address); }

uint16_t hostToNetworkShort(uint16_t value) { return htons(value); }

uint32_t hostToNetworkLong(uint32_t value) { return htonl(value); }

int wsaGetLastError() { return lastError; }

// The host entry gethostbyname hands out: one per thread, valid until the thread's next call.
struct HostEntry {
    std::string name;
    std::vector<in_addr> addresses;
    std::vector<char*> addressList;
    char* aliases[1] = {nullptr};
    hostent entry{};
};

hostent* getHostByName(const char* name) {
    thread_local HostEntry host;
    if (!started()) return nullptr;
    if (name == nullptr) {
        lastError = kWsaFault;
        return nullptr;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(name, nullptr, &hints, &found);
    if (result != 0) {
        lastError = wsaErrorFromResolver(result, errno);
        return nullptr;
    }
    host.name = name;
    host.addresses.clear();
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        if (a->ai_family != AF_INET || a->ai_addr == nullptr) continue;
        const in_addr address = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr;
        const bool known = std::any_of(host.addresses.begin(), host.addresses.end(),
                                       [&](in_addr b) { return b.s_addr == address.s_addr; });
        if (!known) host.addresses.push_back(address);
    }
    ::freeaddrinfo(found);
    host.addressList.clear();
    for (in_addr& address : host.addresses) {
        host.addressList.push_back(reinterpret_cast<char*>(&address));
    }
    host.addressList.push_back(nullptr);
    host.entry.h_name = host.name.data();
    host.entry.h_aliases = host.aliases;
    host.entry.h_addrtype = AF_INET;
    host.entry.h_length = sizeof(in_addr);
    host.entry.h_addr_list = host.addressList.data();
    return &host.entry;
}

// A buffer too small for the whole name is a fault, as in Windows Sockets.
int getHostName(char* name, int length) {
    if (!started()) return kSocketError;
    if (name == nullptr || length <= 0) return fail(kWsaFault);
    char own[HOST_NAME_MAX + 1] = {};
    if (::gethostname(own, sizeof own - 1) != 0) return failFromErrno();
    const size_t size = std::strlen(own) + 1;
    if (size > static_cast<size_t>(length)) return fail(kWsaFault);
    std::memcpy(name, own, size);
    return 0;
}

bool isLoopback(const ifaddrs& interface, in_addr address) {
    return (interface.ifa_flags & IFF_LOOPBACK) != 0 || (ntohl(address.s_addr) >> 24) == 127;
}

// What Windows Sockets answers for the computer's own name: the addresses of its adapters, the
// loopback ones only after all others.
int interfaceAddresses(in_addr* addresses, int capacity) {
    if (!started()) return kSocketError;
    if (capacity < 0 || (addresses == nullptr && capacity > 0)) return fail(kWsaFault);
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0) return failFromErrno();
    std::vector<in_addr> others;
    std::vector<in_addr> loopbacks;
    for (const ifaddrs* i = interfaces; i != nullptr; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET ||
            (i->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        const in_addr address = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr;
        const auto same = [&](in_addr b) { return b.s_addr == address.s_addr; };
        if (std::any_of(others.begin(), others.end(), same) ||
            std::any_of(loopbacks.begin(), loopbacks.end(), same)) {
            continue;
        }
        (isLoopback(*i, address) ? loopbacks : others).push_back(address);
    }
    ::freeifaddrs(interfaces);
    others.insert(others.end(), loopbacks.begin(), loopbacks.end());
    const size_t written = std::min(others.size(), static_cast<size_t>(capacity));
    std::copy_n(others.begin(), written, addresses);
    return static_cast<int>(written);
}

// The entry points in the order of kSocketEntryNames.
const std::array<AnyEntry, kSocketEntryNames.size()> kPosixEntries{
    reinterpret_cast<AnyEntry>(&wsaStartup),
    reinterpret_cast<AnyEntry>(&openSocket),
    reinterpret_cast<AnyEntry>(&bindSocket),
    reinterpret_cast<AnyEntry>(&ioctlSocket),
    reinterpret_cast<AnyEntry>(&connectSocket),
    reinterpret_cast<AnyEntry>(&recvSocket),
    reinterpret_cast<AnyEntry>(&recvFromSocket),
    reinterpret_cast<AnyEntry>(&sendSocket),
    reinterpret_cast<AnyEntry>(&closeSocket),
    reinterpret_cast<AnyEntry>(&wsaCleanup),
    reinterpret_cast<AnyEntry>(&inetAddr),
    reinterpret_cast<AnyEntry>(&inetNtoa),
    reinterpret_cast<AnyEntry>(&hostToNetworkShort),
    reinterpret_cast<AnyEntry>(&sendToSocket),
    reinterpret_cast<AnyEntry>(&hostToNetworkLong),
    reinterpret_cast<AnyEntry>(&wsaGetLastError),
    reinterpret_cast<AnyEntry>(&getHostByName),
    reinterpret_cast<AnyEntry>(&getHostName),
};

class PosixSocketLibrary final : public SocketLibrary {
public:
    PosixSocketLibrary() { ++loadedLibraries; }
    ~PosixSocketLibrary() override {
        if (--loadedLibraries == 0) startups = 0;
    }

    AnyEntry entry(const char* name) const override {
        if (name == nullptr) return nullptr;
        for (size_t i = 0; i < kSocketEntryNames.size(); ++i) {
            if (std::strcmp(kSocketEntryNames[i], name) == 0) return kPosixEntries[i];
        }
        if (std::strcmp(kInterfaceAddressesEntryName, name) == 0) {
            return reinterpret_cast<AnyEntry>(&interfaceAddresses);
        }
        return nullptr;
    }
};

SocketLibraryLoader& loaderOverride() {
    static SocketLibraryLoader loader;
    return loader;
}

}  // namespace

const char* bindSocketFunctions(const SocketLibrary& library, SocketFunctions& functions) {
    size_t index = 0;
    const char* missing = nullptr;
    auto bind = [&](auto& function) {
        const char* name = kSocketEntryNames[index++];
        if (missing != nullptr) return;
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            library.entry(name));
        if (function == nullptr) missing = name;
    };
    bind(functions.wsaStartup);
    bind(functions.socket);
    bind(functions.bind);
    bind(functions.ioctlSocket);
    bind(functions.connect);
    bind(functions.recv);
    bind(functions.recvFrom);
    bind(functions.send);
    bind(functions.closeSocket);
    bind(functions.wsaCleanup);
    bind(functions.inetAddr);
    bind(functions.inetNtoa);
    bind(functions.hostToNetworkShort);
    bind(functions.sendTo);
    bind(functions.hostToNetworkLong);
    bind(functions.wsaGetLastError);
    bind(functions.getHostByName);
    bind(functions.getHostName);
    functions.interfaceAddresses = reinterpret_cast<InterfaceAddressesFunction>(
        library.entry(kInterfaceAddressesEntryName));
    return missing;
}

std::unique_ptr<SocketLibrary> loadSocketLibrary() {
    if (loaderOverride()) return loaderOverride()();
    return std::make_unique<PosixSocketLibrary>();
}

void setSocketLibraryLoader(SocketLibraryLoader loader) { loaderOverride() = std::move(loader); }

int wsaErrorFromErrno(int error) {
    switch (error) {
        case EINTR: return kWsaInterrupted;
        case EACCES:
        case EPERM: return kWsaAccess;
        case EFAULT: return kWsaFault;
        case EINVAL: return kWsaInvalid;
        case EMFILE:
        case ENFILE: return kWsaTooManySockets;
        case EAGAIN: return kWsaWouldBlock;  // also EWOULDBLOCK
        case EINPROGRESS: return kWsaInProgress;
        case EALREADY: return kWsaAlready;
        case EBADF:
        case ENOTSOCK: return kWsaNotSocket;
        case EDESTADDRREQ: return kWsaDestinationRequired;
        case EMSGSIZE: return kWsaMessageSize;
        case EPROTOTYPE: return kWsaProtocolType;
        case ENOPROTOOPT: return kWsaNoProtocolOption;
        case EPROTONOSUPPORT: return kWsaProtocolNotSupported;
        case ESOCKTNOSUPPORT: return kWsaSocketTypeNotSupported;
        case EOPNOTSUPP: return kWsaOperationNotSupported;
        case EAFNOSUPPORT:
        case EPFNOSUPPORT: return kWsaFamilyNotSupported;
        case EADDRINUSE: return kWsaAddressInUse;
        case EADDRNOTAVAIL: return kWsaAddressNotAvailable;
        case ENETDOWN: return kWsaNetworkDown;
        case ENETUNREACH: return kWsaNetworkUnreachable;
        case ENETRESET: return kWsaNetworkReset;
        case ECONNABORTED: return kWsaConnectionAborted;
        case ECONNRESET:
        case EPIPE: return kWsaConnectionReset;
        case ENOBUFS:
        case ENOMEM: return kWsaNoBuffers;
        case EISCONN: return kWsaIsConnected;
        case ENOTCONN: return kWsaNotConnected;
        case ESHUTDOWN: return kWsaShutdown;
        case ETIMEDOUT: return kWsaTimedOut;
        case ECONNREFUSED: return kWsaConnectionRefused;
        case ENAMETOOLONG: return kWsaNameTooLong;
        case EHOSTDOWN: return kWsaHostDown;
        case EHOSTUNREACH: return kWsaHostUnreachable;
        default: return kWsaSystemCallFailure;
    }
}

int wsaErrorFromResolver(int result, int error) {
    switch (result) {
        case EAI_NONAME: return kWsaHostNotFound;
        case EAI_AGAIN: return kWsaTryAgain;
        case EAI_NODATA:
        case EAI_ADDRFAMILY: return kWsaNoData;
        case EAI_MEMORY: return kWsaNoBuffers;
        case EAI_SYSTEM: return wsaErrorFromErrno(error);
        default: return kWsaNoRecovery;
    }
}

}  // namespace platform
