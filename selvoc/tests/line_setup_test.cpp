// Start-up, speed changes and closing of the port, on the in-memory line.
#include <gtest/gtest.h>

#include "driver_fixture.h"
#include "driver_state.h"
#include "platform/clock.h"
#include "selvoc.h"
#include "silence_echo.h"

namespace selvoc_test {
namespace {

using platform::LineSettings;
using selvoc::driverState;

struct StartUpArguments {
    int32_t port;
    int32_t lineKind;
    int32_t maxAddress;
    int32_t expected;
};

void PrintTo(const StartUpArguments& c, std::ostream* out) {
    *out << "port " << c.port << ", line kind " << c.lineKind << ", max address " << c.maxAddress;
}

class SelvocStartUpTest : public SelvocDriverTest,
                            public ::testing::WithParamInterface<StartUpArguments> {};

TEST_P(SelvocStartUpTest, AcceptsOnlyTheRanges) {
    const StartUpArguments& c = GetParam();
    EXPECT_EQ(InitSlv(c.port, c.lineKind, c.maxAddress, 0), c.expected);
    if (c.expected < 0) {
        EXPECT_FALSE(line->open);
        EXPECT_TRUE(line->sent.empty());
        EXPECT_EQ(RetryNum(), -3);
    } else {
        EXPECT_EQ(driverState().MaxAddress, c.maxAddress);
        EXPECT_EQ(ResetSlv(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, SelvocStartUpTest,
    ::testing::Values(StartUpArguments{0, 0, 1, -1}, StartUpArguments{501, 0, 1, -1},
                      StartUpArguments{1, 4, 1, -1}, StartUpArguments{1, 7, 1, -1},
                      StartUpArguments{1, -1, 1, -1}, StartUpArguments{1, 9, 1, -1},
                      StartUpArguments{1, 0, 0, -1}, StartUpArguments{1, 0, 255, -1},
                      StartUpArguments{500, 3, 254, 1}, StartUpArguments{2, 0, 1, 760},
                      StartUpArguments{7, 2, 10, 1}));

struct PortResult {
    int32_t port;
    int32_t expected;
};

TEST_F(SelvocDriverTest, SuccessResultAndOpenedPortFollowThePortNumber) {
    const PortResult cases[] = {{1, 1016}, {2, 760}, {3, 1000}, {4, 744},
                                {5, 1},    {9, 1},   {10, 1},   {500, 1}};
    auto opened = std::make_shared<std::vector<int>>();
    openFaultyPorts(line, PortFaults{}, opened);
    for (const PortResult& c : cases) {
        SCOPED_TRACE(c.port);
        EXPECT_EQ(InitSlv(c.port, 0, 1, 0), c.expected);
        ASSERT_FALSE(opened->empty());
        EXPECT_EQ(opened->back(), c.port);
        EXPECT_EQ(ResetSlv(), 0);
    }
}

TEST_F(SelvocDriverTest, InitNetPollsWithCodeSix) {
    ASSERT_EQ(InitNET(4, 0, 1, 0), 744);
    bus.pollAnswers = {"P"};
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollTerm(9, text), 1);
    EXPECT_EQ(bus.polls(), (std::vector<std::pair<int, int>>{{9, 6}}));
}

struct Refusal {
    const char* name;
    bool MemoryLine::*refuse;
    int32_t expected;
};

TEST_F(SelvocDriverTest, RefusedStepsCloseThePortAndReportTheirResult) {
    const Refusal cases[] = {
        {"open", &MemoryLine::refuseOpen, -2},
        {"buffer sizes", &MemoryLine::refuseBufferSizes, -9},
        {"address setting", &MemoryLine::refuseApply, -5},
        {"time-outs", &MemoryLine::refuseTimeouts, -6},
    };
    openFaultyPorts(line, PortFaults{.handle = 42});
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        (*line).*c.refuse = true;
        EXPECT_EQ(InitSlv(1, 0, 5, 0), c.expected);
        EXPECT_FALSE(line->open);
        EXPECT_EQ(hComId, -1);
        EXPECT_EQ(GetCOMHandle(), 0);
        EXPECT_EQ(RetryNum(), -3);
        EXPECT_EQ(ResetSlv(), -1);
        (*line).*c.refuse = false;
    }
    EXPECT_EQ(InitSlv(1, 0, 5, 0), 1016);
    EXPECT_EQ(hComId, 42);
}

TEST_F(SelvocDriverTest, NoHighResolutionCounterGivesMinusSevenBeforeOpening) {
    platform::overrideCounterFrequency(0);
    EXPECT_EQ(InitSlv(1, 0, 5, 0), -7);
    EXPECT_FALSE(line->open);
    EXPECT_EQ(hComId, -1);
}

TEST_F(SelvocDriverTest, SecondStartUpIsRefusedAndLeavesTheOpenPortAsItWas) {
    openWired(0, 5);
    const LineSettings address = driverState().AddressSetting;
    EXPECT_EQ(InitSlv(2, 0, 5, 0), -3);
    EXPECT_EQ(InitNET(2, 3, 9, 0), -3);
    EXPECT_EQ(InitSlv(2, 8, 9, 0), -3);
    EXPECT_TRUE(line->open);
    EXPECT_FALSE(driverState().RadioMode);
    EXPECT_EQ(driverState().WaitFactor, 1);
    EXPECT_EQ(driverState().MaxAddress, 5);
    EXPECT_EQ(driverState().AddressSetting, address);
    bus.pollAnswers = {"P"};
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollTerm(3, text), 1);
    EXPECT_EQ(bus.polls(), (std::vector<std::pair<int, int>>{{3, 3}}));
}

TEST_F(SelvocDriverTest, WiredLineGetsTheBusSettings) {
    ASSERT_EQ(InitSlv(1, 0, 5, 0), 1016);
    const LineSettings expectedAddress{.baud = 57600, .dataBits = 8, .parity = Parity::Mark,
                                       .stopBits = 1, .xonXoff = false, .dtr = false,
                                       .rts = true};
    LineSettings expectedData = expectedAddress;
    expectedData.parity = Parity::Space;
    EXPECT_EQ(line->settings, expectedAddress);
    EXPECT_EQ(driverState().DataSetting, expectedData);
    EXPECT_FALSE(line->dtr);
    EXPECT_TRUE(line->rts);
    EXPECT_EQ(line->receiveBufferSize, 256u);
    EXPECT_EQ(line->transmitBufferSize, 128u);
    EXPECT_EQ(driverState().CharDelay, 2);
    EXPECT_EQ(driverState().ReplyWait, 1);
    EXPECT_EQ(driverState().EchoWait, 3);
    EXPECT_EQ(driverState().Tick, 1'000'000'000 / 950);
    EXPECT_EQ(driverState().FineTick, 1'000'000'000 / 9500);
    // The echo probe: "1" under the address setting.
    ASSERT_EQ(line->sent.size(), 1u);
    EXPECT_EQ(line->sent[0].value, '1');
    EXPECT_EQ(line->sent[0].settings.parity, Parity::Mark);
}

TEST_F(SelvocDriverTest, SlowLineKindWaitsNineTimesAsLongForFirstReplies) {
    openWired(3);
    EXPECT_EQ(driverState().WaitFactor, 9);
    char text[SELVOC_TEXT_SIZE];
    const int64_t start = platform::counterNow();
    EXPECT_EQ(PollTerm(1, text), 0);
    EXPECT_GE(platform::counterNow() - start, 9 * driverState().Tick);
}

TEST_F(SelvocDriverTest, EchoingLineIsDetectedAndEveryByteSentIsFollowedByReadingItsEcho) {
    bus.echo = true;
    openWired();
    EXPECT_TRUE(driverState().EchoMode);
    // The echoes of the address and the poll code are read back, so "P" is the answer.
    bus.pollAnswers = {"P"};
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollTerm(4, text), 1);
}

TEST_F(SelvocDriverTest, QuietLineReadsNoEchoAfterABytesSent) {
    openWired();
    EXPECT_FALSE(driverState().EchoMode);
    // The answer arrives while the poll code is still being sent; no echo read may take it.
    line->peer = [](MemoryLine& l, uint8_t byte) {
        if (l.settings.parity == Parity::Mark && byte == 4) l.feed("P");
    };
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollTerm(4, text), 1);
}

TEST_F(SelvocDriverTest, EchoTestWantsTheProbeItselfBack) {
    line->peer = [](MemoryLine& l, uint8_t) { l.feed("2"); };
    openWired();
    EXPECT_FALSE(driverState().EchoMode);
}

TEST_F(SelvocDriverTest, BytesWaitingBeforeTheStartUpAreDiscarded) {
    // A stale "1" must not pass for the echo of the probe.
    line->feed("1111");
    openWired();
    EXPECT_FALSE(driverState().EchoMode);
    EXPECT_TRUE(line->incoming.empty());
}

TEST_F(SelvocDriverTest, SilenceWaitRestartsOnTrafficAndEndsWhenTheLineFallsQuiet) {
    openFaultyPorts(line, PortFaults{.noisyReads = 50});
    EXPECT_EQ(InitSlv(1, 0, 5, 0), 1016);
    EXPECT_TRUE(line->open);
}

TEST_F(SelvocDriverTest, SilenceWaitGivesUpOnALineThatNeverFallsQuiet) {
    openFaultyPorts(line, PortFaults{.handle = 42, .noisyReads = -1});
    const int64_t start = platform::counterNow();
    EXPECT_EQ(InitSlv(1, 0, 5, 0), -2);
    const int64_t elapsed = platform::counterNow() - start;
    EXPECT_GE(elapsed, selvoc::kSilenceWaitLimitTicks * (1'000'000'000 / 950));
    EXPECT_LT(elapsed, 30'000'000'000);
    EXPECT_FALSE(line->open);
    EXPECT_EQ(hComId, -1);
    EXPECT_EQ(GetCOMHandle(), 0);
    EXPECT_EQ(RetryNum(), -3);
    EXPECT_TRUE(line->sent.empty());
}

TEST_F(SelvocDriverTest, RadioLineRunsTheModemStartUpWithoutParity) {
    // A line that echoed at the last start-up must not leave echo reading on for the radio.
    bus.echo = true;
    openWired();
    ASSERT_TRUE(driverState().EchoMode);
    ASSERT_EQ(ResetSlv(), 0);
    line->sent.clear();
    bus.echo = false;
    line->peer = [](MemoryLine& l, uint8_t byte) {
        if (byte == '\r') l.feed("OK\r\n");
    };

    const int64_t start = platform::counterNow();
    EXPECT_EQ(InitSlv(3, 8, 5, 0), 1000);
    EXPECT_GE(platform::counterNow() - start, int64_t{910} * 1'000'000);
    EXPECT_EQ(line->sentText(), "+++ATR\rATS220=1\rATS204=10\rATO\r");
    for (const platform::SentByte& sent : line->sent) {
        EXPECT_EQ(sent.settings.parity, Parity::None);
        EXPECT_EQ(sent.settings.baud, 19200);
    }
    EXPECT_TRUE(driverState().RadioMode);
    EXPECT_FALSE(driverState().EchoMode);
    EXPECT_EQ(driverState().ReplyWait, 500);
    EXPECT_EQ(driverState().EchoWait, 500);
    EXPECT_EQ(driverState().DataSetting.parity, Parity::None);
}

TEST_F(SelvocDriverTest, RadioLineKeepsItsWaitsAndNoParityAcrossSpeedChanges) {
    ASSERT_EQ(InitSlv(1, 8, 5, 0), 1016);
    for (int32_t speed : {0, 1, 3}) {
        SCOPED_TRACE(speed);
        EXPECT_EQ(ChgSpeedSlv(speed), 0);
        EXPECT_EQ(driverState().ReplyWait, 500);
        EXPECT_EQ(driverState().EchoWait, 500);
        EXPECT_EQ(line->settings.parity, Parity::None);
    }
    // Polls go out without parity too.
    line->sent.clear();
    line->peer = [](MemoryLine& l, uint8_t byte) {
        if (byte == 3) l.feed("P");
    };
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollTerm(2, text), 1);
    ASSERT_EQ(line->sent.size(), 2u);
    EXPECT_EQ(line->sent[0].settings.parity, Parity::None);
}

struct SpeedCase {
    int32_t speedIndex;
    int baud;
    int charDelay;
    int replyWait;
    int echoWait;
};

TEST_F(SelvocDriverTest, SpeedChangesFollowTheSpeedAndTimingTables) {
    const SpeedCase cases[] = {{0, 9600, 12, 2, 6},
                               {3, 57600, 2, 1, 3},
                               {1, 19200, 6, 2, 6},
                               {2, 38400, 3, 1, 3}};
    openWired();
    for (const SpeedCase& c : cases) {
        SCOPED_TRACE(c.speedIndex);
        line->feed("stale");
        const int purges = line->purges;
        EXPECT_EQ(ChgSpeedSlv(c.speedIndex), 0);
        EXPECT_EQ(line->settings.baud, c.baud);
        EXPECT_EQ(line->settings.parity, Parity::Mark);
        EXPECT_EQ(driverState().DataSetting.baud, c.baud);
        EXPECT_EQ(driverState().DataSetting.parity, Parity::Space);
        EXPECT_EQ(driverState().CharDelay, c.charDelay);
        EXPECT_EQ(driverState().ReplyWait, c.replyWait);
        EXPECT_EQ(driverState().EchoWait, c.echoWait);
        EXPECT_GT(line->purges, purges);
        EXPECT_TRUE(line->incoming.empty());
    }
}

TEST_F(SelvocDriverTest, RefusedSpeedChangesChangeNothing) {
    EXPECT_EQ(ChgSpeedSlv(1), -3);
    EXPECT_EQ(ChgSpeedNET(1), -3);
    openWired();
    ASSERT_EQ(ChgSpeedSlv(1), 0);
    const LineSettings before = line->settings;
    for (int32_t speed : {4, -1, 100}) {
        EXPECT_EQ(ChgSpeedSlv(speed), -1);
        EXPECT_EQ(ChgSpeedNET(speed), -1);
    }
    // A port that refuses the new speed stays at its previous speed and timing.
    line->refuseApply = true;
    EXPECT_EQ(ChgSpeedSlv(3), -4);
    line->refuseApply = false;
    EXPECT_EQ(line->settings, before);
    EXPECT_EQ(driverState().AddressSetting, before);
    EXPECT_EQ(driverState().DataSetting.baud, 19200);
    EXPECT_EQ(driverState().CharDelay, 6);
    EXPECT_EQ(driverState().ReplyWait, 2);
    EXPECT_EQ(driverState().EchoWait, 6);
    EXPECT_EQ(ChgSpeedNET(0), 0);
    EXPECT_EQ(line->settings.baud, 9600);
}

TEST_F(SelvocDriverTest, HandlesFollowOpenAndClose) {
    EXPECT_EQ(hComId, -1);
    EXPECT_EQ(GetCOMHandle(), 0);
    EXPECT_EQ(ResetSlv(), -1);
    EXPECT_EQ(GetCOMHandle(), 0);

    openFaultyPorts(line, PortFaults{.handle = 42});
    ASSERT_EQ(InitSlv(1, 0, 5, 0), 1016);
    EXPECT_EQ(hComId, 42);
    EXPECT_EQ(GetCOMHandle(), 42);

    EXPECT_EQ(ResetSlv(), 0);
    EXPECT_FALSE(line->open);
    EXPECT_EQ(GetCOMHandle(), -1);
    EXPECT_EQ(hComId, 42);  // closing leaves the number of the last port
    EXPECT_EQ(ResetSlv(), -1);
    EXPECT_EQ(ResetNET(), -1);
    EXPECT_EQ(GetCOMHandle(), -1);

    line->refuseOpen = true;
    EXPECT_EQ(InitSlv(1, 0, 5, 0), -2);
    EXPECT_EQ(hComId, -1);
    EXPECT_EQ(GetCOMHandle(), -1);
}

TEST_F(SelvocDriverTest, FailedCloseStillLeavesTheDriverWithoutAPort) {
    openWired();
    line->refuseClose = true;
    EXPECT_EQ(ResetNET(), -1);
    EXPECT_EQ(GetCOMHandle(), -1);
    EXPECT_EQ(RetryNum(), -3);
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollTerm(1, text), -3);
    line->refuseClose = false;
    EXPECT_EQ(InitSlv(1, 0, 5, 0), 1016);
}

}  // namespace
}  // namespace selvoc_test
