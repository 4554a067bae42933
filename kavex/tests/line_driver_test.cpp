// Mode 2, the line driver: its set-up and the time stamp it reveals, the numbered lines of the
// exchange, switching to a terminal, and closing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kavex_fixture.h"
#include "platform/clock.h"

namespace kavex_test {
namespace {

class LineDriverTest : public KavexLineTest {
protected:
    // Opens port 1 in mode 2 on a driver that answers "<<" with `timeLine` (none when empty)
    // and puts `stamp` on the replies of its terminals, which log on as a Kestrum.
    void openDriver(const std::string& timeLine, const std::string& stamp) {
        terminal.lineDriver = true;
        terminal.stamp = stamp;
        auto answers = logonAnswers("Kestrum 2");
        answers[">b"] = "OK";
        answers["Q"] = "OK";
        if (!timeLine.empty()) answers["<<"] = timeLine;
        terminal.handler = answering(answers);
        ASSERT_EQ(InitCOMM(1, 2, 9600, 0), 1016) << errorText();
        mark();
    }

    // Opens the driver with a six-character stamp and selects terminal 5.
    void openTerminalFive() {
        openDriver("TIME ON 120000", "123456");
        ASSERT_EQ(SetTerminal(5), 0) << errorText();
        mark();
    }
};

struct NumberedLine {
    std::string bytes;
    int32_t result;
    int32_t error;
    std::string text;
};

TEST_F(LineDriverTest, SetUpSendsTheDriverTextsInOrderAndReadsItsAnswersAsADirectLine) {
    openDriver("TIME ON 120000", "");
    EXPECT_EQ(line->sentText(), "&\r*0\r@011\r>PS255\r>b\r\x11<<\r\x13");
    EXPECT_EQ(terminal.lines, (std::vector<std::string>{"&", "*0", "@011", ">PS255", ">b", "<<"}));
    EXPECT_EQ(errorCode(), 0);
}

TEST_F(LineDriverTest, TheTimeOnLineAfterTheStampRequestGivesTheStampLength) {
    const struct {
        const char* timeLine;
        const char* stamp;
    } cases[] = {
        {"TIME ON 120000", "123456"},
        {"TIME ON 12000", "123456789012"},
        {"TIME ON 12:00:00 01/02", "123456789012"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timeLine);
        openDriver(c.timeLine, c.stamp);
        ASSERT_EQ(SetTerminal(5), 0) << errorText();
        EXPECT_EQ(SendCommand("Q", reply), 0) << errorText();
        EXPECT_STREQ(reply, "OK");
        ASSERT_EQ(ExitCOMM(), 0);
    }
}

TEST_F(LineDriverTest, SelectingATerminalSwitchesTheDriverThenSendsEot) {
    openDriver("", "");
    ASSERT_EQ(SetTerminal(5), 0) << errorText();
    EXPECT_EQ(sentSinceMark(), "\x11>PS005\r005\x04\r005%XI\r");
}

TEST_F(LineDriverTest, TerminalNumbersOutsideOneTo254AreRefusedUnsent) {
    openDriver("", "");
    for (const int32_t number : {0, 255, -1}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(SetTerminal(number), -1);
        EXPECT_EQ(errorCode(), 3);
        EXPECT_EQ(ChgTerminal(number), -1);
        EXPECT_EQ(errorCode(), 3);
    }
    EXPECT_EQ(sentSinceMark(), "");
    EXPECT_EQ(SendCommand("Q", reply), -1);
    EXPECT_EQ(errorCode(), 4);
}

TEST_F(LineDriverTest, AnUnansweredEotIsIgnoredAndLeavesTheTerminalSelected) {
    openDriver("", "");
    terminal.handler = nullptr;
    EXPECT_EQ(SetTerminal(5), -1);
    EXPECT_EQ(errorCode(), 45);
    EXPECT_EQ(errorText(), "EOT command ignored: <>");
    EXPECT_EQ(SendCommand("Q", reply), -1);
    EXPECT_EQ(errorCode(), 40) << "terminal 5 is still selected";
}

TEST_F(LineDriverTest, RepliesAreCheckedForNumberFailuresAndStamp) {
    openTerminalFive();
    const NumberedLine cases[] = {
        {"005123456OK\r", 0, 0, "OK"},
        {"\n005123456OK\r", 0, 0, "OK"},
        {"006123456OK\r", -1, 41, ""},
        {"005~S\r", -1, 42, ""},
        {"005AB~R\r", -1, 88, ""},
        {"005\r", -1, 88, ""},
        {"005123456A~SB\r", 0, 0, "A~SB"},
        {"005123456~S~S\r", 0, 0, "~S~S"},
        {"0051234\r", 0, 0, ""},
    };
    for (const NumberedLine& c : cases) {
        SCOPED_TRACE(c.bytes);
        answerRaw(c.bytes);
        EXPECT_EQ(SendCommand("Q", reply), c.result);
        EXPECT_EQ(errorCode(), c.error) << errorText();
        if (c.result == 0) {
            EXPECT_EQ(std::string(reply), c.text);
        }
    }
    std::string framed;
    for (size_t i = 0; i < std::size(cases); ++i) framed += "005Q\r";
    EXPECT_EQ(PostCommand("P"), 0);
    EXPECT_EQ(sentSinceMark(), framed + "005P\r");
}

TEST_F(LineDriverTest, GetResponseChecksTheNumberButDoesNotSkipTheStamp) {
    openTerminalFive();
    const NumberedLine cases[] = {
        {"005123456OK\r", 0, 0, "123456OK"},
        {"007123456OK\r", -1, 41, ""},
        {"005~S\r", -1, 42, ""},
        {"005AB~R\r", -1, 88, ""},
        {"005\r", -1, 88, ""},
    };
    for (const NumberedLine& c : cases) {
        SCOPED_TRACE(c.bytes);
        line->incoming.clear();
        line->feed(c.bytes);
        EXPECT_EQ(GetResponse(reply), c.result);
        EXPECT_EQ(errorCode(), c.error) << errorText();
        if (c.result == 0) {
            EXPECT_EQ(std::string(reply), c.text);
        }
    }
}

TEST_F(LineDriverTest, ChgTerminalSwitchesTheDriverWithoutADialogue) {
    openDriver("", "");
    const uint32_t start = platform::tickCountMs();
    ASSERT_EQ(ChgTerminal(7), 0);
    EXPECT_GE(msSince(start), 2100u);
    EXPECT_EQ(sentSinceMark(), "\x11>PS007\r");
    mark();
    EXPECT_EQ(PostCommand("P"), 0);
    EXPECT_EQ(sentSinceMark(), "007P\r");
}

TEST_F(LineDriverTest, ClosingTellsTheDriverBeforeThePortCloses) {
    openDriver("", "");
    ASSERT_EQ(ExitCOMM(), 0);
    EXPECT_EQ(sentSinceMark(), ">P0\r");
    EXPECT_FALSE(line->open);
}

}  // namespace
}  // namespace kavex_test
