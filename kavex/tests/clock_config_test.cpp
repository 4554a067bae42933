// The clock and configuration commands on a direct RS232 line: command texts, the value checks,
// the reply rules with their error codes, and the parameter tables.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "operations_fixture.h"

namespace kavex_test {
namespace {

using Lines = std::vector<std::string>;

class ClockConfigTest : public OperationsTest {
protected:
    void SetUp() override {
        OperationsTest::SetUp();
        echoAll();
    }
    // The terminal echoes every line, as it confirms a setting.
    void echoAll() {
        terminal.handler = [](const std::string& l) { return std::optional<std::string>(l); };
    }
};

TEST_F(ClockConfigTest, SettingsSendTheirCommandAndAcceptOnlyTheExactEcho) {
    const struct {
        const char* name;
        std::function<int32_t()> call;
        const char* command;
        int32_t ignored;
    } settings[] = {
        {"SetTime", [] { return SetTime("235959"); }, "@TIME 235959", 49},
        {"SetDate", [] { return SetDate("0991231"); }, "@DATE 0991231", 50},
        {"SetParameter", [] { return SetParameter(7, "ON"); }, "@CFG 07 ON", 51},
        {"SetParameter null", [] { return SetParameter(0, nullptr); }, "@CFG 00 ", 51},
        {"SetParameter 32", [] { return SetParameter(99, std::string(32, 'v').c_str()); },
         nullptr, 51},
        {"ChgDrv", [] { return ChgDrv("B:"); }, "@CD B", 48},
    };
    for (const auto& s : settings) {
        SCOPED_TRACE(s.name);
        const std::string command =
            s.command != nullptr ? s.command : "@CFG 99 " + std::string(32, 'v');
        echoAll();
        mark();
        EXPECT_EQ(s.call(), 0) << errorText();
        EXPECT_EQ(sentSinceMark(), command + "\r");
        EXPECT_EQ(errorCode(), 0);

        // Any other reply, the same text in other letters included, is refused.
        for (const std::string& other : {command + " ??", std::string("@cd b"), std::string()}) {
            answerRaw(other + "\r");
            EXPECT_EQ(s.call(), -1);
            EXPECT_EQ(errorCode(), s.ignored);
            EXPECT_EQ(errorText().find(": <" + other + ">") != std::string::npos, true)
                << errorText();
        }
    }
}

TEST_F(ClockConfigTest, TimeAndDateValuesAreCheckedBeforeAnythingIsSent) {
    const struct {
        const char* value;
        bool time;
        bool accepted;
    } cases[] = {
        {"235959", true, true},    {"000000", true, true},     {"240000", true, false},
        {"236000", true, false},   {"235960", true, false},    {"12345", true, false},
        {"1234567", true, false},  {"12a456", true, false},    {"", true, false},
        {"3240229", false, true},  {"0000229", false, true},   {"3240230", false, false},
        {"6990131", false, true},  {"3240431", false, false},  {"3241231", false, true},
        {"7240101", false, false}, {"3240001", false, false},  {"3241301", false, false},
        {"3240100", false, false}, {"324010", false, false},   {"32401011", false, false},
        {"32-0101", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        mark();
        const int32_t result = c.time ? SetTime(c.value) : SetDate(c.value);
        if (c.accepted) {
            EXPECT_EQ(result, 0) << errorText();
            EXPECT_EQ(sentSinceMark(), std::string(c.time ? "@TIME " : "@DATE ") + c.value + "\r");
        } else {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(errorCode(), 3);
            EXPECT_EQ(sentSinceMark(), "");
        }
    }
}

TEST_F(ClockConfigTest, ReadingsReturnTheReplyAfterTheCommandWord) {
    const struct {
        const char* name;
        std::function<int32_t(char*)> call;
        const char* command;
        std::string reply;
        int32_t result;
        int32_t error;
        const char* value;
    } cases[] = {
        {"time", GetTime, "@TIME", "@TIME 123456", 0, 0, "123456"},
        {"time of 7", GetTime, "@TIME", "@TIME 1", 0, 0, "1"},
        {"time of 6", GetTime, "@TIME", "@TIME ", -1, 49, nullptr},
        {"date", GetDate, "@DATE", "@DATE 3240229", 0, 0, "3240229"},
        {"date of 6", GetDate, "@DATE", "@DATEx", -1, 50, nullptr},
        {"parameter", [](char* v) { return GetParameter(5, v); }, "@CFG 05", "@CFG 05 HELLO",
         0, 0, "HELLO"},
        {"parameter of 9", [](char* v) { return GetParameter(42, v); }, "@CFG 42", "@CFG 42 X",
         0, 0, "X"},
        {"parameter of 8", [](char* v) { return GetParameter(5, v); }, "@CFG 05", "@CFG 05 ", 0,
         0, ""},
        {"parameter of 2", [](char* v) { return GetParameter(5, v); }, "@CFG 05", "OK", 0, 0,
         ""},
        {"longest parameter reply", [](char* v) { return GetParameter(5, v); }, "@CFG 05",
         "@CFG 05 " + std::string(119, 'p'), 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        answerRaw(c.reply + "\r");
        mark();
        char value[KAVEX_REPLY_SIZE + 8];
        std::memset(value, 0x5A, sizeof value);
        EXPECT_EQ(c.call(value), c.result);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_EQ(sentSinceMark(), std::string(c.command) + "\r");
        if (c.result == 0) {
            EXPECT_EQ(std::string(value), c.value != nullptr ? c.value : c.reply.substr(8));
        }
        for (size_t i = KAVEX_REPLY_SIZE; i < sizeof value; ++i) ASSERT_EQ(value[i], 0x5A);
    }
}

TEST_F(ClockConfigTest, EachOperationChecksInItsOwnOrder) {
    const std::string longValue(33, 'v');
    char buffer[KAVEX_REPLY_SIZE];
    const struct {
        const char* name;
        std::function<int32_t()> call;
        int32_t withoutDevice;
        int32_t withoutTerminal;
        int32_t selected;
    } cases[] = {
        {"GetTime null", [] { return GetTime(nullptr); }, 3, 3, 3},
        {"GetDate null", [] { return GetDate(nullptr); }, 3, 3, 3},
        {"GetParameter null", [] { return GetParameter(1, nullptr); }, 3, 3, 3},
        {"GetParameter 100", [&] { return GetParameter(100, buffer); }, 2, 4, 3},
        {"GetParameter -1", [&] { return GetParameter(-1, buffer); }, 2, 4, 3},
        {"SetTime null", [] { return SetTime(nullptr); }, 3, 3, 3},
        {"SetTime bad", [] { return SetTime("999999"); }, 2, 4, 3},
        {"SetDate null", [] { return SetDate(nullptr); }, 3, 3, 3},
        {"SetDate bad", [] { return SetDate("9999999"); }, 2, 4, 3},
        {"SetParameter long", [&] { return SetParameter(1, longValue.c_str()); }, 3, 3, 3},
        {"SetParameter 100", [] { return SetParameter(100, "x"); }, 2, 4, 3},
        {"ChgDrv null", [] { return ChgDrv(nullptr); }, 2, 4, 3},
        {"ChgDrv lower case", [] { return ChgDrv("a"); }, 2, 4, 3},
        {"ChgDrv D", [] { return ChgDrv("D"); }, 2, 4, 3},
        {"ChgDrv empty", [] { return ChgDrv(""); }, 2, 4, 3},
    };
    const struct {
        const char* name;
        bool device;
        bool terminal;
    } situations[] = {{"no device", false, false}, {"no terminal", true, false},
                      {"selected", true, true}};
    for (const auto& situation : situations) {
        ExitCOMM();
        if (situation.device) open(3);
        if (situation.terminal) {
            ASSERT_EQ(ChgTerminal(0), 0);
        }
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(situation.name) + ": " + c.name);
            mark();
            EXPECT_EQ(c.call(), -1);
            EXPECT_EQ(errorCode(), !situation.device     ? c.withoutDevice
                                   : !situation.terminal ? c.withoutTerminal
                                                         : c.selected);
            EXPECT_EQ(sentSinceMark(), "");
        }
    }
}

TEST_F(ClockConfigTest, AFailedExchangeLeavesItsOwnError) {
    terminal.handler = nullptr;
    char value[KAVEX_REPLY_SIZE];
    EXPECT_EQ(GetTime(value), -1);
    EXPECT_EQ(errorCode(), 40);
    EXPECT_EQ(SetParameter(3, "x"), -1);
    EXPECT_EQ(errorCode(), 40);
    answerRaw("PARTIAL");
    EXPECT_EQ(ChgDrv("C"), -1);
    EXPECT_EQ(errorCode(), 35);
}

// Tables of 100 selections and 100 slots of 17 bytes, filled with a marker byte.
struct ParameterTables {
    ParameterTables() { std::memset(values, 'm', sizeof values); }
    char* slot(int i) { return values + KAVEX_PARAMETER_SLOT_SIZE * i; }
    void put(int i, const std::string& text) { std::memcpy(slot(i), text.c_str(), text.size() + 1); }

    int32_t selected[KAVEX_PARAMETER_COUNT] = {};
    char values[KAVEX_PARAMETER_COUNT * KAVEX_PARAMETER_SLOT_SIZE + 8];
};

TEST_F(ClockConfigTest, GetAllParamsReadsTheSelectedParametersIntoTheirSlots) {
    terminal.handler = [](const std::string& l) -> std::optional<std::string> {
        if (l == "@CFG 01") return "@CFG 01 ONE";
        if (l == "@CFG 07") return "@CFG 07 " + std::string(20, 's');
        if (l == "@CFG 99") return "@CFG 99";
        return std::nullopt;
    };
    ParameterTables t;
    EXPECT_EQ(GetAllParams(t.selected, t.values), 0) << "none selected";
    EXPECT_EQ(sentSinceMark(), "");

    t.selected[1] = 1;
    t.selected[7] = -5;
    t.selected[99] = 1;
    ASSERT_EQ(GetAllParams(t.selected, t.values), 0) << errorText();
    EXPECT_EQ(terminal.lines, (Lines{"@CFG 01", "@CFG 07", "@CFG 99"}));
    EXPECT_STREQ(t.slot(1), "ONE");
    EXPECT_EQ(std::string(t.slot(7)), std::string(16, 's')) << "cut to its slot";
    EXPECT_STREQ(t.slot(99), "");
    EXPECT_EQ(t.slot(8)[0], 'm') << "the next slot is untouched";
    EXPECT_EQ(t.slot(0)[0], 'm');
    EXPECT_EQ(t.values[KAVEX_PARAMETER_COUNT * KAVEX_PARAMETER_SLOT_SIZE], 'm');

    // Parameter 7 fails: -93 with its error, and 99 is not asked for.
    t.selected[7] = 0;
    t.selected[8] = 1;
    terminal.lines.clear();
    EXPECT_EQ(GetAllParams(t.selected, t.values), -92);
    EXPECT_EQ(errorCode(), 40);
    EXPECT_EQ(terminal.lines, (Lines{"@CFG 01", "@CFG 08"}));
}

TEST_F(ClockConfigTest, SetAllParamsWritesEachSelectedSlotUntilOneFails) {
    ParameterTables t;
    t.put(2, "A");
    t.put(50, "");
    t.put(99, std::string(16, 'z'));
    t.selected[2] = t.selected[50] = t.selected[99] = 1;
    ASSERT_EQ(SetAllParams(t.selected, t.values), 0) << errorText();
    EXPECT_EQ(terminal.lines, (Lines{"@CFG 02 A", "@CFG 50 ", "@CFG 99 " + std::string(16, 'z')}));

    // A refused echo at 50 ends the call there.
    terminal.lines.clear();
    terminal.handler = [](const std::string& l) {
        return std::optional<std::string>(l == "@CFG 50 " ? "NO" : l);
    };
    EXPECT_EQ(SetAllParams(t.selected, t.values), -50);
    EXPECT_EQ(errorCode(), 51);
    EXPECT_EQ(terminal.lines, (Lines{"@CFG 02 A", "@CFG 50 "}));

    // A slot without its terminating zero is refused, not read into the next one.
    echoAll();
    terminal.lines.clear();
    std::memset(t.slot(50), 'x', KAVEX_PARAMETER_SLOT_SIZE);
    EXPECT_EQ(SetAllParams(t.selected, t.values), -50);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_EQ(terminal.lines, (Lines{"@CFG 02 A"}));
    std::memset(t.slot(99), 'x', KAVEX_PARAMETER_SLOT_SIZE);  // the last slot: never past it
    t.selected[50] = 0;
    EXPECT_EQ(SetAllParams(t.selected, t.values), -1);
    EXPECT_EQ(errorCode(), 3);
}

TEST_F(ClockConfigTest, TheTablesCheckTheirPointersThenEachParameter) {
    ParameterTables t;
    t.selected[4] = 1;
    t.put(4, "v");
    EXPECT_EQ(GetAllParams(nullptr, t.values), -1);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_EQ(SetAllParams(t.selected, nullptr), -1);
    EXPECT_EQ(errorCode(), 3);
    ExitCOMM();
    EXPECT_EQ(GetAllParams(t.selected, t.values), -96);
    EXPECT_EQ(errorCode(), 2);
    open(3);
    EXPECT_EQ(SetAllParams(t.selected, t.values), -96);
    EXPECT_EQ(errorCode(), 4);
    EXPECT_EQ(sentSinceMark(), "");
}

}  // namespace
}  // namespace kavex_test
