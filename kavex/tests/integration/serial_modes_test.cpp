// The real libkavex.so (and, in the Selvo modes, libselvoc.so) against simulated terminals over
// pseudo-terminals, in every serial connection mode.
#include <gtest/gtest.h>

#include <string>

#include "kavex.h"
#include "sim_session.h"

namespace {

using kavex_test::errorCode;
using kavex_test::kPort;
using kavex_test::lastError;
using kavex_test::makeDevice;
using kavex_test::SimSession;

struct ModeCase {
    const char* name;
    int mode;
    int baud;
    int format;
    int terminal;
};

const ModeCase kModes[] = {
    {"Selvo0", 0, 0, -1, 12},     {"Selvo1", 1, 57600, 0, 12},     {"Selvo2", 5, 19200, 0, 3},
    {"SelvoRadio", 8, 19200, 0, 12}, {"LineDriver", 2, 9600, 0, 5}, {"Direct", 3, 9600, 0, 0},
    {"IndirectRelay", 4, 9600, 0, 0}, {"IndirectRouted", 4, 19200, 2, 7},
};

class SerialMode : public ::testing::TestWithParam<ModeCase> {
protected:
    void SetUp() override {
        Set232TimeOut(3);
        config.parameters[5] = "HELLO";
    }
    void TearDown() override {
        ExitCOMM();
        Set232TimeOut(10);
    }
    int32_t open() {
        const ModeCase& c = GetParam();
        return InitCOMM(kPort, c.mode, c.baud, c.format);
    }
    sim::TerminalConfig config;
};

TEST_P(SerialMode, SelectsLogsOnAndExchangesCommands) {
    const ModeCase& c = GetParam();
    SimSession session(makeDevice(c.mode, c.terminal, config));
    ASSERT_GT(open(), 0) << lastError();
    ASSERT_EQ(SetTerminal(c.terminal), 0) << lastError();
    EXPECT_TRUE(session.device().terminal->loggedOn() || c.mode == 0 || c.mode == 1 ||
                c.mode == 5 || c.mode == 8 || c.mode == 2);

    char reply[KAVEX_REPLY_SIZE];
    ASSERT_EQ(SendCommand("@CFG 05", reply), 0) << lastError();
    EXPECT_STREQ(reply, "@CFG 05 HELLO");
    ASSERT_EQ(SendCommand("@CFG 06 WORLD", reply), 0) << lastError();
    EXPECT_STREQ(reply, "@CFG 06 WORLD");
    EXPECT_EQ(session.device().terminal->parameter(6), "WORLD");

    ASSERT_EQ(PostCommand("@CFG 05"), 0) << lastError();
    ASSERT_EQ(GetMsgEx(reply), 0) << lastError();
    EXPECT_STREQ(reply, "@CFG 05 HELLO");
    EXPECT_EQ(GetMsgEx(reply), -1) << "nothing more was sent";

    ASSERT_EQ(SendCommand("BOGUS", reply), 0) << lastError();
    EXPECT_STREQ(reply, "BOGUS ??");
    EXPECT_EQ(ExitCOMM(), 0) << lastError();
    EXPECT_EQ(errorCode(), 0);
}

TEST_P(SerialMode, SilentTerminalCannotBeSelected) {
    const ModeCase& c = GetParam();
    SimSession session(makeDevice(c.mode, c.terminal, config));
    session.device().terminal->setFaults({.silent = true});
    Set232TimeOut(1);
    ASSERT_GT(open(), 0) << lastError();
    const int32_t result = SetTerminal(c.terminal);
    const int32_t code = errorCode();
    const bool polled = c.mode == 0 || c.mode == 1 || c.mode == 5 || c.mode == 8;
    if (polled) {
        // The bus still acknowledges polls for the station, so the wake-up succeeds and the
        // identification finds no answer.
        EXPECT_EQ(result, -2) << lastError();
    } else if (c.mode == 4 && c.terminal != 0) {
        // The relay answers the dialogue; the routed terminal says nothing to its identification.
        EXPECT_EQ(result, -2) << lastError();
    } else {
        EXPECT_EQ(result, -1);
        EXPECT_EQ(code, 45) << lastError();
    }
}

INSTANTIATE_TEST_SUITE_P(Kavex, SerialMode, ::testing::ValuesIn(kModes),
                         [](const auto& mode) { return std::string(mode.param.name); });

class SerialLink : public ::testing::Test {
protected:
    void TearDown() override {
        ExitCOMM();
        Set232TimeOut(10);
    }
};

TEST_F(SerialLink, PasswordPromptIsAnsweredWithTheSetPassword) {
    sim::TerminalConfig config;
    config.password = "4321";
    SimSession session(makeDevice(3, 0, config));
    ASSERT_EQ(SetPassword("4321"), 0);
    ASSERT_GT(InitCOMM(kPort, 3, 9600, 0), 0);
    EXPECT_EQ(SetTerminal(0), -1) << "InitCOMM restored the default password";
    EXPECT_EQ(errorCode(), 0) << "a refused password leaves the error as it was";
    char reply[KAVEX_REPLY_SIZE];
    EXPECT_EQ(SendCommand("@TIME", reply), -1);
    EXPECT_EQ(errorCode(), 4);
    ASSERT_EQ(SetPassword("4321"), 0);
    ASSERT_EQ(SetTerminal(0), 0) << lastError();
    EXPECT_TRUE(session.device().terminal->loggedOn());
}

TEST_F(SerialLink, IdentificationOnTheBusAnswersThePasswordPrompt) {
    sim::TerminalConfig config;
    config.password = "70346";
    config.model = "Ovrid";
    SimSession session(makeDevice(8, 9, config));
    ASSERT_GT(InitCOMM(kPort, 8, 19200, 0), 0) << lastError();
    EXPECT_EQ(SetTerminal(9), 0) << lastError();
    EXPECT_EQ(SetTerminal(10), -1) << "no station at 10";
    EXPECT_EQ(errorCode(), 47);
    char reply[KAVEX_REPLY_SIZE];
    EXPECT_EQ(SendCommand("@TIME", reply), -1) << "a failed selection deselects";
    EXPECT_EQ(errorCode(), 4);
}

TEST_F(SerialLink, LineDriverReplyFromAnotherTerminalIsRefused) {
    sim::TerminalConfig config;
    SimSession session(makeDevice(2, 5, config));
    ASSERT_GT(InitCOMM(kPort, 2, 38400, 4), 0) << lastError();
    ASSERT_EQ(SetTerminal(5), 0) << lastError();
    EXPECT_TRUE(session.device().driver->stamping()) << "the set-up turned the time stamp on";
    session.device().driver->setFaults({.wrongNumbers = 1});
    char reply[KAVEX_REPLY_SIZE];
    EXPECT_EQ(SendCommand("@CFG 01", reply), -1);
    EXPECT_EQ(errorCode(), 41) << lastError();
    session.device().driver->setFaults({.sendFailures = 1});
    EXPECT_EQ(SendCommand("@CFG 01", reply), -1);
    EXPECT_EQ(errorCode(), 42) << lastError();
    EXPECT_EQ(SendCommand("@CFG 01", reply), 0) << lastError();
    EXPECT_STREQ(reply, "@CFG 01 0");
}

TEST_F(SerialLink, RestartCommandWaitsAndPauses) {
    sim::TerminalConfig config;
    SimSession session(makeDevice(3, 0, config));
    ASSERT_GT(InitCOMM(kPort, 3, 9600, 0), 0);
    ASSERT_EQ(SetTerminal(0), 0) << lastError();
    char reply[KAVEX_REPLY_SIZE];
    ASSERT_EQ(SendCommand("%%", reply), 0) << lastError();
    EXPECT_STREQ(reply, "RESTART");
}

TEST(KavexVersions, BothLibrariesReportTheirFileVersion) {
    char text[KAVEX_VERSION_SIZE];
    ASSERT_EQ(GetKavexVersion(text), 0);
    EXPECT_STREQ(text, KAVEX_EXPECTED_VERSION);
    ASSERT_EQ(GetSelvocVersion(text), 0);
    EXPECT_STREQ(text, KAVEX_EXPECTED_VERSION);
    EXPECT_EQ(GetKavexVersion(nullptr), -1);
    EXPECT_EQ(errorCode(), 3);
}

}  // namespace
