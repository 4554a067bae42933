// PollTerm and PollAll against a scripted terminal on the in-memory line.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "driver_fixture.h"
#include "driver_state.h"
#include "selvoc.h"

namespace selvoc_test {
namespace {

using Polls = std::vector<std::pair<int, int>>;
constexpr int R = 'R';

Polls firstPollThenRepeats(int address, int count) {
    Polls polls{{address, 3}};
    for (int i = 1; i < count; ++i) polls.emplace_back(address, R);
    return polls;
}

TEST_F(SelvocDriverTest, PollArgumentsAreCheckedBeforeAnythingIsSent) {
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollTerm(5, nullptr), -1);
    EXPECT_EQ(PollTerm(5, text), -3);
    EXPECT_EQ(PollAll(text), -3);
    openWired();
    EXPECT_EQ(PollTerm(0, text), -1);
    EXPECT_EQ(PollTerm(256, text), -1);
    EXPECT_EQ(PollTerm(-1, text), -1);
    EXPECT_EQ(PollTerm(5, nullptr), -1);
    EXPECT_EQ(PollAll(nullptr), -1);
    EXPECT_TRUE(line->sent.empty());
}

// A setting already in force is not applied again: a wired poll switches to the data setting
// and back for its address, a radio line, whose two settings are the same, never switches.
TEST_F(SelvocDriverTest, OnlyASettingNotInForceIsApplied) {
    char text[SELVOC_TEXT_SIZE];
    bus.pollAnswers = {"", "", ""};
    openWired();
    const int afterStartUp = line->applies;
    EXPECT_EQ(line->settings.parity, Parity::Mark) << "the start-up leaves the address setting";
    PollTerm(5, text);
    EXPECT_EQ(line->applies - afterStartUp, 1) << "only the data setting after the address";
    const int afterFirst = line->applies;
    PollTerm(5, text);
    EXPECT_EQ(line->applies - afterFirst, 2);
    for (const platform::SentByte& sent : line->sent)
        EXPECT_EQ(sent.settings.parity, sent.value == 5 ? Parity::Mark : Parity::Space);

    ASSERT_EQ(ResetSlv(), 0);
    line->peer = [](MemoryLine& l, uint8_t byte) {
        if (byte == '\r') l.feed("OK\r\n");
    };
    ASSERT_GT(InitSlv(1, 8, 5, 0), 0);
    line->peer = {};
    const int radio = line->applies;
    PollTerm(5, text);
    PollTerm(5, text);
    EXPECT_EQ(line->applies, radio) << "no switch on a radio line";
}

struct PollCase {
    const char* name;
    std::vector<std::string> answers;
    int32_t expected;
    int polls;             // all to address 7: the first with code 3, the others with "R"
    const char* text;      // delivered text when expected is 2
    int32_t retries;
};

void PrintTo(const PollCase& c, std::ostream* out) { *out << c.name; }

class SelvocPollTest : public SelvocDriverTest, public ::testing::WithParamInterface<PollCase> {};

TEST_P(SelvocPollTest, AnswersLeadToTheirResult) {
    const PollCase& c = GetParam();
    openWired();
    bus.pollAnswers.assign(c.answers.begin(), c.answers.end());
    std::array<char, SELVOC_TEXT_SIZE> text{};
    text.fill('#');
    EXPECT_EQ(PollTerm(7, text.data()), c.expected);
    EXPECT_EQ(bus.polls(), firstPollThenRepeats(7, c.polls));
    EXPECT_EQ(RetryNum(), c.retries);
    EXPECT_EQ(selvoc::driverState().LastPolled, 7);
    if (c.expected == 2) {
        EXPECT_STREQ(text.data(), c.text);
    } else {
        EXPECT_EQ(text[0], '#');  // the caller's buffer is written only for a message
        EXPECT_TRUE(bus.acknowledgements().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SelvocPollTest,
    ::testing::Values(
        PollCase{"silence", {}, 0, 1, "", 0},
        PollCase{"ackP", {"P"}, 1, 1, "", 0},
        PollCase{"ackQ", {"Q"}, 1, 1, "", 0},
        PollCase{"ackGrave", {"\x60"}, 1, 1, "", 0},
        PollCase{"message", {bytes({'T', 'A', 'B', 0x03, 0x00})}, 2, 1, "AB", 0},
        PollCase{"checksumBit7NotCompared", {bytes({'T', 'A', 'B', 0x83, 0x00})}, 2, 1, "AB", 0},
        PollCase{"badChecksumAskedAgain",
                 {bytes({'T', 'A', 'B', 0x04, 0x00}), bytes({'T', 'A', 'B', 0x03, 0x00})},
                 2, 2, "AB", 1},
        PollCase{"emptyMessageTooShort", {bytes({'T', 0x00}), "P"}, 1, 2, "", 1},
        PollCase{"twoByteMessageTooShort", {bytes({'T', 0x41, 0x00}), "P"}, 1, 2, "", 1},
        PollCase{"messageCutBySilence", {"TAB", bytes({'T', 'A', 'B', 0x03, 0x00})}, 2, 2, "AB",
                 1},
        PollCase{"zeroCountsAsAttempt", {bytes({0x00}), "Q"}, 1, 2, "", 1},
        PollCase{"garbageTenTimes",
                 {"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "P"}, -1, 10, "", 10},
        PollCase{"garbageThenSilence", {"X"}, 0, 5, "", 4},
        PollCase{"garbageRestartsSilenceCount", {"X", "", "", "", "X"}, 0, 9, "", 8},
        PollCase{"zeroKeepsSilenceCount", {"X", "", "", bytes({0x00})}, 0, 6, "", 5},
        PollCase{"silenceAfterAnswerIsRepeated", {"X", "", "", "", "P"}, 1, 5, "", 4}),
    CaseName{});

TEST_F(SelvocDriverTest, PollAndAcknowledgementFramesUseAddressAndDataSettings) {
    openWired();
    bus.pollAnswers = {bytes({'T', 9, 'O', 'K', 9 ^ 'O' ^ 'K', 0x00})};
    char text[SELVOC_TEXT_SIZE];
    ASSERT_EQ(PollTerm(9, text), 2);
    EXPECT_STREQ(text, "\x09OK");
    ASSERT_EQ(line->sent.size(), 4u);
    const std::array<uint8_t, 4> values{9, 3, 9, 'a'};
    const std::array<Parity, 4> parities{Parity::Mark, Parity::Space, Parity::Mark, Parity::Space};
    for (size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(line->sent[i].value, values[i]);
        EXPECT_EQ(line->sent[i].settings.parity, parities[i]);
    }
}

TEST_F(SelvocDriverTest, AcknowledgementGoesToTheAddressInsideTheMessage) {
    openWired();
    bus.pollAnswers = {bytes({'T', 12, 'x', 12 ^ 'x', 0x00})};
    char text[SELVOC_TEXT_SIZE];
    ASSERT_EQ(PollTerm(3, text), 2);
    EXPECT_EQ(bus.acknowledgements(), (std::vector<Frame>{{12, 'a'}}));
}

TEST_F(SelvocDriverTest, EchoingLineStillDeliversMessages) {
    bus.echo = true;
    openWired();
    bus.pollAnswers = {bytes({'T', 'A', 'B', 0x03, 0x00})};
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollTerm(2, text), 2);
    EXPECT_STREQ(text, "AB");
    EXPECT_EQ(bus.acknowledgements().size(), 1u);
}

// A guard zone after the caller's 122 bytes shows any write past them.
struct GuardedText {
    std::array<char, SELVOC_TEXT_SIZE + 16> storage{};
    GuardedText() { storage.fill('#'); }
    char* text() { return storage.data(); }
    bool guardIntact() const {
        for (size_t i = SELVOC_TEXT_SIZE; i < storage.size(); ++i) {
            if (storage[i] != '#') return false;
        }
        return true;
    }
};

TEST_F(SelvocDriverTest, LongestMessageFillsTheBufferAndNoMore) {
    openWired();
    // 121 text bytes, checksum, 0x00: the 123 bytes a message may have.
    const std::string text(121, 'A');
    bus.pollAnswers = {"T" + text + bytes({'A', 0x00})};
    GuardedText buffer;
    ASSERT_EQ(PollTerm(1, buffer.text()), 2);
    EXPECT_EQ(std::strlen(buffer.text()), 121u);
    EXPECT_TRUE(buffer.guardIntact());
}

TEST_F(SelvocDriverTest, RunawayAnswerIsCutAtTheReceiveLimit) {
    openWired();
    // Reception stops after 123 bytes; here the exclusive-or of those matches in its low bits,
    // so the first 121 are delivered and the rest is never read into the buffer.
    const std::string runaway = std::string(121, 'A') + bytes({'A', 0x80}) + std::string(60, 'B');
    bus.pollAnswers = {"T" + runaway};
    GuardedText accepted;
    ASSERT_EQ(PollTerm(1, accepted.text()), 2);
    EXPECT_EQ(std::string(accepted.text()), std::string(121, 'A'));
    EXPECT_TRUE(accepted.guardIntact());

    // Without a matching exclusive-or it is drained and asked for again.
    bus.pollAnswers = {"T" + std::string(300, 'C'), "P"};
    bus.frames.clear();
    GuardedText rejected;
    EXPECT_EQ(PollTerm(1, rejected.text()), 1);
    EXPECT_EQ(bus.polls(), firstPollThenRepeats(1, 2));
    EXPECT_TRUE(rejected.guardIntact());
}

TEST_F(SelvocDriverTest, PollAllRotatesFromTheAddressAfterTheLastPolled) {
    openWired(0, 3);
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollAll(text), 0);
    EXPECT_EQ(PollAll(text), 0);
    EXPECT_EQ(bus.polls(), (Polls{{2, 3}, {3, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 3}}));
}

TEST_F(SelvocDriverTest, PollAllReturnsTheAddressThatDeliveredAndContinuesAfterIt) {
    openWired(0, 4);
    // Addresses 2 and 3 answer; 3 has a message.
    bus.pollAnswers = {"P", bytes({'T', 3, 'h', 'i', 3 ^ 'h' ^ 'i', 0x00})};
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollAll(text), 3);
    EXPECT_STREQ(text, "\x03hi");
    EXPECT_EQ(PollAll(text), 0);
    EXPECT_EQ(bus.polls(), (Polls{{2, 3}, {3, 3}, {4, 3}, {1, 3}, {2, 3}, {3, 3}}));
}

TEST_F(SelvocDriverTest, PollAllContinuesAfterAnAddressPolledByPollTerm) {
    openWired(0, 3);
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollTerm(200, text), 0);
    EXPECT_EQ(PollTerm(255, text), 0);
    bus.frames.clear();
    EXPECT_EQ(PollAll(text), 0);
    EXPECT_EQ(bus.polls(), (Polls{{1, 3}, {2, 3}, {3, 3}}));
}

TEST_F(SelvocDriverTest, PollAllStopsAtAPollThatFailed) {
    openWired(0, 3);
    bus.pollAnswers.assign(10, "X");
    char text[SELVOC_TEXT_SIZE];
    EXPECT_EQ(PollAll(text), -1);
    EXPECT_EQ(bus.polls(), firstPollThenRepeats(2, 10));
}

}  // namespace
}  // namespace selvoc_test
