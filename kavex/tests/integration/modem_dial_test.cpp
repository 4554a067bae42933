// The real libkavex.so dialling the simulated modem over a pseudo-terminal, on each serial line
// a modem may stand on: dial, log on to the terminal behind the modem, exchange a command, hang
// up. Then the modem's failures as the library reports them, and the modes without a modem.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../temporary_files.h"
#include "kavex.h"
#include "sim_session.h"

namespace {

using kavex_test::errorCode;
using kavex_test::kPort;
using kavex_test::lastError;
using kavex_test::makeDevice;
using kavex_test::SimSession;
using kavex_test::withModem;
using Strings = std::vector<std::string>;

constexpr const char* kNumber = "5551234";

class ModemDial : public ::testing::Test {
protected:
    void SetUp() override { Set232TimeOut(3); }
    void TearDown() override {
        ExitCOMM();
        Set232TimeOut(10);
    }
};

struct LineCase {
    const char* name;
    int mode;
    int terminal;
    const char* init;
};

class ModemLine : public ModemDial, public ::testing::WithParamInterface<LineCase> {};

TEST_P(ModemLine, DialsLogsOnExchangesAndHangsUp) {
    const LineCase& c = GetParam();
    sim::TerminalConfig config;
    config.parameters[5] = "HELLO";
    SimSession session(withModem(makeDevice(c.mode, c.terminal, config), {.speed = 19200}));
    sim::HayesModem& modem = *session.device().modem;
    ASSERT_GT(InitCOMM(kPort, c.mode, 9600, 0), 0) << lastError();

    ASSERT_EQ(DialNumber(c.init, kNumber, 60), 0) << lastError();
    EXPECT_TRUE(modem.inDataMode());
    EXPECT_EQ(modem.dialled(), (Strings{kNumber}));
    EXPECT_EQ(modem.reg(7), 60);
    ASSERT_EQ(SetTerminal(c.terminal), 0) << lastError();
    char reply[KAVEX_REPLY_SIZE];
    ASSERT_EQ(SendCommand("@CFG 05", reply), 0) << lastError();
    EXPECT_STREQ(reply, "@CFG 05 HELLO");

    EXPECT_EQ(HangUp(), 0) << lastError();
    EXPECT_FALSE(modem.connected());
    Strings expected{"ATE1Q0S7=60"};
    if (c.init != nullptr) expected.push_back(c.init);
    expected.insert(expected.end(), {"ATE1Q0S7=60", "ATD5551234", "ATH"});
    EXPECT_EQ(modem.commands(), expected);
    EXPECT_EQ(ExitCOMM(), 0) << lastError();
}

// The modem loses the carrier in the middle of a file: it says NO CARRIER and, back in command
// mode, echoes whatever comes next. The transfer fails at once with no local file left, so does
// every exchange after it, and the call dialled again carries the whole file.
TEST_P(ModemLine, ACarrierLostMidFileFailsAtOnceUntilTheModemIsDialledAgain) {
    const LineCase& c = GetParam();
    sim::TerminalConfig config;
    sim::Records records;
    for (int i = 0; i < 40; ++i) records.push_back("RECORD" + std::to_string(100 + i));
    config.files['A']["LONG"] = records;
    SimSession session(withModem(makeDevice(c.mode, c.terminal, config)));
    sim::HayesModem& modem = *session.device().modem;
    kavex_test::TemporaryFolder folder;
    const std::string local = folder.file("LONG");
    ASSERT_GT(InitCOMM(kPort, c.mode, 9600, 0), 0) << lastError();
    ASSERT_EQ(DialNumber(c.init, kNumber, 45), 0) << lastError();
    ASSERT_EQ(SetTerminal(c.terminal), 0) << lastError();

    modem.setFaults({.dropAfter = 200});  // the listing, then some ten records
    EXPECT_EQ(RecvFile("LONG", local.c_str()), -1);
    EXPECT_EQ(errorCode(), 40) << lastError();
    EXPECT_FALSE(modem.connected());
    EXPECT_FALSE(std::filesystem::exists(local)) << "a partial local file";
    char reply[KAVEX_REPLY_SIZE];
    EXPECT_EQ(SendCommand("@CFG 05", reply), -1);
    EXPECT_EQ(errorCode(), 40) << lastError();
    EXPECT_EQ(RecvFile("LONG", local.c_str()), -1);
    EXPECT_FALSE(std::filesystem::exists(local));

    EXPECT_EQ(HangUp(), 0) << lastError();
    ASSERT_EQ(DialNumber(c.init, kNumber, 45), 0) << lastError();
    ASSERT_EQ(SetTerminal(c.terminal), 0) << lastError();
    EXPECT_EQ(RecvFile("LONG", local.c_str()), 40) << lastError();
    std::string text;
    for (const std::string& record : records) text += record + "\r\n";
    EXPECT_EQ(kavex_test::readBytes(local), text);
}

INSTANTIATE_TEST_SUITE_P(Kavex, ModemLine,
                         ::testing::Values(LineCase{"Direct", 3, 0, "ATZ"},
                                           LineCase{"LineDriver", 2, 5, nullptr},
                                           LineCase{"IndirectRouted", 4, 7, "AT&F"}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(ModemDial, TheModemsFailuresGiveTheirErrors) {
    const struct {
        const char* name;
        sim::ModemConfig config;
        sim::ModemFaults faults;
        const char* init;
        int32_t result;
        int32_t error;
    } cases[] = {
        {"busy", {.outcome = sim::DialOutcome::Busy}, {}, nullptr, -1, 83},
        {"no carrier", {.outcome = sim::DialOutcome::NoCarrier}, {}, nullptr, -1, 83},
        {"garbled dial echo", {}, {.garbledEchoes = 3}, nullptr, -1, 82},
        {"garbled init echo", {}, {.garbledEchoes = 2}, "ATZ", -1, 86},
        {"refused init", {}, {.refuse = "AT&F"}, "AT&F5", -2, 86},
        {"refused set-up", {}, {.refuse = "ATE1", .bareRefusal = true}, nullptr, -1, 85},
        {"silent modem", {}, {.silent = true}, nullptr, -2, 87},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimSession session(withModem(makeDevice(3, 0, {}), c.config));
        session.device().modem->setFaults(c.faults);
        ASSERT_GT(InitCOMM(kPort, 3, 9600, 0), 0) << lastError();
        EXPECT_EQ(DialNumber(c.init, kNumber, 45), c.result);
        EXPECT_EQ(errorCode(), c.error) << lastError();
        EXPECT_FALSE(session.device().modem->inDataMode());
        ASSERT_EQ(ExitCOMM(), 0);
    }
}

TEST_F(ModemDial, AModemThatDoesNotAnswerTheHangUpGivesError84) {
    SimSession session(withModem(makeDevice(3, 0, {})));
    ASSERT_GT(InitCOMM(kPort, 3, 9600, 0), 0) << lastError();
    ASSERT_EQ(DialNumber(nullptr, kNumber, 45), 0) << lastError();
    session.device().modem->setFaults({.refuse = "ATH", .bareRefusal = true});
    EXPECT_EQ(HangUp(), -1);
    EXPECT_EQ(errorCode(), 84) << lastError();
    EXPECT_TRUE(session.device().modem->connected()) << "still on the line";
}

TEST_F(ModemDial, ModesWithoutAModemLineAreRefused) {
    const struct {
        int mode;
        int port;
        int baud;
    } cases[] = {{0, kPort, 0}, {5, kPort, 19200}, {6, 47311, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        SimSession session(makeDevice(c.mode == 6 ? 0 : c.mode, 1, {}));
        ASSERT_GT(InitCOMM(c.port, c.mode, c.baud, c.mode == 6 ? 0 : -1), 0) << lastError();
        EXPECT_EQ(DialNumber(nullptr, kNumber, 45), -1);
        EXPECT_EQ(errorCode(), 5);
        EXPECT_EQ(HangUp(), -1);
        EXPECT_EQ(errorCode(), 5);
        ASSERT_EQ(ExitCOMM(), 0) << lastError();
    }
}

}  // namespace
