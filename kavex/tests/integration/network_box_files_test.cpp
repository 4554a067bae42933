// The terminal operations of the real libkavex.so behind the simulated network box over
// loopback UDP: the clock and a parameter, listing, receiving with its checks, keyed reads, a
// terminal that falls silent mid-file, and sending.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "kavex.h"
#include "sim/network_box.h"
#include "sim/terminal.h"
#include "sim_session.h"
#include "temporary_files.h"

namespace {

using kavex_test::errorCode;
using kavex_test::fileExists;
using kavex_test::lastError;
using kavex_test::readBytes;
using kavex_test::TemporaryFolder;
using kavex_test::writeBytes;
using Records = std::vector<std::string>;

constexpr const char* kBox = "127.0.0.2";
constexpr int kTerminal = 3;

std::string crlfText(const Records& records) {
    std::string text;
    for (const std::string& r : records) text += r + "\r\n";
    return text;
}

class NetworkBoxFiles : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 1000; ++i) big.push_back("B" + std::to_string(i) + " punch line");
        sim::TerminalConfig config;
        config.files['A']["EMPTY"] = {};
        config.files['A']["ONE"] = {"only"};
        config.files['A']["THREE"] = {"x", "", "z"};
        config.files['A']["BIG"] = big;
        terminal = std::make_shared<sim::Terminal>(config);
        sim::BoxConfig box;
        box.port = 0;
        box.settings.serialSide = sim::kMultiDropSide;
        network = std::make_unique<sim::NetworkBox>(box);
        network->attach(kTerminal, terminal);
        network->start();

        SetWinSockTimeOut(3);
        const uint16_t port = kavex_test::freeUdpPort();
        ASSERT_EQ(InitCOMM(port, 6, 0, 0), port) << lastError();
        ASSERT_EQ(ChangeAdapter("0.0.0.0"), 0) << lastError();
        ASSERT_EQ(SetRemoteUDPPort(network->port()), 0) << lastError();
        ASSERT_EQ(SetIPAddress(kBox), 0) << lastError();
        ASSERT_EQ(SetTerminal(kTerminal), 0) << lastError();
    }
    void TearDown() override {
        ExitCOMM();
        SetWinSockTimeOut(7);
    }
    int32_t receive(const char* name) { return RecvFile(name, local.c_str()); }
    std::string localText() const { return fileExists(local) ? readBytes(local) : "-"; }

    Records big;
    std::shared_ptr<sim::Terminal> terminal;
    std::unique_ptr<sim::NetworkBox> network;
    TemporaryFolder folder;
    const std::string local = folder.file("local");
};

TEST_F(NetworkBoxFiles, ClockParameterAndListing) {
    char value[KAVEX_REPLY_SIZE];
    ASSERT_EQ(SetDate("1240101"), 0) << lastError();
    ASSERT_EQ(GetDate(value), 0) << lastError();
    EXPECT_STREQ(value, "1240101");
    ASSERT_EQ(SetParameter(12, "BOX"), 0) << lastError();
    ASSERT_EQ(GetParameter(12, value), 0) << lastError();
    EXPECT_STREQ(value, "BOX");
    char entries[KAVEX_LIST_BUFFER_SIZE];
    ASSERT_EQ(ListFiles(nullptr, entries), 5) << lastError();
    EXPECT_STREQ(entries + 4 * KAVEX_LIST_ENTRY_SIZE, "THREE    8");
}

TEST_F(NetworkBoxFiles, ReceivesFilesWithTheirChecksAndKeys) {
    for (const char* name : {"EMPTY", "ONE", "THREE", "BIG"}) {
        SCOPED_TRACE(name);
        const Records records = *terminal->file('A', name);
        ASSERT_EQ(receive(name), static_cast<int32_t>(records.size())) << lastError();
        EXPECT_EQ(localText(), crlfText(records));
    }
    ASSERT_EQ(SetKeyRecStr("B998"), 0);
    ASSERT_EQ(receive("BIG"), 1) << lastError();
    EXPECT_EQ(localText(), "B999 punch line\r\n");

    terminal->setFaults({.wrongChecksums = 1});
    EXPECT_EQ(receive("THREE"), -1);
    EXPECT_EQ(errorCode(), 68);
    EXPECT_EQ(localText(), "-");

    terminal->setFaults({.breakAfterRecords = 200});
    EXPECT_EQ(receive("BIG"), -1);
    EXPECT_EQ(errorCode(), 79) << lastError();
    EXPECT_EQ(localText(), "-");
    ASSERT_EQ(receive("ONE"), 1) << "the link is clean: " << lastError();
}

TEST_F(NetworkBoxFiles, SendsAFileAndAProgram) {
    const std::string source = folder.file("source");
    writeBytes(source, crlfText(big));
    ASSERT_EQ(SendFile(source.c_str(), "COPY", 0, 0), 1000) << lastError();
    EXPECT_EQ(terminal->file('A', "COPY"), big);
    writeBytes(source, "P1\r\nP2\r\n");
    ASSERT_EQ(SendPrg(source.c_str()), 2) << lastError();
    EXPECT_EQ(terminal->program(), (Records{"P1", "P2"}));
}

}  // namespace
