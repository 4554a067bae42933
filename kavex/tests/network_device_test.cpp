// Mode 6 opened and closed: the socket library's loading, binding by name and start-up, the
// local adapters, closing the socket, and the box exports' checks of the device.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "errors.h"
#include "library_state.h"
#include "network_box_fixture.h"
#include "network_box_transport.h"
#include "platform/memory_port.h"
#include "platform/sockets.h"

namespace kavex_test {
namespace {

class NetworkDeviceTest : public NetworkBoxTest {
protected:
    // InitCOMM refused with `error` and `text`, leaving no device and no library loaded.
    void expectRefused(int32_t error, const std::string& text) {
        EXPECT_EQ(InitCOMM(kBoxPort, 6, 0, 0), -1);
        EXPECT_EQ(errorCode(), error);
        EXPECT_EQ(errorText(), text);
        EXPECT_EQ(sockets.loaded, 0) << "the library is unloaded again";
        EXPECT_EQ(ExitCOMM(), -1) << "no device is open";
        EXPECT_EQ(errorCode(), 2);
    }
    std::string allAddresses() {
        char text[KAVEX_ADDRESS_LIST_SIZE];
        EXPECT_EQ(GetAllIPAddress(text), 0) << errorText();
        return text;
    }
    std::string localAddress() {
        char text[KAVEX_ADDRESS_SIZE];
        EXPECT_EQ(GetLocalIPAddress(text), 0) << errorText();
        return text;
    }
};

TEST_F(NetworkDeviceTest, OpensWithThePortAsSixteenBitsAndTheLibraryStartedButNoSocket) {
    const struct {
        int32_t port, result;
    } ports[] = {{kBoxPort, kBoxPort}, {1, 1}, {65535, 65535}, {70000, 70000 - 65536}};
    for (const auto& p : ports) {
        SCOPED_TRACE(p.port);
        EXPECT_EQ(InitCOMM(p.port, 6, 0, 0), p.result);
        EXPECT_EQ(errorText(), "None");
        EXPECT_EQ(sockets.startups, 1);
        EXPECT_EQ(sockets.lookedUp, "testhost") << "the adapters come from the host name";
        EXPECT_FALSE(sockets.socketOpen) << "SetIPAddress opens the socket";
        EXPECT_EQ(ExitCOMM(), 0);
        EXPECT_EQ(sockets.cleanups, 0) << "no socket was opened, so none is closed";
        EXPECT_EQ(sockets.loaded, 0);
        sockets.startups = 0;
    }
}

TEST_F(NetworkDeviceTest, AMissingLibraryOrEntryPointOrARefusedStartUpOpensNothing) {
    sockets.libraryMissing = true;
    expectRefused(71, "WINSOCK dll not found: <>");
    sockets.libraryMissing = false;
    for (const char* name : platform::kSocketEntryNames) {
        SCOPED_TRACE(name);
        sockets.missingEntry = name;
        expectRefused(7, "No required WinSocket functions: <>");
        EXPECT_EQ(sockets.startups, 0) << "nothing is called before all are bound";
    }
    sockets.missingEntry.clear();

    const struct {
        int startupResult;
        uint16_t granted;
        int errorAfterStartup;
        int32_t error;
        const char* text;
    } startups[] = {
        {10091, 0x0101, 0, 72, "Error in WinSocket startup: 10091"},
        {10092, 0x0101, 0, 72, "Error in WinSocket startup: 10092"},
        {0, 0x0202, 0, 73, "Error in WinSocket version: 514"},
        {0, 0x0001, 0, 73, "Error in WinSocket version: 1"},
        {0, 0x0000, 10092, 73, "Error in WinSocket version: 10092"},
    };
    for (const auto& s : startups) {
        SCOPED_TRACE(s.text);
        sockets.startupResult = s.startupResult;
        sockets.grantedVersion = s.granted;
        sockets.errorAfterStartup = s.errorAfterStartup;
        sockets.cleanups = 0;
        expectRefused(s.error, s.text);
        EXPECT_EQ(sockets.cleanups, 1) << "the library is released";
    }
}

TEST_F(NetworkDeviceTest, AdapterListingFailuresMapTheSocketErrorAndReleaseTheLibrary) {
    const struct {
        int hostNameError, lookupError;
        int32_t error;
        const char* text;
    } cases[] = {
        {10014, 0, 34, "WSA fault: <>"},
        {10036, 0, 33, "WSA in Progress: <>"},
        {10050, 0, 8, "The Network subsystem has failed: <>"},
        {10093, 0, 6, "Lan Brick device not initialized: <>"},
        {10022, 0, 9, "Winsocket error: <>"},
        {0, 10050, 8, "The Network subsystem has failed: <>"},
        {0, 10093, 6, "Lan Brick device not initialized: <>"},
        {0, 11001, 32, "Author. Answer Host not found: <>"},
        {0, 11002, 9, "Winsocket error: <>"},
        {0, 10014, 9, "Winsocket error: <>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        sockets.hostNameError = c.hostNameError;
        sockets.lookupError = c.lookupError;
        sockets.cleanups = 0;
        expectRefused(c.error, c.text);
        EXPECT_EQ(sockets.cleanups, 1);
    }
}

TEST_F(NetworkDeviceTest, TheAdapterTableListsTheHostsAddressesThenAnyAddress) {
    sockets.hostAddresses = {"127.0.0.1", "127.0.0.3"};
    ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort);
    EXPECT_EQ(allAddresses(), "127.0.0.1|127.0.0.3|0.0.0.0|");
    EXPECT_EQ(localAddress(), "127.0.0.1") << "the first adapter after InitCOMM";

    EXPECT_EQ(ChangeAdapter("127.0.0.3"), 0);
    EXPECT_EQ(localAddress(), "127.0.0.3");
    EXPECT_EQ(ChangeAdapter("127.0.0.9"), -1);
    EXPECT_EQ(errorCode(), 101);
    EXPECT_EQ(errorText(), "IP Adapter error: <>");
    EXPECT_EQ(localAddress(), "127.0.0.1") << "an unknown adapter falls back to the first";
    EXPECT_EQ(ChangeAdapter("127.0.0.3 "), -1) << "compared exactly";
    EXPECT_EQ(ChangeAdapter("0.0.0.0"), 0);
    EXPECT_EQ(localAddress(), "0.0.0.0");
}

TEST_F(NetworkDeviceTest, TheAdaptersAreTheInterfacesNotTheAddressOfTheHostName) {
    sockets.hostAddresses = {"127.0.1.1"};
    sockets.interfaceAddresses = {kLanAddress, "127.0.0.1"};
    sockets.lookupError = 11001;  // never asked: the interfaces are listed
    ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort) << errorText();
    EXPECT_EQ(allAddresses(), "192.0.2.2|127.0.0.1|0.0.0.0|");
    EXPECT_EQ(localAddress(), kLanAddress) << "the network interface, not loopback";
    EXPECT_EQ(sockets.lookedUp, "");
    EXPECT_EQ(ChangeAdapter("127.0.1.1"), -1) << "the host name's address is no adapter";
    EXPECT_EQ(ChangeAdapter("127.0.0.1"), 0);
    EXPECT_EQ(localAddress(), "127.0.0.1");
    ASSERT_EQ(ExitCOMM(), 0);

    sockets.hostNameError = 10014;
    expectRefused(34, "WSA fault: <>");
    EXPECT_EQ(sockets.listings, 1) << "the host name is asked first, as ever";
}

TEST_F(NetworkDeviceTest, WhereNoInterfaceIsListedTheHostNameGivesTheAdapters) {
    sockets.hostAddresses = {"127.0.1.1"};
    const struct {
        const char* name;
        std::vector<std::string> interfaces;
        std::string missingEntry;
        int listingError;
    } cases[] = {
        {"no interface up", {}, "", 0},
        {"a library without the listing", {kLanAddress}, platform::kInterfaceAddressesEntryName, 0},
        {"a listing that fails", {kLanAddress}, "", 10055},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sockets.interfaceAddresses = c.interfaces;
        sockets.missingEntry = c.missingEntry;
        sockets.listingError = c.listingError;
        sockets.lookedUp.clear();
        ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort) << errorText();
        EXPECT_EQ(errorText(), "None");
        EXPECT_EQ(sockets.lookedUp, "testhost");
        EXPECT_EQ(allAddresses(), "127.0.1.1|0.0.0.0|");
        EXPECT_EQ(localAddress(), "127.0.1.1");
        ASSERT_EQ(ExitCOMM(), 0);
    }
}

TEST_F(NetworkDeviceTest, ARefusedInitCommChoosesTheFirstAdapterAgain) {
    sockets.interfaceAddresses = {kLanAddress, "127.0.0.1"};
    ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort) << errorText();
    const struct {
        const char* name;
        int32_t port, mode, baud;
    } refusals[] = {
        {"the network box again", kBoxPort, 6, 0},
        {"a mode out of range", 1, 9, 9600},
        {"an RS232 line", 1, 3, 9600},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        ASSERT_EQ(ChangeAdapter("127.0.0.1"), 0);
        EXPECT_EQ(InitCOMM(r.port, r.mode, r.baud, 0), -1);
        EXPECT_EQ(errorCode(), 1) << "the network box stays open";
        EXPECT_EQ(localAddress(), kLanAddress);
        ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
        EXPECT_EQ(sockets.boundAddress, kLanAddress);
    }
    ASSERT_EQ(ChangeAdapter("0.0.0.0"), 0);
    ASSERT_EQ(ExitCOMM(), 0);
    EXPECT_EQ(InitCOMM(1, 9, 9600, 0), -1);
    EXPECT_EQ(errorCode(), 3);
    ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort) << errorText();
    EXPECT_EQ(localAddress(), kLanAddress) << "a new table starts at its first adapter";
}

TEST_F(NetworkDeviceTest, AHostWithoutAddressesHasAnEmptyTable) {
    sockets.hostAddresses.clear();
    ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort);
    EXPECT_EQ(allAddresses(), "");
    EXPECT_EQ(localAddress(), "");
    EXPECT_EQ(ChangeAdapter("0.0.0.0"), -1);
    EXPECT_EQ(errorCode(), 101);
}

TEST_F(NetworkDeviceTest, AtMostFiveAddressesAreKeptAndTheListFitsItsBuffer) {
    std::vector<std::string> seven;
    for (int i = 1; i <= 7; ++i) seven.push_back("127.100.100.10" + std::to_string(i));
    for (std::vector<std::string>* source : {&sockets.hostAddresses, &sockets.interfaceAddresses}) {
        SCOPED_TRACE(source == &sockets.hostAddresses ? "the host name's" : "the interfaces'");
        sockets.hostAddresses = {"127.0.1.1"};
        *source = seven;
        ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort);
        char text[KAVEX_ADDRESS_LIST_SIZE + 8];
        std::memset(text, '#', sizeof text);
        ASSERT_EQ(GetAllIPAddress(text), 0);
        EXPECT_STREQ(text,
                     "127.100.100.101|127.100.100.102|127.100.100.103|127.100.100.104|"
                     "127.100.100.105|0.0.0.0|");
        EXPECT_EQ(ChangeAdapter("127.100.100.106"), -1);
        char local[KAVEX_ADDRESS_SIZE + 4];
        std::memset(local, '#', sizeof local);
        ASSERT_EQ(ChangeAdapter("127.100.100.105"), 0);
        ASSERT_EQ(GetLocalIPAddress(local), 0);
        EXPECT_STREQ(local, "127.100.100.105");
        EXPECT_EQ(local[KAVEX_ADDRESS_SIZE], '#');
        ASSERT_EQ(ExitCOMM(), 0);
    }
}

TEST_F(NetworkDeviceTest, AnAdapterIndexOutsideTheTableIsNoLocalAdapter) {
    ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort);
    kavex::state().transport->networkBox()->adapters().index = 3;  // past "0.0.0.0"
    char text[KAVEX_ADDRESS_SIZE];
    EXPECT_EQ(GetLocalIPAddress(text), -1);
    EXPECT_EQ(errorCode(), 102);
    EXPECT_EQ(errorText(), "Local IP Adapter not found: <>");
}

TEST_F(NetworkDeviceTest, EveryBoxExportChecksItsArgumentsAndTheDevice) {
    char text[KAVEX_LBX_ANSWER_SIZE];
    const struct {
        const char* name;
        std::function<int32_t()> call;
        int32_t noDevice, otherMode;
    } calls[] = {
        {"SetIPAddress", [] { return SetIPAddress(kBoxAddress); }, 2, 5},
        {"SetRemoteUDPPort", [] { return SetRemoteUDPPort(9000); }, 2, 5},
        {"LbxCommand", [&] { return LbxCommand("X", text); }, 2, 2},
        {"LbxReset", [] { return LbxReset(); }, 2, 2},
        {"ChangeAdapter", [] { return ChangeAdapter("0.0.0.0"); }, 2, 2},
        {"GetLocalIPAddress", [&] { return GetLocalIPAddress(text); }, 2, 2},
        {"GetAllIPAddress", [&] { return GetAllIPAddress(text); }, 2, 2},
    };
    auto line = std::make_shared<platform::MemoryLine>();
    platform::openPortsOnMemoryLine(line);
    for (const auto& c : calls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), -1);
        EXPECT_EQ(errorCode(), c.noDevice);
        ASSERT_EQ(InitCOMM(1, 3, 9600, 0), 1016);
        ASSERT_EQ(ChgTerminal(0), 0);
        EXPECT_EQ(c.call(), -1);
        EXPECT_EQ(errorCode(), c.otherMode);
        if (c.otherMode == 5) {
            EXPECT_EQ(errorText(), "Wrong communication device: <>");
        }
        ASSERT_EQ(ExitCOMM(), 0);
    }
    ASSERT_EQ(InitCOMM(1, 3, 9600, 0), 1016);
    ASSERT_EQ(ChgTerminal(0), 0);
    SetIPAddress(kBoxAddress);
    EXPECT_EQ(PostCommand("Q"), -1) << "SetIPAddress deselects the terminal, in any mode";
    EXPECT_EQ(errorCode(), 4);
    ASSERT_EQ(ExitCOMM(), 0);
    platform::setPortOpener({});

    open();
    const struct {
        const char* name;
        std::function<int32_t()> call;
    } nulls[] = {
        {"SetIPAddress", [] { return SetIPAddress(nullptr); }},
        {"LbxCommand command", [&] { return LbxCommand(nullptr, text); }},
        {"LbxCommand answer", [] { return LbxCommand("X", nullptr); }},
        {"ChangeAdapter", [] { return ChangeAdapter(nullptr); }},
        {"GetLocalIPAddress", [] { return GetLocalIPAddress(nullptr); }},
        {"GetAllIPAddress", [] { return GetAllIPAddress(nullptr); }},
        {"SetRemoteUDPPort -1", [] { return SetRemoteUDPPort(-1); }},
        {"SetRemoteUDPPort 65536", [] { return SetRemoteUDPPort(65536); }},
        {"LbxCommand of 128", [&] { return LbxCommand(std::string(128, 'Q').c_str(), text); }},
    };
    for (const auto& c : nulls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), -1);
        EXPECT_EQ(errorCode(), 3);
        EXPECT_EQ(errorText(), "Wrong parameters: <>");
    }
    EXPECT_TRUE(sockets.sent.empty());
}

TEST_F(NetworkDeviceTest, ExitCommClosesTheSocketAndStopsTheLibraryOnce) {
    selectBox();
    EXPECT_TRUE(sockets.socketOpen);
    EXPECT_EQ(ExitCOMM(), 0);
    EXPECT_FALSE(sockets.socketOpen);
    EXPECT_EQ(sockets.cleanups, 1);
    EXPECT_EQ(sockets.loaded, 0);
    EXPECT_EQ(ChgTerminal(1), -1);
    EXPECT_EQ(errorCode(), 2);
}

TEST_F(NetworkDeviceTest, ALibraryThatDoesNotStopLeavesTheDeviceOpenForAnotherTry) {
    selectBox();
    sockets.cleanupError = 10093;
    EXPECT_EQ(ExitCOMM(), -1);
    EXPECT_EQ(errorCode(), 98);
    EXPECT_EQ(errorText(), "Error closing WinSocket: 10093");
    EXPECT_FALSE(sockets.socketOpen) << "the socket is closed all the same";
    EXPECT_EQ(InitCOMM(kBoxPort, 6, 0, 0), -1);
    EXPECT_EQ(errorCode(), 1) << "the device still counts as open";
    sockets.cleanupError = 0;
    EXPECT_EQ(ExitCOMM(), 0) << "the socket is gone, so the second try closes the device";
    EXPECT_EQ(sockets.cleanups, 1);
}

TEST_F(NetworkDeviceTest, TheConnectErrorWhichNoExchangeSetsIsShownAsItsFormattedText) {
    // The socket layer never connects, so nothing else reaches code 89.
    kavex::setErrorWithNumber(kavex::ErrConnectSocket, 10061);
    EXPECT_EQ(errorText(), "Error connecting socket: 10061");
}

TEST_F(NetworkDeviceTest, TheRemotePortChangesTheDestinationAtOnceAndForTheNextSelection) {
    open();
    ASSERT_EQ(SetRemoteUDPPort(9000), 0);
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
    EXPECT_EQ(sockets.boundPort, kBoxPort) << "the local port stays InitCOMM's";
    for (const SentDatagram& d : sockets.sent) EXPECT_EQ(d.port, 9000);
    ASSERT_EQ(SetRemoteUDPPort(9001), 0);
    char answer[KAVEX_LBX_ANSWER_SIZE];
    sockets.sent.clear();
    ASSERT_EQ(LbxCommand("M127.0.0.1", answer), 0) << errorText();
    ASSERT_FALSE(sockets.sent.empty());
    EXPECT_EQ(sockets.sent[0].port, 9001);
    EXPECT_EQ(SetRemoteUDPPort(0), 0) << "0 is a port like any other";
}

// The IPv4 addresses of this computer's interfaces that are up, as getifaddrs lists them: the
// other interfaces' first, then the loopback ones, each once.
std::vector<std::string> upInterfaceAddresses() {
    ifaddrs* interfaces = nullptr;
    EXPECT_EQ(getifaddrs(&interfaces), 0);
    std::vector<std::string> others, loopbacks;
    for (const ifaddrs* i = interfaces; i != nullptr; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET ||
            (i->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        const in_addr address = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr;
        const std::string text = inet_ntoa(address);
        if (std::count(others.begin(), others.end(), text) +
                std::count(loopbacks.begin(), loopbacks.end(), text) != 0) {
            continue;
        }
        const bool loopback = (i->ifa_flags & IFF_LOOPBACK) != 0 || text.rfind("127.", 0) == 0;
        (loopback ? loopbacks : others).push_back(text);
    }
    freeifaddrs(interfaces);
    others.insert(others.end(), loopbacks.begin(), loopbacks.end());
    return others;
}

// The POSIX socket library, no double: the table is this computer's interfaces, whatever its
// host name resolves to. No socket is opened.
TEST(NetworkDeviceOnThisComputer, TheAdapterTableHoldsTheAddressesOfTheInterfacesThatAreUp) {
    std::vector<std::string> expected = upInterfaceAddresses();
    ASSERT_FALSE(expected.empty()) << "at least loopback is up";
    if (expected.size() > 5) expected.resize(5);
    std::string joined;
    for (const std::string& address : expected) joined += address + "|";
    joined += "0.0.0.0|";

    ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort) << currentErrorText();
    char all[KAVEX_ADDRESS_LIST_SIZE] = {};
    char local[KAVEX_ADDRESS_SIZE] = {};
    EXPECT_EQ(GetAllIPAddress(all), 0);
    EXPECT_EQ(GetLocalIPAddress(local), 0);
    EXPECT_EQ(ExitCOMM(), 0);
    EXPECT_EQ(std::string(all), joined);
    EXPECT_EQ(std::string(local), expected.front());
}

}  // namespace
}  // namespace kavex_test
