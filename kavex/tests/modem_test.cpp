// DialNumber and HangUp on an in-memory line with a scripted modem: the exact AT dialogue, every
// answer that decides it, the argument and device checks, and AddressCheck off while the modem
// is talked to and on again at every way out.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kavex_fixture.h"
#include "library_state.h"
#include "platform/clock.h"

namespace kavex_test {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kOk = "\r\nOK\r\n";
constexpr const char* kSetUp45 = "ATE1Q0S7=45";

// A Hayes-style modem on the memory line, without timing: it cuts the library's bytes into lines
// at each CR (dropping the flow-control bytes 0x11 and 0x13), echoes a line with its CR and
// answers it from `answers`, raw bytes framing included. A line without an entry is answered
// "\r\nOK\r\n" when it begins with "AT" and not at all otherwise. "+++" is taken at once and
// answered with `escapeAnswer`.
class ScriptedModem {
public:
    struct Answer {
        std::string bytes;
        bool echo = true;
    };

    explicit ScriptedModem(std::shared_ptr<platform::MemoryLine> line) : line_(std::move(line)) {
        line_->peer = [this](platform::MemoryLine&, uint8_t byte) { take(byte); };
    }

    std::map<std::string, Answer> answers;
    std::string escapeAnswer = kOk;
    bool silent = false;
    Lines lines;                      // every line and escape taken, in order
    std::vector<bool> addressChecks;  // AddressCheck as each of them arrived
    void forget() {
        lines.clear();
        addressChecks.clear();
    }

private:
    void take(uint8_t byte) {
        if (byte == 0x11 || byte == 0x13) return;
        if (byte != '\r') {
            collected_.push_back(static_cast<char>(byte));
            if (collected_ == "+++") taken(collected_, {escapeAnswer, false});
            return;
        }
        const auto found = answers.find(collected_);
        const bool command = collected_.rfind("AT", 0) == 0;
        taken(collected_, found != answers.end() ? found->second : Answer{command ? kOk : ""});
    }

    void taken(std::string& text, const Answer& answer) {
        lines.push_back(text);
        addressChecks.push_back(kavex::state().addressCheck);
        if (!silent) {
            if (answer.echo) line_->feed(text + '\r');
            line_->feed(answer.bytes);
        }
        text.clear();
    }

    std::shared_ptr<platform::MemoryLine> line_;
    std::string collected_;
};

class ModemTest : public KavexLineTest {
protected:
    void SetUp() override {
        KavexLineTest::SetUp();
        modem.answers["ATD5551234"] = {"\r\nCONNECT 9600\r\n"};
    }

    // The modem was talked to with AddressCheck off, and it is on again.
    void expectAddressCheckRestored() const {
        EXPECT_TRUE(kavex::state().addressCheck);
        for (size_t i = 0; i < modem.addressChecks.size(); ++i) {
            EXPECT_FALSE(modem.addressChecks[i]) << "while sending " << modem.lines[i];
        }
    }

    ScriptedModem modem{line};
};

TEST_F(ModemTest, DialSetsTheModemUpTwiceDialsAndConnects) {
    open(3);
    modem.forget();
    EXPECT_EQ(DialNumber(nullptr, "5551234", 45), 0) << errorText();
    EXPECT_EQ(sentSinceMark(), "\rATE1Q0S7=45\rATE1Q0S7=45\rATD5551234\r");
    EXPECT_EQ(modem.lines, (Lines{"", kSetUp45, kSetUp45, "ATD5551234"}));
    EXPECT_EQ(errorCode(), 0);
    EXPECT_STREQ(kavex::state().replyBuffer, "CONNECT 9600");
    expectAddressCheckRestored();
}

TEST_F(ModemTest, TheInitialisationTextGoesBetweenTheTwoSetUpCommands) {
    const struct {
        const char* init;
        const char* sent;
    } cases[] = {
        {"ATZ", "\rATE1Q0S7=45\rATZ\rATE1Q0S7=45\rATD5551234\r"},
        {"", "\rATE1Q0S7=45\rATE1Q0S7=45\rATD5551234\r"},
    };
    open(3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.init);
        mark();
        EXPECT_EQ(DialNumber(c.init, "5551234", 45), 0) << errorText();
        EXPECT_EQ(sentSinceMark(), c.sent);
    }
    expectAddressCheckRestored();
}

TEST_F(ModemTest, TheCarrierWaitIsHeldWithin45And120Seconds) {
    const struct {
        int32_t wait;
        const char* setUp;
    } cases[] = {{30, "ATE1Q0S7=45"}, {-7, "ATE1Q0S7=45"}, {45, "ATE1Q0S7=45"},
                 {120, "ATE1Q0S7=120"}};
    open(3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wait);
        modem.forget();
        EXPECT_EQ(DialNumber(nullptr, "5551234", c.wait), 0) << errorText();
        EXPECT_EQ(modem.lines, (Lines{"", c.setUp, c.setUp, "ATD5551234"}));
    }
}

TEST_F(ModemTest, BadArgumentsAreRefusedBeforeAnythingIsSent) {
    const std::string longest(32, '7');
    const std::string tooLong(33, '7');
    const struct {
        const char* name;
        const char* init;
        const char* number;
        int32_t wait;
    } cases[] = {
        {"wait 121", nullptr, "5551234", 121},
        {"null number", nullptr, nullptr, 45},
        {"empty number", nullptr, "", 45},
        {"number of 33", nullptr, tooLong.c_str(), 45},
        {"init of 33", tooLong.c_str(), "5551234", 45},
    };
    open(3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DialNumber(c.init, c.number, c.wait), -1);
        EXPECT_EQ(errorCode(), 3);
        EXPECT_EQ(sentSinceMark(), "");
        EXPECT_TRUE(kavex::state().addressCheck);
    }
    modem.answers["ATD" + longest] = {"\r\nCONNECT\r\n"};
    const std::string init = "AT" + std::string(30, 'X');
    EXPECT_EQ(DialNumber(init.c_str(), longest.c_str(), 45), 0) << "32 characters each fit";
}

TEST_F(ModemTest, WithoutAnOpenDeviceBothAreRefused) {
    EXPECT_EQ(DialNumber(nullptr, "5551234", 45), -1);
    EXPECT_EQ(errorCode(), 2);
    EXPECT_EQ(HangUp(), -1);
    EXPECT_EQ(errorCode(), 2);
    EXPECT_TRUE(line->sent.empty());
}

struct DialCase {
    const char* name;
    std::string dialAnswer;  // the bytes after the echo of the dial command
    int32_t result;
    int32_t error;
    const char* lastAnswer;  // in the reply buffer afterwards
};

class DialAnswerTest : public ModemTest, public ::testing::WithParamInterface<DialCase> {};

TEST_P(DialAnswerTest, TheAnswersAfterDiallingDecide) {
    const DialCase& c = GetParam();
    modem.answers["ATD5551234"] = {c.dialAnswer};
    open(3);
    EXPECT_EQ(DialNumber(nullptr, "5551234", 45), c.result);
    EXPECT_EQ(errorCode(), c.error) << errorText();
    EXPECT_STREQ(kavex::state().replyBuffer, c.lastAnswer);
    expectAddressCheckRestored();
}

std::string lines(const std::string& text, int count) {
    std::string all;
    for (int i = 0; i < count; ++i) all += text;
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    Modem, DialAnswerTest,
    ::testing::Values(
        DialCase{"Connect", "\r\nCONNECT\r\n", 0, 0, "CONNECT"},
        DialCase{"CarrierThenConnectWithSpeed", "\r\nCARRIER\r\n\r\nCONNECT 19200/ARQ\r\n", 0, 0,
                 "CONNECT 19200/ARQ"},
        DialCase{"OtherLinesArePassedOver", "\r\nRING\r\nDIALLING\r\n\r\nCONNECT 2400\r\n", 0, 0,
                 "CONNECT 2400"},
        DialCase{"Busy", "\r\nBUSY\r\n", -1, 83, "BUSY"},
        DialCase{"NoCarrier", "\r\nNO CARRIER\r\n", -1, 83, "NO CARRIER"},
        DialCase{"NoDialTone", "\r\nNO DIAL TONE\r\n", -1, 83, "NO DIAL TONE"},
        DialCase{"NoAnswer", "\r\nNO ANSWER\r\n", -1, 83, "NO ANSWER"},
        DialCase{"Error", "\r\nERROR\r\n", -1, 83, "ERROR"},
        DialCase{"APieceOfTheFailureList", "\r\nNO\r\n", -1, 83, "NO"},
        DialCase{"NineUndecidedLinesThenConnect", lines("RINGING\r", 9) + "CONNECT\r", 0, 0,
                 "CONNECT"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(ModemTest, TenUndecidedAnswerLinesEndTheDialWithoutReadingOrWaitingForMore) {
    // Five framed answers are ten lines, each empty line counted.
    modem.answers["ATD5551234"] = {lines("\r\nRINGING\r\n", 5) + "CONNECT\r"};
    open(3);
    const uint32_t start = platform::tickCountMs();
    EXPECT_EQ(DialNumber(nullptr, "5551234", 120), -1);
    EXPECT_EQ(errorCode(), 90);
    EXPECT_STREQ(kavex::state().replyBuffer, "RINGING");
    EXPECT_LT(msSince(start), 20'000u) << "an answer may take 130 s; none was waited for";
    expectAddressCheckRestored();
}

TEST_F(ModemTest, NoAnswerWithinTheCarrierWaitAndTenSecondsMoreIsATimeOut) {
    modem.answers["ATD5551234"] = {"\r\n"};  // one empty line, then nothing
    open(3);
    const uint32_t start = platform::tickCountMs();
    EXPECT_EQ(DialNumber(nullptr, "5551234", 30), -1);
    EXPECT_EQ(errorCode(), 90) << errorText();
    EXPECT_GE(msSince(start), 55'000u) << "45 s of carrier wait and 10 s more";
    EXPECT_LT(msSince(start), 57'000u) << "and no more: the clock is virtual, nothing else takes time";
    expectAddressCheckRestored();
}

struct DialogueCase {
    const char* name;
    const char* init;
    std::map<std::string, ScriptedModem::Answer> answers;
    int32_t result;
    int32_t error;
    Lines lines;  // what the modem was sent after the wake-up CR and the first set-up command
};

class DialogueTest : public ModemTest, public ::testing::WithParamInterface<DialogueCase> {};

TEST_P(DialogueTest, EchoesAndSetUpAnswersAreChecked) {
    const DialogueCase& c = GetParam();
    for (const auto& [text, answer] : c.answers) modem.answers[text] = answer;
    open(3);
    modem.forget();
    EXPECT_EQ(DialNumber(c.init, "5551234", 45), c.result);
    EXPECT_EQ(errorCode(), c.error) << errorText();
    Lines expected{"", kSetUp45};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(modem.lines, expected);
    expectAddressCheckRestored();
}

INSTANTIATE_TEST_SUITE_P(
    Modem, DialogueTest,
    ::testing::Values(
        DialogueCase{"InitNotEchoed", "ATZ", {{"ATZ", {"", false}}}, -1, 87, {"ATZ"}},
        DialogueCase{"InitEchoedOtherwise", "ATZ", {{"ATZ", {"atz\r\r\nOK\r\n", false}}}, -1, 86,
                     {"ATZ"}},
        DialogueCase{"InitRefused", "AT&F9", {{"AT&F9", {"\r\nERROR\r\n"}}}, -2, 86, {"AT&F9"}},
        DialogueCase{"PinEntryAnswerIsNotExamined",
                     "AT+CPIN=1234",
                     {{"AT+CPIN=1234", {"\r\nERROR\r\n"}}},
                     0,
                     0,
                     {"AT+CPIN=1234", kSetUp45, "ATD5551234"}},
        DialogueCase{"PinEntryInAnyCase",
                     "at+cpin=1234",
                     {{"at+cpin=1234", {"\r\nERROR\r\n"}}},
                     0,
                     0,
                     {"at+cpin=1234", kSetUp45, "ATD5551234"}},
        DialogueCase{"SecondSetUpNotEchoed", nullptr, {{kSetUp45, {"", false}}}, -2, 87,
                     {kSetUp45}},
        DialogueCase{"SecondSetUpRefused", nullptr, {{kSetUp45, {"ERROR\r\n", false}}}, -1, 85,
                     {kSetUp45}},
        DialogueCase{"DialNotEchoed", nullptr, {{"ATD5551234", {"", false}}}, -1, 87,
                     {kSetUp45, "ATD5551234"}},
        DialogueCase{"DialEchoedOtherwise",
                     nullptr,
                     {{"ATD5551234", {"ATD5551243\r\r\nCONNECT\r\n", false}}},
                     -1,
                     82,
                     {kSetUp45, "ATD5551234"}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(ModemTest, AModemThatNeverAnswersFailsAtTheFirstEchoItWaitsFor) {
    modem.silent = true;
    open(3);
    EXPECT_EQ(DialNumber("ATZ", "5551234", 45), -1);
    EXPECT_EQ(errorCode(), 87);
    EXPECT_EQ(DialNumber(nullptr, "5551234", 45), -2);
    EXPECT_EQ(errorCode(), 87);
    expectAddressCheckRestored();
}

TEST_F(ModemTest, ThroughALineDriverTheAnswersAreReadAsWholeLines) {
    open(2);
    modem.forget();
    // "ATZ" and "OK" are shorter than a numbered line, and no answer carries a number.
    EXPECT_EQ(DialNumber("ATZ", "5551234", 45), 0) << errorText();
    EXPECT_EQ(sentSinceMark(), "\rATE1Q0S7=45\rATZ\rATE1Q0S7=45\rATD5551234\r");
    expectAddressCheckRestored();
}

// ---- HangUp ----------------------------------------------------------------------------

TEST_F(ModemTest, HangUpEscapesDropsDtrAndHangsUp) {
    modem.escapeAnswer = "\r\nOK\r\nNOISE";  // the rest is discarded with DTR
    ASSERT_EQ(InitCOMM(1, 3, 19200, 2), 1016) << errorText();
    mark();
    const size_t before = line->sent.size();
    EXPECT_EQ(HangUp(), 0) << errorText();
    EXPECT_EQ(sentSinceMark(), "+++ATH\r");
    EXPECT_EQ(modem.lines, (Lines{"+++", "ATH"}));
    ASSERT_EQ(line->dtrChanges.size(), 3u) << "raised by InitCOMM, dropped and raised again";
    const auto& drop = line->dtrChanges[1];
    const auto& raise = line->dtrChanges[2];
    EXPECT_FALSE(drop.on);
    EXPECT_TRUE(raise.on);
    EXPECT_EQ(drop.afterBytes, before + 3) << "after the escape";
    EXPECT_EQ(raise.afterBytes, before + 3) << "before ATH";
    EXPECT_GE(raise.atMs - drop.atMs, 500u);
    const platform::LineSettings opened{.baud = 19200,
                                        .dataBits = 7,
                                        .parity = platform::Parity::Even,
                                        .stopBits = 1,
                                        .xonXoff = true,
                                        .dtr = true,
                                        .rts = true};
    EXPECT_TRUE(line->sent.back().settings == opened) << "the line's own setting, DTR on";
    expectAddressCheckRestored();
}

TEST_F(ModemTest, ThroughALineDriverHangUpFirstReleasesTheTerminal) {
    open(2);
    modem.forget();
    EXPECT_EQ(HangUp(), 0) << errorText();
    EXPECT_EQ(sentSinceMark(), ">P0\r+++ATH\r");
    expectAddressCheckRestored();
}

TEST_F(ModemTest, HangUpAnswersAfterTheEcho) {
    const struct {
        const char* name;
        ScriptedModem::Answer answer;
        int32_t result;
        int32_t error;
    } cases[] = {
        {"framed OK", {kOk}, 0, 0},
        {"bare NO CARRIER", {"NO CARRIER\r"}, 0, 0},
        {"a piece of the list", {"NO\r"}, 0, 0},
        {"one other line, then OK", {"BUSY\rOK\r"}, 0, 0},
        {"two other lines", {"BUSY\rERROR\rOK\r"}, -1, 84},
        {"no answer after the echo", {""}, -1, 84},
        {"nothing at all", {"", false}, -1, 84},
    };
    open(3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        modem.answers["ATH"] = c.answer;
        EXPECT_EQ(HangUp(), c.result);
        EXPECT_EQ(errorCode(), c.error) << errorText();
        expectAddressCheckRestored();
    }
}

}  // namespace
}  // namespace kavex_test
