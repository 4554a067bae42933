// The real libkavex.so and its POSIX socket layer against the simulated network box over
// loopback UDP: the box at 127.0.0.2, the library bound to "0.0.0.0" on a port of its own, so
// that every datagram stays on 127.0.0.0/8.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "kavex.h"
#include "sim_session.h"
#include "sim/civil_time.h"
#include "sim/network_box.h"
#include "sim/terminal.h"

namespace {

constexpr const char* kBox = "127.0.0.2";

using kavex_test::errorCode;

// GetError's text alone.
std::string lastError() {
    char text[KAVEX_ERROR_SIZE];
    GetError(text);
    return text;
}

struct SessionCase {
    const char* name;
    int serialSide;
    int terminal;
    bool encipher;
};

std::string caseName(const ::testing::TestParamInfo<SessionCase>& tested) {
    return tested.param.name;
}

class NetworkBoxSession : public ::testing::TestWithParam<SessionCase> {
protected:
    void SetUp() override {
        const SessionCase& c = GetParam();
        sim::BoxConfig config;
        config.port = 0;
        config.settings.serialSide = c.serialSide;
        config.encipherData = c.encipher;
        config.encipherAnswers = c.encipher;
        startBox(config, c.terminal);
    }
    void TearDown() override {
        ExitCOMM();
        CryptMessages(0);
        CryptLbxCmds(0);
        SetWinSockTimeOut(7);
    }
    void startBox(const sim::BoxConfig& config, int terminal) {
        box.reset();
        box = std::make_unique<sim::NetworkBox>(config);
        sim::TerminalConfig terminalConfig;
        terminalConfig.model = "Kestrum";
        terminalConfig.hostClock = [] { return sim::civilSeconds(2015, 12, 31, 8, 15, 30); };
        box->attach(terminal, std::make_shared<sim::Terminal>(terminalConfig));
        box->start();
    }
    // InitCOMM on a port of the library's own, the adapter "0.0.0.0", the box's port.
    void open() {
        const uint16_t local = kavex_test::freeUdpPort();
        ASSERT_EQ(InitCOMM(local, 6, 0, 0), local) << lastError();
        ASSERT_EQ(ChangeAdapter("0.0.0.0"), 0) << lastError();
        ASSERT_EQ(SetRemoteUDPPort(box->port()), 0) << lastError();
    }

    std::unique_ptr<sim::NetworkBox> box;
    char reply[KAVEX_REPLY_SIZE] = {};
    char answer[KAVEX_LBX_ANSWER_SIZE] = {};
};

TEST_P(NetworkBoxSession, SelectsTheBoxMakesThisComputerItsMasterAndReadsATerminalsClock) {
    const SessionCase& c = GetParam();
    CryptMessages(c.encipher ? 1 : 0);
    CryptLbxCmds(c.encipher ? 1 : 0);
    open();
    char adapters[KAVEX_ADDRESS_LIST_SIZE];
    ASSERT_EQ(GetAllIPAddress(adapters), 0);
    EXPECT_NE(std::string(adapters).find("0.0.0.0|"), std::string::npos) << adapters;

    ASSERT_EQ(SetIPAddress(kBox), 0) << lastError();
    ASSERT_EQ(LbxCommand("X", answer), 0) << lastError();
    const std::string side = c.serialSide == sim::kMultiDropSide ? "C3" : "C1";
    EXPECT_EQ(std::string(answer), "V2.1 " + side + " A127.0.0.2 M-") << "without its CR";
    ASSERT_EQ(LbxCommand("M127.0.0.1", answer), 0) << lastError();
    EXPECT_STREQ(answer, "M127.0.0.1");
    ASSERT_EQ(LbxCommand("%", answer), 0) << lastError();
    EXPECT_EQ(box->engine().settings().master, "127.0.0.1");

    ASSERT_EQ(SetTerminal(c.terminal), 0) << lastError();
    ASSERT_EQ(SendCommand("@TIME", reply), 0) << lastError();
    EXPECT_STREQ(reply, "@TIME 081530");
    ASSERT_EQ(PostCommand("@TIME"), 0) << lastError();
    ASSERT_EQ(GetMsgEx(reply), 0) << lastError();
    EXPECT_STREQ(reply, "@TIME 081530");

    bool enciphered = false;
    for (const sim::Datagram& d : box->engine().received()) {
        if (d.type == sim::packet::kEncipheredData) enciphered = true;
        if (!c.encipher) {
            EXPECT_FALSE(sim::isEnciphered(d.type)) << sim::describeDatagram(d);
        }
    }
    EXPECT_EQ(enciphered, c.encipher);
    EXPECT_TRUE(box->engine().unacknowledgedReplies().empty()) << "every reply acknowledged";
    EXPECT_EQ(ExitCOMM(), 0) << lastError();
}

INSTANTIATE_TEST_SUITE_P(
    Sides, NetworkBoxSession,
    ::testing::Values(SessionCase{"MultiDrop", sim::kMultiDropSide, 3, false},
                      SessionCase{"MultiDropEnciphered", sim::kMultiDropSide, 12, true},
                      SessionCase{"Direct", sim::kDirectSide, 0, false},
                      SessionCase{"DirectEnciphered", sim::kDirectSide, 0, true}),
    caseName);

class NetworkBoxFaults : public NetworkBoxSession {};

TEST_P(NetworkBoxFaults, LostAndRepeatedDatagramsAreRecoveredAndErrorsReported) {
    open();
    ASSERT_EQ(SetIPAddress(kBox), 0) << lastError();
    ASSERT_EQ(SetTerminal(3), 0) << lastError();

    sim::BoxFaults faults;
    faults.repeatReplies = 1;
    box->engine().setFaults(faults);
    ASSERT_EQ(SendCommand("@TIME", reply), 0) << lastError();
    EXPECT_STREQ(reply, "@TIME 081530");
    SetWinSockTimeOut(1);
    EXPECT_EQ(GetMsgEx(reply), -1) << "the repeat is not delivered";
    EXPECT_EQ(errorCode(), 79);

    faults = {};
    faults.loseSent = 1;  // the acknowledgement of the command: the library sends it again
    box->engine().setFaults(faults);
    SetWinSockTimeOut(4);
    ASSERT_EQ(SendCommand("@CFG 05", reply), 0) << lastError();
    EXPECT_STREQ(reply, "@CFG 05 0");

    faults = {};
    faults.errorAnswers = 1;
    box->engine().setFaults(faults);
    EXPECT_EQ(SendCommand("@TIME", reply), -1);
    EXPECT_EQ(errorCode(), 96);
    EXPECT_EQ(lastError(), "Error packet received: <>");

    faults = {};
    faults.silent = true;
    box->engine().setFaults(faults);
    SetWinSockTimeOut(1);
    EXPECT_EQ(SetIPAddress(kBox), -1);
    EXPECT_EQ(lastError(), "WinSocket timeout expired: <>");
}

INSTANTIATE_TEST_SUITE_P(Sides, NetworkBoxFaults,
                         ::testing::Values(SessionCase{"MultiDrop", sim::kMultiDropSide, 3,
                                                       false}),
                         caseName);

class NetworkBoxRestart : public NetworkBoxSession {
protected:
    void SetUp() override {
        sim::BoxConfig config;
        config.port = 0;
        config.initOnRestart = true;
        startBox(config, 3);
    }
};

TEST_P(NetworkBoxRestart, PercentAnsweredByAnInitDatagramGivesUdpInit) {
    open();
    ASSERT_EQ(SetIPAddress(kBox), 0) << lastError();
    ASSERT_EQ(LbxCommand("C1", answer), 0) << lastError();
    ASSERT_EQ(LbxCommand("%", answer), 0) << lastError();
    EXPECT_STREQ(answer, "UDP_INIT");
    EXPECT_EQ(box->engine().settings().serialSide, sim::kDirectSide);
    EXPECT_EQ(ChgTerminal(0), 0) << "the library follows the serial side it set";
    EXPECT_EQ(ChgTerminal(3), -1);
}

INSTANTIATE_TEST_SUITE_P(Sides, NetworkBoxRestart,
                         ::testing::Values(SessionCase{"MultiDrop", sim::kMultiDropSide, 3,
                                                       false}),
                         caseName);

TEST(NetworkBoxSocket, ALocalPortInUseIsABindingErrorWithItsSocketNumber) {
    const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t size = sizeof address;
    ::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &size);
    const uint16_t port = ntohs(address.sin_port);
    ASSERT_EQ(InitCOMM(port, 6, 0, 0), port) << lastError();
    ASSERT_EQ(ChangeAdapter("0.0.0.0"), 0);
    EXPECT_EQ(SetIPAddress(kBox), -1);
    EXPECT_EQ(lastError(), "Error binding socket: 10048");
    EXPECT_EQ(ExitCOMM(), 0);
    ::close(holder);
}

}  // namespace
