// SendMsg against a scripted terminal on the in-memory line.
#include <gtest/gtest.h>

#include <array>

#include "driver_fixture.h"
#include "selvoc.h"

namespace selvoc_test {
namespace {

struct FrameCase {
    const char* text;
    Frame expected;
};

TEST_F(SelvocDriverTest, MessageFrameCarriesTextChecksumAndEnd) {
    const FrameCase cases[] = {
        {"", {5, 0x07, 0x80, 0x00}},
        {"AA", {5, 0x07, 'A', 'A', 0x80, 0x00}},
        {"AB", {5, 0x07, 'A', 'B', 0x03, 0x00}},
        {"\x81", {5, 0x07, 0x81, 0x81, 0x00}},
    };
    openWired();
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.text);
        line->sent.clear();
        bus.messageAnswers = {"P"};
        EXPECT_EQ(SendMsg(5, c.text), 0);
        ASSERT_EQ(line->sent.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(line->sent[i].value, c.expected[i]) << "byte " << i;
            EXPECT_EQ(line->sent[i].settings.parity, i == 0 ? Parity::Mark : Parity::Space);
        }
    }
}

TEST_F(SelvocDriverTest, NullTextIsSentAsAnEmptyText) {
    openWired();
    bus.messageAnswers = {"Q"};
    EXPECT_EQ(SendMsg(5, nullptr), 0);
    EXPECT_EQ(bus.messages(), (std::vector<Frame>{{5, 0x07, 0x80, 0x00}}));
}

struct AnswerCase {
    const char* name;
    std::vector<std::string> answers;
    int32_t expected;
    size_t transmissions;
    int32_t retries;
};

void PrintTo(const AnswerCase& c, std::ostream* out) { *out << c.name; }

class SelvocMessageTest : public SelvocDriverTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(SelvocMessageTest, AnswersLeadToTheirResult) {
    const AnswerCase& c = GetParam();
    openWired();
    bus.messageAnswers.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(SendMsg(9, "@TIME"), c.expected);
    EXPECT_EQ(bus.messages().size(), c.transmissions);
    EXPECT_EQ(RetryNum(), c.retries);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SelvocMessageTest,
    ::testing::Values(AnswerCase{"ackP", {"P"}, 0, 1, 0},
                      AnswerCase{"ackQ", {"Q"}, 0, 1, 0},
                      AnswerCase{"ackGrave", {"\x60"}, 0, 1, 0},
                      AnswerCase{"zerosSkipped", {bytes({0, 0, 0, 'P'})}, 0, 1, 0},
                      AnswerCase{"silence", {}, -1, 1, 0},
                      AnswerCase{"refusedAtOnce", {"X", "P"}, -1, 1, 0},
                      AnswerCase{"repeatThenAccepted", {"R", "R", "P"}, 0, 3, 2},
                      AnswerCase{"repeatedFiveTimes", {"R", "R", "R", "R", "R", "P"}, -1, 5, 5},
                      AnswerCase{"endlessZeros", {std::string(400, '\0') + "P"}, -1, 1, 0}),
    CaseName{});

TEST_F(SelvocDriverTest, MessageToEveryTerminalAwaitsNoAnswer) {
    openWired();
    line->peer = [](MemoryLine& l, uint8_t byte) {
        if (byte == 0x00 && l.settings.parity == Parity::Space) l.feed("X");
    };
    EXPECT_EQ(SendMsg(0, "hello"), 0);
    EXPECT_EQ(line->sent.size(), 9u);
    EXPECT_EQ(line->incoming.size(), 1u);  // the "X" was never read
    EXPECT_EQ(RetryNum(), 0);
}

TEST_F(SelvocDriverTest, MessageToEveryTerminalFailsWhenThePortRefusesToWrite) {
    openWired();
    line->refuseWrite = true;
    EXPECT_EQ(SendMsg(0, "hello"), -1);
}

TEST_F(SelvocDriverTest, RefusedMessagesSendNothing) {
    EXPECT_EQ(SendMsg(5, "x"), -3);
    EXPECT_EQ(RetryNum(), -3);
    openWired();
    const std::string tooLong(121, 'A');
    EXPECT_EQ(SendMsg(7, tooLong.c_str()), -1);
    EXPECT_EQ(SendMsg(-1, "x"), -1);
    EXPECT_EQ(SendMsg(256, "x"), -1);
    // A text without a terminator is read no further than the limit.
    std::array<char, 121> unterminated{};
    unterminated.fill('B');
    EXPECT_EQ(SendMsg(7, unterminated.data()), -1);
    EXPECT_TRUE(line->sent.empty());
}

TEST_F(SelvocDriverTest, LongestMessageIsSent) {
    openWired();
    bus.messageAnswers = {"P"};
    const std::string longest(120, 'A');
    EXPECT_EQ(SendMsg(255, longest.c_str()), 0);
    ASSERT_EQ(bus.messages().size(), 1u);
    EXPECT_EQ(bus.messages()[0].size(), 124u);
    EXPECT_EQ(bus.messages()[0][122], 0x80);  // 120 equal bytes cancel out
}

TEST_F(SelvocDriverTest, EchoingLineStillGetsTheAnswer) {
    bus.echo = true;
    openWired();
    bus.messageAnswers = {"R", "P"};
    EXPECT_EQ(SendMsg(9, "AB"), 0);
    EXPECT_EQ(RetryNum(), 1);
}

TEST_F(SelvocDriverTest, RetryCountStartsAgainWithEveryExchange) {
    openWired();
    bus.messageAnswers = {"R", "P"};
    ASSERT_EQ(SendMsg(9, "AB"), 0);
    ASSERT_EQ(RetryNum(), 1);
    bus.pollAnswers = {"P"};
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollTerm(9, text), 1);
    EXPECT_EQ(RetryNum(), 0);
    bus.messageAnswers = {"R", "P"};
    ASSERT_EQ(SendMsg(9, "AB"), 0);
    EXPECT_EQ(PollTerm(9, nullptr), -1);
    EXPECT_EQ(RetryNum(), 0);
}

}  // namespace
}  // namespace selvoc_test
