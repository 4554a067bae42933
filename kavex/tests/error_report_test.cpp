// GetError's forms and the time-out exports: their checks, what they store and what they clear.
#include <gtest/gtest.h>

#include "kavex_fixture.h"
#include "library_state.h"

namespace kavex_test {
namespace {

class ErrorReportTest : public KavexLineTest {};

TEST_F(ErrorReportTest, NoErrorIsNoneAndANullBufferIsItselfAWrongParameter) {
    ExitCOMM();
    ASSERT_EQ(Set232TimeOut(3), 0);
    EXPECT_EQ(errorText(), "None") << "Set232TimeOut clears the error first";
    EXPECT_EQ(GetError(nullptr), -1);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_EQ(errorText(), "Wrong parameters: <>");
    EXPECT_EQ(errorCode(), 3) << "GetError does not change the code";
}

TEST_F(ErrorReportTest, WindowsErrorsShowOnlyTheirFormattedText) {
    terminal.handler = [&](const std::string&) -> std::optional<std::string> {
        line->pendingErrors = platform::kLineParity;
        return std::nullopt;
    };
    open(3);
    ASSERT_EQ(ChgTerminal(0), 0);
    EXPECT_EQ(SendCommand("X", reply), -1);
    EXPECT_EQ(errorCode(), 70);
    EXPECT_EQ(errorText(), "Windows error: 4");
}

TEST_F(ErrorReportTest, TimeOutSettingsAreCheckedAndKept) {
    EXPECT_EQ(Set232TimeOut(0), -1);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_EQ(Set232TimeOut(-5), -1);
    EXPECT_EQ(Get232TimeOut(), 1);
    EXPECT_EQ(SetSelvoTimeOut(7), 0);
    EXPECT_EQ(Get232TimeOut(), 7) << "one setting under two names";

    EXPECT_EQ(SetWinSockTimeOut(1), 0);
    EXPECT_EQ(kavex::state().udpTries, 1) << "1000 / 2000 rounds to no try, replaced by one";
    EXPECT_EQ(GetWinSockTimeOut(), 1);
    EXPECT_EQ(SetWinSockTimeOut(9), 0);
    EXPECT_EQ(kavex::state().udpTries, 4);
    EXPECT_EQ(GetWinSockTimeOut(), 9);
    EXPECT_EQ(SetWinSockTimeOut(0), -1);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_EQ(GetWinSockTimeOut(), 9);
    EXPECT_EQ(SetWinSockTimeOut(INT32_MAX), 0);
    EXPECT_EQ(GetWinSockTimeOut(), INT32_MAX / 1000) << "the longest wait milliseconds can hold";
    EXPECT_EQ(kavex::state().udpTries, INT32_MAX / 2000);

    const struct {
        int32_t seconds, result;
    } purges[] = {{0, -1}, {21, -1}, {1, 0}, {20, 0}};
    for (const auto& p : purges) {
        SCOPED_TRACE(p.seconds);
        ExitCOMM();  // error 2, which an accepted PurgeRS232TimeOut leaves as it is
        EXPECT_EQ(PurgeRS232TimeOut(p.seconds), p.result);
        EXPECT_EQ(errorCode(), p.result == 0 ? 2 : 3);
    }
    EXPECT_EQ(kavex::state().purgeWait, 20);
}

TEST_F(ErrorReportTest, TheVersionQueryRefusesANullBufferAndClearsTheErrorFirst) {
    EXPECT_EQ(GetKavexVersion(nullptr), -1);
    EXPECT_EQ(errorCode(), 3);
    char text[KAVEX_VERSION_SIZE];
    EXPECT_EQ(GetKavexVersion(text), 0);
    EXPECT_EQ(errorCode(), 0);
}

}  // namespace
}  // namespace kavex_test
