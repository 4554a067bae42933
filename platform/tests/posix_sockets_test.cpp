// The socket library on POSIX sockets: binding by name, the start-up count, datagrams over
// loopback with the Windows Sockets results, and the error numbers. Every datagram goes to
// 127.0.0.1.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/sockets.h"

namespace {

using namespace platform;

// The POSIX library with some of its entries hidden.
class HidingLibrary final : public SocketLibrary {
public:
    explicit HidingLibrary(std::set<std::string> hidden)
        : real_(loadSocketLibrary()), hidden_(std::move(hidden)) {}
    AnyEntry entry(const char* name) const override {
        return hidden_.count(name) != 0 ? nullptr : real_->entry(name);
    }

private:
    std::unique_ptr<SocketLibrary> real_;
    std::set<std::string> hidden_;
};

class PosixSocketsTest : public ::testing::Test {
protected:
    void SetUp() override {
        library = loadSocketLibrary();
        ASSERT_TRUE(library);
        ASSERT_EQ(bindSocketFunctions(*library, api), nullptr);
    }
    void TearDown() override {
        for (Socket s : opened) api.closeSocket(s);
        while (api.wsaCleanup() == 0) {
        }
    }
    void start() {
        WsaData data{};
        ASSERT_EQ(api.wsaStartup(kWinSockVersion11, &data), 0);
    }
    static sockaddr_in loopback(uint16_t port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        return address;
    }
    // A non-blocking datagram socket on 127.0.0.1 and a port the system chose; its port in `port`.
    Socket boundSocket(uint16_t& port) {
        const Socket s = api.socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        EXPECT_NE(s, kInvalidSocket);
        opened.push_back(s);
        sockaddr_in address = loopback(0);
        EXPECT_EQ(api.bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        uint32_t on = 1;
        EXPECT_EQ(api.ioctlSocket(s, kFionbio, &on), 0);
        socklen_t size = sizeof address;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
        return s;
    }
    int sendText(Socket from, uint16_t toPort, const std::string& text) {
        const sockaddr_in to = loopback(toPort);
        return api.sendTo(from, text.data(), static_cast<int>(text.size()), 0,
                          reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    // Reads one datagram, waiting up to two seconds for it to arrive.
    int receiveWithin(Socket s, char* buffer, int size, sockaddr_in& from) {
        for (int i = 0; i < 2000; ++i) {
            int fromLength = sizeof from;
            const int n = api.recvFrom(s, buffer, size, 0, reinterpret_cast<sockaddr*>(&from),
                                       &fromLength);
            if (n >= 0 || api.wsaGetLastError() != kWsaWouldBlock) return n;
            usleep(1000);
        }
        return kSocketError;
    }

    std::unique_ptr<SocketLibrary> library;
    SocketFunctions api{};
    std::vector<Socket> opened;
};

TEST_F(PosixSocketsTest, EveryNamedEntryIsFoundAndOnlyThose) {
    for (const char* name : kSocketEntryNames) EXPECT_NE(library->entry(name), nullptr) << name;
    EXPECT_NE(library->entry(kInterfaceAddressesEntryName), nullptr);
    EXPECT_NE(api.interfaceAddresses, nullptr);
    EXPECT_EQ(library->entry("WSAStartupEx"), nullptr);
    EXPECT_EQ(library->entry("wsastartup"), nullptr) << "names are case-sensitive";
    EXPECT_EQ(library->entry(nullptr), nullptr);
}

TEST_F(PosixSocketsTest, BindingReportsTheFirstMissingEntryInOrder) {
    for (size_t i = 0; i < kSocketEntryNames.size(); ++i) {
        std::set<std::string> hidden{kSocketEntryNames[i]};
        if (i + 1 < kSocketEntryNames.size()) hidden.insert(kSocketEntryNames[i + 1]);
        HidingLibrary lacking(hidden);
        SocketFunctions functions{};
        const char* missing = bindSocketFunctions(lacking, functions);
        ASSERT_NE(missing, nullptr);
        EXPECT_STREQ(missing, kSocketEntryNames[i]);
    }
}

TEST_F(PosixSocketsTest, TheInterfaceListingIsOptional) {
    HidingLibrary lacking({kInterfaceAddressesEntryName});
    SocketFunctions functions{};
    functions.interfaceAddresses = api.interfaceAddresses;
    EXPECT_EQ(bindSocketFunctions(lacking, functions), nullptr) << "all required entries found";
    EXPECT_EQ(functions.interfaceAddresses, nullptr);
    EXPECT_NE(functions.getHostName, nullptr);
}

TEST_F(PosixSocketsTest, StartUpGrantsTheVersionAskedForAndCountsItsCleanUps) {
    EXPECT_EQ(api.socket(AF_INET, SOCK_DGRAM, 0), kInvalidSocket) << "not started yet";
    EXPECT_EQ(api.wsaGetLastError(), kWsaNotInitialised);
    EXPECT_EQ(api.wsaCleanup(), kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaNotInitialised);

    WsaData data{};
    EXPECT_EQ(api.wsaStartup(0x0000, &data), kWsaVersionNotSupported);
    EXPECT_EQ(api.wsaStartup(kWinSockVersion11, nullptr), kWsaFault);
    ASSERT_EQ(api.wsaStartup(kWinSockVersion11, &data), 0);
    EXPECT_EQ(data.wVersion, kWinSockVersion11);
    EXPECT_EQ(data.wHighVersion, 0x0202);
    ASSERT_EQ(api.wsaStartup(0x0303, &data), 0);
    EXPECT_EQ(data.wVersion, 0x0202) << "a later version than offered gets the highest";

    EXPECT_EQ(api.wsaCleanup(), 0);
    uint16_t port = 0;
    boundSocket(port);
    EXPECT_EQ(api.wsaCleanup(), 0);
    EXPECT_EQ(api.wsaCleanup(), kSocketError) << "two start-ups, two clean-ups";
    EXPECT_EQ(api.closeSocket(opened.back()), kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaNotInitialised);
}

TEST_F(PosixSocketsTest, UnloadingTheLastLibraryForgetsItsStartUps) {
    start();
    library.reset();
    library = loadSocketLibrary();
    EXPECT_EQ(api.wsaCleanup(), kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaNotInitialised);
}

TEST_F(PosixSocketsTest, DatagramsTravelOverLoopbackWithTheSendersAddress) {
    start();
    uint16_t portA = 0, portB = 0;
    const Socket a = boundSocket(portA);
    const Socket b = boundSocket(portB);
    char buffer[16];
    sockaddr_in from{};
    int fromLength = sizeof from;
    EXPECT_EQ(api.recvFrom(b, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                           &fromLength),
              kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaWouldBlock) << "non-blocking: nothing waiting";

    ASSERT_EQ(sendText(a, portB, std::string("\x03\x00\x01\x00OK\x00", 7)), 7);
    ASSERT_EQ(receiveWithin(b, buffer, sizeof buffer, from), 7);
    EXPECT_EQ(std::string(buffer, 7), std::string("\x03\x00\x01\x00OK\x00", 7));
    EXPECT_EQ(from.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
    EXPECT_EQ(ntohs(from.sin_port), portA);

    uint32_t waiting = 99;
    ASSERT_EQ(sendText(a, portB, "XY"), 2);
    for (int i = 0; i < 2000 && waiting != 2; ++i) {
        ASSERT_EQ(api.ioctlSocket(b, kFionread, &waiting), 0);
        usleep(1000);
    }
    EXPECT_EQ(waiting, 2u);
    ASSERT_EQ(receiveWithin(b, buffer, sizeof buffer, from), 2);
}

TEST_F(PosixSocketsTest, ADatagramLongerThanTheBufferFillsItAndIsAMessageSizeError) {
    start();
    uint16_t portA = 0, portB = 0;
    const Socket a = boundSocket(portA);
    const Socket b = boundSocket(portB);
    ASSERT_EQ(sendText(a, portB, "0123456789"), 10);
    char buffer[8] = {};
    sockaddr_in from{};
    EXPECT_EQ(receiveWithin(b, buffer, 4, from), kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaMessageSize);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(buffer[4], 0) << "nothing written past the buffer";
    ASSERT_EQ(sendText(a, portB, ""), 0);
    EXPECT_EQ(receiveWithin(b, buffer, 4, from), 0) << "an empty datagram reads as zero bytes";
}

TEST_F(PosixSocketsTest, RefusedCallsReportTheirWindowsSocketsNumbers) {
    start();
    uint16_t port = 0;
    const Socket s = boundSocket(port);
    const Socket other = api.socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    opened.push_back(other);
    sockaddr_in address = loopback(port);
    EXPECT_EQ(api.bind(other, reinterpret_cast<sockaddr*>(&address), sizeof address),
              kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaAddressInUse);
    address.sin_addr.s_addr = inet_addr("192.0.2.1");  // not an address of this machine
    EXPECT_EQ(api.bind(other, reinterpret_cast<sockaddr*>(&address), sizeof address),
              kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaAddressNotAvailable);
    EXPECT_EQ(api.bind(other, reinterpret_cast<sockaddr*>(&address), 4), kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaFault);

    uint32_t argument = 0;
    EXPECT_EQ(api.ioctlSocket(s, 0x12345678, &argument), kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaInvalid);
    EXPECT_EQ(api.ioctlSocket(s, kFionbio, nullptr), kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaFault);

    char buffer[4];
    EXPECT_EQ(api.recv(-1, buffer, sizeof buffer, 0), kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaNotSocket);
    EXPECT_EQ(api.socket(12345, SOCK_DGRAM, 0), kInvalidSocket);
    EXPECT_EQ(api.wsaGetLastError(), kWsaFamilyNotSupported);

    opened.pop_back();
    EXPECT_EQ(api.closeSocket(other), 0);
    EXPECT_EQ(api.closeSocket(other), kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaNotSocket);
}

TEST_F(PosixSocketsTest, HostNameAndItsAddresses) {
    start();
    char own[256] = {};
    ASSERT_EQ(::gethostname(own, sizeof own), 0);
    char name[256] = {};
    ASSERT_EQ(api.getHostName(name, sizeof name), 0);
    EXPECT_STREQ(name, own);
    const int exact = static_cast<int>(std::strlen(own)) + 1;
    EXPECT_EQ(api.getHostName(name, exact), 0);
    EXPECT_EQ(api.getHostName(name, exact - 1), kSocketError) << "no room for the zero";
    EXPECT_EQ(api.wsaGetLastError(), kWsaFault);
    EXPECT_EQ(api.getHostName(nullptr, 10), kSocketError);

    // Names that the hosts file or the text itself answers, so that no resolver is asked.
    const hostent* numeric = api.getHostByName("127.0.0.5");
    ASSERT_NE(numeric, nullptr);
    EXPECT_EQ(numeric->h_addrtype, AF_INET);
    EXPECT_EQ(numeric->h_length, 4);
    ASSERT_NE(numeric->h_addr_list[0], nullptr);
    EXPECT_EQ(std::memcmp(numeric->h_addr_list[0], "\x7f\x00\x00\x05", 4), 0);
    EXPECT_EQ(numeric->h_addr_list[1], nullptr);
    const hostent* local = api.getHostByName("localhost");
    ASSERT_NE(local, nullptr);
    ASSERT_NE(local->h_addr_list[0], nullptr);
    EXPECT_EQ(static_cast<uint8_t>(local->h_addr_list[0][0]), 127);
    EXPECT_EQ(api.getHostByName(nullptr), nullptr);
    EXPECT_EQ(api.wsaGetLastError(), kWsaFault);
}

// The IPv4 addresses of the interfaces that are up, in getifaddrs's order, and whether each is
// a loopback one.
struct UpAddress {
    in_addr address;
    bool loopback;
};
std::vector<UpAddress> upAddresses() {
    ifaddrs* interfaces = nullptr;
    EXPECT_EQ(getifaddrs(&interfaces), 0);
    std::vector<UpAddress> found;
    for (const ifaddrs* i = interfaces; i != nullptr; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET ||
            (i->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        const in_addr address = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr;
        found.push_back({address, (i->ifa_flags & IFF_LOOPBACK) != 0 ||
                                      (ntohl(address.s_addr) >> 24) == 127});
    }
    freeifaddrs(interfaces);
    return found;
}

TEST_F(PosixSocketsTest, TheInterfaceListingGivesEveryUpAddressOnceLoopbackLast) {
    ASSERT_NE(api.interfaceAddresses, nullptr);
    in_addr listed[64] = {};
    EXPECT_EQ(api.interfaceAddresses(listed, 64), kSocketError) << "not started yet";
    EXPECT_EQ(api.wsaGetLastError(), kWsaNotInitialised);
    start();

    std::vector<uint32_t> expected;
    for (const bool loopback : {false, true}) {
        for (const UpAddress& up : upAddresses()) {
            if (up.loopback != loopback) continue;
            if (std::find(expected.begin(), expected.end(), up.address.s_addr) == expected.end()) {
                expected.push_back(up.address.s_addr);
            }
        }
    }
    ASSERT_FALSE(expected.empty()) << "at least loopback is up";
    ASSERT_LE(expected.size(), 64u);
    const int count = api.interfaceAddresses(listed, 64);
    ASSERT_EQ(count, static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(listed[i].s_addr, expected[i]) << i << ": " << inet_ntoa(listed[i]);
    }

    in_addr one[2] = {{0x5A5A5A5A}, {0x5A5A5A5A}};
    EXPECT_EQ(api.interfaceAddresses(one, 1), 1) << "no more than the capacity";
    EXPECT_EQ(one[0].s_addr, expected[0]);
    EXPECT_EQ(one[1].s_addr, 0x5A5A5A5Au);
    EXPECT_EQ(api.interfaceAddresses(nullptr, 0), 0);
    EXPECT_EQ(api.interfaceAddresses(nullptr, 4), kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaFault);
    EXPECT_EQ(api.interfaceAddresses(one, -1), kSocketError);
    EXPECT_EQ(api.wsaGetLastError(), kWsaFault);
}

TEST_F(PosixSocketsTest, AddressTextsConvertBothWays) {
    const struct {
        const char* text;
        uint32_t address;  // host order
    } cases[] = {
        {"127.0.0.2", 0x7F000002}, {"10.1.2.3", 0x0A010203}, {"127.1", 0x7F000001},
        {"0.0.0.0", 0},            {"1.2.3.256", kInaddrNone}, {"x", kInaddrNone},
        {"", kInaddrNone},
    };
    for (const auto& c : cases) EXPECT_EQ(api.inetAddr(c.text), htonl(c.address)) << c.text;
    EXPECT_EQ(api.inetAddr(nullptr), kInaddrNone);
    in_addr address{};
    address.s_addr = htonl(0x7F000002);
    EXPECT_STREQ(api.inetNtoa(address), "127.0.0.2");
    EXPECT_EQ(api.hostToNetworkShort(0x1234), htons(0x1234));
    EXPECT_EQ(api.hostToNetworkLong(0x12345678), htonl(0x12345678));
}

TEST(SocketErrorNumbers, ErrnoAndResolverResultsMapToWindowsSocketsNumbers) {
    const struct {
        int error, wsa;
    } errnos[] = {
        {EAGAIN, 10035},      {EINPROGRESS, 10036}, {EFAULT, 10014},     {ENETDOWN, 10050},
        {ECONNRESET, 10054},  {EBADF, 10038},       {EMSGSIZE, 10040},   {EADDRINUSE, 10048},
        {EADDRNOTAVAIL, 10049}, {ENETUNREACH, 10051}, {EACCES, 10013},   {EINVAL, 10022},
        {ECONNREFUSED, 10061}, {EHOSTUNREACH, 10065}, {ENOBUFS, 10055},  {ENOENT, 10107},
    };
    for (const auto& e : errnos) EXPECT_EQ(wsaErrorFromErrno(e.error), e.wsa) << e.error;
    EXPECT_EQ(wsaErrorFromErrno(EWOULDBLOCK), kWsaWouldBlock);
    const struct {
        int result, wsa;
    } resolver[] = {
        {EAI_NONAME, 11001}, {EAI_AGAIN, 11002}, {EAI_FAIL, 11003},
        {EAI_NODATA, 11004}, {EAI_MEMORY, 10055},
    };
    for (const auto& r : resolver) EXPECT_EQ(wsaErrorFromResolver(r.result, 0), r.wsa) << r.result;
    EXPECT_EQ(wsaErrorFromResolver(EAI_SYSTEM, ENETDOWN), kWsaNetworkDown);
}

}  // namespace
