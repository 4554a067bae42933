// The command exchange on a direct RS232 line (mode 3; mode 4 frames the same way): how reply
// lines are read, the errors of the line, the checks of each export, and the waits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kavex_fixture.h"
#include "platform/clock.h"

namespace kavex_test {
namespace {

using namespace std::string_literals;

class ExchangeTest : public KavexLineTest {
protected:
    void SetUp() override {
        KavexLineTest::SetUp();
        open(3);
        ASSERT_EQ(ChgTerminal(0), 0);
        mark();
    }
};

struct LineCase {
    const char* name;
    std::string bytes;
    int32_t result;
    int32_t error;
    std::string text;
};

TEST_F(ExchangeTest, SendCommandReadsTheReplyLineByTheLineRules) {
    const LineCase cases[] = {
        {"plain", "OK\r", 0, 0, "OK"},
        {"line feed and NUL skipped at the start", "\n\0\nOK\r"s, 0, 0, "OK"},
        {"line feed kept inside", "O\nK\r", 0, 0, "O\nK"},
        {"flow control bytes dropped", "\x11O\x13K\x11\r", 0, 0, "OK"},
        {"NUL inside ends the text", "AB\0CD\r"s, 0, 0, "AB"},
        {"127 characters", std::string(127, 'x') + "\r", 0, 0, std::string(127, 'x')},
        {"128th character", std::string(128, 'x') + "\r", -1, 93, ""},
        {"partial line at the time-out", "PARTIAL", -1, 35, ""},
        {"nothing", "", -1, 40, ""},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        answerRaw(c.bytes);
        std::memset(reply, 0, sizeof reply);
        EXPECT_EQ(SendCommand("Q", reply), c.result);
        EXPECT_EQ(errorCode(), c.error) << errorText();
        if (c.result == 0) {
            EXPECT_EQ(std::string(reply), c.text);
        }
    }
}

TEST_F(ExchangeTest, TheRestOfALineAfterANulIsReadAndTheNextLineFollows) {
    answerRaw("AB\0CD\rNEXT\r"s);
    ASSERT_EQ(SendCommand("Q", reply), 0);
    EXPECT_STREQ(reply, "AB");
    ASSERT_EQ(GetMsgEx(reply), 0);
    EXPECT_STREQ(reply, "NEXT");
}

TEST_F(ExchangeTest, LineErrorFlagsEndTheReadExceptFramingWithBreak) {
    const struct {
        uint32_t flags;
        const char* delayedReply;
        int32_t result;
        int32_t error;
        const char* text;
    } cases[] = {
        {platform::kLineParity, nullptr, -1, 70, "Windows error: 4"},
        {platform::kLineFraming, nullptr, -1, 70, "Windows error: 8"},
        {platform::kLineFraming | platform::kLineBreak, "OK\r", 0, 70, "Windows error: 24"},
        {platform::kLineFraming | platform::kLineBreak, nullptr, -1, 40,
         "No reply from terminal: <>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        terminal.handler = [&](const std::string&) -> std::optional<std::string> {
            line->pendingErrors = c.flags;
            if (c.delayedReply != nullptr) line->feedAfter(50, c.delayedReply);
            return std::nullopt;
        };
        EXPECT_EQ(SendCommand("Q", reply), c.result);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_EQ(errorText(), c.text);
        if (c.result == 0) {
            EXPECT_STREQ(reply, "OK");
        }
    }
}

TEST_F(ExchangeTest, SendCommandDiscardsWhatWaitedAndPostCommandDoesNot) {
    terminal.handler = answering({{"Q", "NEW"}});
    line->feed("OLD\r");
    ASSERT_EQ(SendCommand("Q", reply), 0);
    EXPECT_STREQ(reply, "NEW");
    line->feed("OLD\r");
    EXPECT_EQ(PostCommand("P"), 0);
    EXPECT_EQ(sentSinceMark(), "Q\rP\r");
    ASSERT_EQ(GetMsgEx(reply), 0);
    EXPECT_STREQ(reply, "OLD");
}

TEST_F(ExchangeTest, CommandsOfMoreThan127CharactersAreRefusedUnsent) {
    const std::string longest(127, 'c');
    terminal.handler = answering({{longest, "OK"}});
    EXPECT_EQ(SendCommand(longest.c_str(), reply), 0);
    EXPECT_EQ(PostCommand(longest.c_str()), 0);
    EXPECT_EQ(sentSinceMark(), longest + "\r" + longest + "\r");
    mark();
    const std::string tooLong(128, 'c');
    EXPECT_EQ(SendCommand(tooLong.c_str(), reply), -1);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_EQ(PostCommand(tooLong.c_str()), -1);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_EQ(sentSinceMark(), "");
}

TEST_F(ExchangeTest, ANullCommandIsEmptyAndANullReplyBufferIsRefused) {
    terminal.handler = answering({{"", "EMPTY"}});
    ASSERT_EQ(SendCommand(nullptr, reply), 0);
    EXPECT_STREQ(reply, "EMPTY");
    EXPECT_EQ(sentSinceMark(), "\r");
    mark();
    EXPECT_EQ(SendCommand("Q", nullptr), -1);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_EQ(GetResponse(nullptr), -1);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_EQ(GetMsgEx(nullptr), -1);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_EQ(sentSinceMark(), "");
}

TEST_F(ExchangeTest, AFailedWriteIsAWindowsErrorForSendCommandOnly) {
    line->refuseWrite = true;
    EXPECT_EQ(SendCommand("Q", reply), -1);
    EXPECT_EQ(errorCode(), 70);
    EXPECT_EQ(errorText(), "Windows error: 0");
    EXPECT_EQ(PostCommand("Q"), 0);
    EXPECT_EQ(errorCode(), 0);
}

TEST_F(ExchangeTest, WithoutADeviceOrATerminalNothingIsSentOrRead) {
    const struct {
        const char* name;
        int32_t (*call)(char* buffer);
    } exports[] = {
        {"SendCommand", [](char* b) { return SendCommand("Q", b); }},
        {"PostCommand", [](char*) { return PostCommand("Q"); }},
        {"GetResponse", [](char* b) { return GetResponse(b); }},
        {"GetMsgEx", [](char* b) { return GetMsgEx(b); }},
    };
    const struct {
        bool deviceOpen;
        int32_t error;
    } situations[] = {{false, 2}, {true, 4}};
    for (const auto& situation : situations) {
        ExitCOMM();
        if (situation.deviceOpen) open(3);
        mark();
        for (const auto& e : exports) {
            SCOPED_TRACE(e.name);
            line->feed("WAITING\r");
            EXPECT_EQ(e.call(reply), -1);
            EXPECT_EQ(errorCode(), situation.error);
            EXPECT_EQ(sentSinceMark(), "");
            EXPECT_EQ(line->incoming.size(), 8u) << "the line is not read";
            line->incoming.clear();
        }
    }
}

TEST_F(ExchangeTest, GetMsgExWaitsOneSecondForALine) {
    line->feedAfter(300, "LATE\r");
    ASSERT_EQ(GetMsgEx(reply), 0);
    EXPECT_STREQ(reply, "LATE");
    const uint32_t start = platform::tickCountMs();
    EXPECT_EQ(GetMsgEx(reply), -1);
    EXPECT_EQ(errorCode(), 40);
    EXPECT_GE(msSince(start), 1000u);
}

TEST_F(ExchangeTest, ARestartCommandWaitsAtLeastTenSecondsAndOthersTheResponseTimeout) {
    terminal.handler = [](const std::string& l) { return std::optional<std::string>(l + " DONE"); };
    terminal.replyDelayMs = 1500;
    uint32_t start = platform::tickCountMs();
    ASSERT_EQ(SendCommand("%%", reply), 0) << errorText();
    EXPECT_STREQ(reply, "%% DONE");
    EXPECT_GE(msSince(start), 1500u + 750u) << "the reply and the pause after it";
    start = platform::tickCountMs();
    EXPECT_EQ(SendCommand("@TIME", reply), -1);
    EXPECT_EQ(errorCode(), 40);
    EXPECT_GE(msSince(start), 1000u);
    EXPECT_LT(msSince(start), 1500u) << "a one-second response time-out";
}

TEST_F(ExchangeTest, AVeryLongResponseTimeOutIsNotCutShort) {
    terminal.handler = answering({{"Q", "LATE"}});
    terminal.replyDelayMs = 1000;
    // 4294968 s in milliseconds overflows 32 bits to 704 ms; INT32_MAX overflows twice as many.
    for (const int32_t seconds : {4294968, INT32_MAX}) {
        SCOPED_TRACE(seconds);
        ASSERT_EQ(Set232TimeOut(seconds), 0);
        EXPECT_EQ(SendCommand("Q", reply), 0) << errorText();
        EXPECT_STREQ(reply, "LATE");
    }
}

TEST_F(ExchangeTest, GetResponseTakesWhatHasArrivedByItsOwnRules) {
    const LineCase cases[] = {
        {"plain", "OK\r", 0, 0, "OK"},
        {"line feed skipped at the start", "\nOK\r", 0, 0, "OK"},
        {"flow control bytes kept", "\x11O\x13K\r", 0, 0, "\x11O\x13K"},
        {"NUL at the start kept", "\0OK\r"s, 0, 0, ""},
        {"128th character", std::string(128, 'x') + "\r", -1, 93, ""},
        {"partial line", "PART", -1, 35, ""},
        {"nothing", "", -1, 40, ""},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        line->incoming.clear();
        line->feed(c.bytes);
        std::memset(reply, 0x7F, sizeof reply);
        const uint32_t start = platform::tickCountMs();
        EXPECT_EQ(GetResponse(reply), c.result);
        EXPECT_LT(msSince(start), 200u) << "GetResponse does not wait";
        EXPECT_EQ(errorCode(), c.error);
        if (c.result == 0) {
            EXPECT_EQ(std::string(reply), c.text);
        }
    }
    line->incoming.clear();
    line->pendingErrors = platform::kLineOverrun;
    EXPECT_EQ(GetResponse(reply), -1);
    EXPECT_EQ(errorText(), "Windows error: 2");
}

TEST_F(ExchangeTest, GetResponseMakesAtMost1024ReadAttempts) {
    line->feed(std::string(1021, '\n') + "OK\r");
    ASSERT_EQ(GetResponse(reply), 0);
    EXPECT_STREQ(reply, "OK");
    line->feed(std::string(1022, '\n') + "OK\r");
    EXPECT_EQ(GetResponse(reply), -1);
    EXPECT_EQ(errorCode(), 35);
    EXPECT_EQ(line->incoming.size(), 1u) << "the carriage return is left unread";
}

TEST_F(ExchangeTest, RepliesStayWithinTheirBuffers) {
    const std::string longest(127, 'L');
    terminal.handler = answering({{"Q", longest}});
    char guarded[KAVEX_REPLY_SIZE + 16];
    const auto check = [&](const char* name, auto call) {
        SCOPED_TRACE(name);
        std::memset(guarded, 0x5A, sizeof guarded);
        ASSERT_EQ(call(), 0) << errorText();
        EXPECT_EQ(std::string(guarded), longest);
        for (size_t i = KAVEX_REPLY_SIZE; i < sizeof guarded; ++i) ASSERT_EQ(guarded[i], 0x5A);
    };
    check("SendCommand", [&] { return SendCommand("Q", guarded); });
    line->feed(longest + "\r");
    check("GetResponse", [&] { return GetResponse(guarded); });
    line->feed(longest + "\r");
    check("GetMsgEx", [&] { return GetMsgEx(guarded); });
}

class IndirectExchangeTest : public KavexLineTest {};

TEST_F(IndirectExchangeTest, ARelayedLineCarriesCommandsAsADirectOne) {
    terminal.handler = answering({{"LOGOFF", "OK"}, {"Q", "A"}});
    open(4);
    ASSERT_EQ(ChgTerminal(0), 0);
    EXPECT_EQ(SendCommand("Q", reply), 0);
    EXPECT_STREQ(reply, "A");
    EXPECT_EQ(sentSinceMark(), "LOGOFF\rQ\r");
}

}  // namespace
}  // namespace kavex_test
