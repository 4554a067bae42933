// SetTerminal, ChgTerminal and SetPassword on the direct (3) and relayed (4) RS232 lines: the
// logon dialogue, the password step, the model identification and the routing command.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "kavex_fixture.h"
#include "library_state.h"

namespace kavex_test {
namespace {

using Lines = std::vector<std::string>;

class LogonTest : public KavexLineTest {
protected:
    // Opens `mode` on a terminal that logs on without a password and names `model`.
    void openOn(int32_t mode, const std::string& model) {
        answers = logonAnswers(model);
        terminal.handler = answering(answers);
        open(mode);
    }
    // Changes what the terminal answers to `line` (nothing for no answer).
    void answer(const std::string& request, std::optional<std::string> text) {
        if (text) {
            answers[request] = *text;
        } else {
            answers.erase(request);
        }
        terminal.handler = answering(answers);
    }
    // Whether a terminal is selected: PostCommand is refused with error 4 only without one.
    static bool terminalSelected() { return PostCommand("") == 0; }

    std::map<std::string, std::string> answers;
};

TEST_F(LogonTest, ADirectLineRunsTheProbeTheDialogueAndTheIdentification) {
    openOn(3, "Kestrum 4.2");
    ASSERT_EQ(SetTerminal(0), 0) << errorText();
    EXPECT_EQ(terminal.lines, (Lines{"RING", "%XI", "\x04", "LOGOFF", "%XI"}));
    EXPECT_EQ(sentSinceMark(), "RING\r\x11%XI\x11\r\x04\rLOGOFF\r%XI\r");
    EXPECT_EQ(errorCode(), 0);
}

TEST_F(LogonTest, ATerminalThatEchoesRingHasEachEchoReadBeforeTheReply) {
    const struct {
        bool echo;
        std::optional<std::string> ringAnswer;
        bool echoFlag;
    } cases[] = {{true, std::nullopt, true}, {false, "RING ??", false}};
    openOn(3, "Tirel");
    answer("@TIME", "@TIME 120000");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ringAnswer.value_or("echo"));
        terminal.echo = c.echo;
        answer("RING", c.ringAnswer);
        ASSERT_EQ(SetTerminal(0), 0) << errorText();
        EXPECT_EQ(kavex::state().echoFlag, c.echoFlag);
        if (c.echo) {
            ASSERT_EQ(SendCommand("@TIME", reply), 0) << errorText();
            EXPECT_STREQ(reply, "@TIME 120000") << "the echo is taken off the line first";
        }
    }
}

TEST_F(LogonTest, APasswordPromptIsAnsweredWithTheDefaultOrTheSetPassword) {
    openOn(3, "Pello");
    answer("LOGOFF", "..");
    answer("@PW 70346", "@PW 70346");
    ASSERT_EQ(SetTerminal(0), 0) << errorText();
    EXPECT_EQ(terminal.lines, (Lines{"RING", "%XI", "\x04", "LOGOFF", "@PW 70346", "%XI"}));

    ASSERT_EQ(SetPassword("4242"), 0);
    terminal.lines.clear();
    EXPECT_EQ(SetTerminal(0), -1);
    EXPECT_EQ(terminal.lines.back(), "@PW 4242");
    EXPECT_EQ(errorText(), "None") << "the error from before the password";
    EXPECT_FALSE(terminalSelected());

    ASSERT_EQ(ExitCOMM(), 0);
    ASSERT_EQ(SetPassword("4242"), 0);
    open(3);
    terminal.lines.clear();
    EXPECT_EQ(SetTerminal(0), 0) << "InitCOMM restored the default";
    EXPECT_EQ(terminal.lines[4], "@PW 70346");
}

TEST_F(LogonTest, AnUnansweredEotOrLogoffEndsTheLogonWithTheTerminalSelected) {
    const struct {
        const char* silent;
        int32_t error;
        const char* text;
    } cases[] = {{"\x04", 45, "EOT command ignored: <>"}, {"LOGOFF", 80, "Bad reply to LOGOFF: <>"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        openOn(3, "Pello");
        answer(c.silent, std::nullopt);
        EXPECT_EQ(SetTerminal(0), -1);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_EQ(errorText(), c.text);
        EXPECT_TRUE(terminalSelected());
        ASSERT_EQ(ExitCOMM(), 0);
    }
}

TEST_F(LogonTest, TheFirstModelFoundInTheIdentificationDecides) {
    const struct {
        std::optional<std::string> identification;
        std::optional<std::string> passwordAnswer;
        int32_t result;
        bool ovrid;
        int32_t error;
    } cases[] = {
        {"Pello 1.0", {}, 0, false, 0},
        {"TA Ovrid 3", {}, 0, true, 0},
        {"Kestrum", {}, 0, false, 0},
        {"Dorva+ 2", {}, 0, false, 0},
        {"Dorva 2", {}, -2, false, 0},
        {"Tirel", {}, 0, false, 0},
        {"QR7", {}, 0, false, 0},
        {"Ovrid Pello", {}, 0, false, 0},
        {"ovrid", {}, -2, false, 0},
        {"..", "@PW 70346", 0, false, 0},
        {"..", "Ovrid", 0, true, 0},
        {"..", {}, -2, false, 40},
        {{}, {}, -2, false, 40},
    };
    openOn(3, "");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.identification.value_or("no answer") + " / " +
                     c.passwordAnswer.value_or("no answer"));
        answer("%XI", c.identification);
        answer("@PW 70346", c.passwordAnswer);
        EXPECT_EQ(SetTerminal(0), c.result);
        EXPECT_EQ(kavex::state().ovridFlag, c.ovrid);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_TRUE(terminalSelected()) << "an unrecognised terminal stays selected";
    }
}

TEST_F(LogonTest, NumbersOutsideTheModesRangeAreRefusedAndDeselect) {
    const struct {
        int32_t mode;
        int32_t terminal;
    } cases[] = {{3, 1}, {3, 255}, {3, -1}, {4, 32}, {4, 255}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << "/" << c.terminal);
        openOn(c.mode, "Pello");
        ASSERT_EQ(ChgTerminal(0), 0);
        mark();
        EXPECT_EQ(SetTerminal(c.terminal), -1);
        EXPECT_EQ(errorCode(), 3);
        EXPECT_FALSE(terminalSelected());
        ASSERT_EQ(ChgTerminal(0), 0);
        mark();
        EXPECT_EQ(ChgTerminal(c.terminal), -1);
        EXPECT_EQ(errorCode(), 3);
        EXPECT_FALSE(terminalSelected());
        EXPECT_EQ(sentSinceMark(), "");
        ASSERT_EQ(ExitCOMM(), 0);
    }
    for (auto* call : {&SetTerminal, &ChgTerminal}) {
        EXPECT_EQ(call(0), -1);
        EXPECT_EQ(errorCode(), 2);
    }
}

TEST_F(LogonTest, ARelayedTerminalIsRoutedAndIdentifiedAgain) {
    openOn(4, "Kestrum");
    terminal.handler = [&](const std::string& l) -> std::optional<std::string> {
        if (l == "LOGON 031") answers["%XI"] = "Ovrid 5";  // the routed terminal answers now
        if (l == "LOGON 031") return l;
        return answering(answers)(l);
    };
    ASSERT_EQ(SetTerminal(31), 0) << errorText();
    EXPECT_EQ(terminal.lines, (Lines{"%XI", "\x04", "LOGOFF", "%XI", "LOGON 031", "%XI"}));
    EXPECT_TRUE(kavex::state().ovridFlag);

    answers["%XI"] = "Kestrum";
    terminal.lines.clear();
    ASSERT_EQ(SetTerminal(0), 0) << errorText();
    EXPECT_EQ(terminal.lines, (Lines{"%XI", "\x04", "LOGOFF", "%XI"}));
    EXPECT_FALSE(kavex::state().ovridFlag);
}

TEST_F(LogonTest, ARelayUnrecognisedBeforeOrAfterRoutingGivesMinusTwo) {
    openOn(4, "unknown");
    EXPECT_EQ(SetTerminal(5), -2);
    EXPECT_EQ(terminal.lines.back(), "%XI") << "no routing command";
    answer("%XI", "Tirel");
    terminal.handler = [&](const std::string& l) -> std::optional<std::string> {
        if (l == "LOGON 005") answers["%XI"] = "unknown";
        if (l == "LOGON 005") return l;
        return answering(answers)(l);
    };
    EXPECT_EQ(SetTerminal(5), -2);
    EXPECT_TRUE(terminalSelected());
}

TEST_F(LogonTest, ABadOrMissingAnswerToTheRoutingCommandLeavesTheTerminalSelected) {
    const std::string longest(127, 'N');
    const struct {
        std::optional<std::string> answer;
        int32_t error;
        std::string text;
    } cases[] = {
        {"REFUSED", 81, "Bad reply to LOGON: <REFUSED>"},
        {longest, 81, "Bad reply to LOGON: <" + longest + ">"},
        {{}, 40, "No reply from terminal: <>"},
    };
    openOn(4, "Pello");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        answer("LOGON 012", c.answer);
        EXPECT_EQ(SetTerminal(12), -1);
        char text[KAVEX_ERROR_SIZE + 16];
        std::memset(text, 0x5A, sizeof text);
        EXPECT_EQ(GetError(text), c.error);
        EXPECT_EQ(std::string(text), c.text);
        for (size_t i = KAVEX_ERROR_SIZE; i < sizeof text; ++i) ASSERT_EQ(text[i], 0x5A);
        EXPECT_TRUE(terminalSelected());
    }
}

TEST_F(LogonTest, ChgTerminalOnARelaySendsTheRoutingCommandAndIgnoresTheAnswer) {
    openOn(4, "Pello");
    EXPECT_EQ(ChgTerminal(5), 0) << "unanswered";
    EXPECT_EQ(ChgTerminal(0), 0);
    EXPECT_EQ(sentSinceMark(), "LOGON 005\rLOGOFF\r");
}

TEST_F(LogonTest, ChgTerminalOnADirectLineKeepsTheFlagsOfTheLastLogon) {
    openOn(3, "Ovrid");
    terminal.echo = true;
    ASSERT_EQ(SetTerminal(0), 0) << errorText();
    mark();
    ASSERT_EQ(ChgTerminal(0), 0);
    EXPECT_EQ(sentSinceMark(), "");
    EXPECT_TRUE(kavex::state().ovridFlag);
    EXPECT_TRUE(kavex::state().echoFlag);
    EXPECT_EQ(SetTerminal(1), -1);
    EXPECT_FALSE(kavex::state().ovridFlag) << "SetTerminal clears the flags first";
    EXPECT_FALSE(kavex::state().echoFlag);
}

TEST_F(LogonTest, SetPasswordTakesOneToFiveCharactersAndLeavesTheErrorAlone) {
    ExitCOMM();  // error 2
    const std::string before = kavex::state().terminalPassword;
    for (const char* refused : {static_cast<const char*>(nullptr), "", "123456"}) {
        EXPECT_EQ(SetPassword(refused), -1);
        EXPECT_EQ(kavex::state().terminalPassword, before);
    }
    EXPECT_EQ(SetPassword("1"), 0);
    EXPECT_EQ(kavex::state().terminalPassword, "1");
    EXPECT_EQ(SetPassword("12345"), 0);
    EXPECT_EQ(kavex::state().terminalPassword, "12345");
    EXPECT_EQ(errorCode(), 2);
}

}  // namespace
}  // namespace kavex_test
