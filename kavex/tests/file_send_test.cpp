// SendFile and SendPrg on a direct RS232 line against a terminal that loads: the load commands,
// the records as the local file gives them, the final count, the abort sequences and the meter.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "meter_recorder.h"
#include "operations_fixture.h"

namespace kavex_test {
namespace {

using Lines = std::vector<std::string>;

// A terminal's side of loading: the load command and every record echoed, 0x04 answered with
// the number of records stored (0x04 itself when no load runs).
struct Loader {
    std::optional<std::string> answer(const std::string& line) {
        if (line == "\x04") {
            if (!loading) return line;
            loading = false;
            return std::to_string(static_cast<int>(stored.size()) + countOffset);
        }
        if (loading) {
            const int index = static_cast<int>(stored.size());
            if (index == silentAt) return std::nullopt;
            stored.push_back(line);
            return unechoed.contains(index) ? line + "?" : line;
        }
        if (line.starts_with("@LOAD")) {
            if (refuseLoad) return line + " ??";
            loading = true;
            stored.clear();
            return line;
        }
        if (line == "%XI") return std::string("Pello");
        if (line.starts_with("@DEL ")) return line;
        return std::nullopt;
    }

    bool loading = false;
    Lines stored;
    int countOffset = 0;
    int silentAt = -1;          // the record (from 0) that gets no answer
    std::set<int> unechoed;     // the records answered with another text
    bool refuseLoad = false;
};

class SendTest : public OperationsTest {
protected:
    void SetUp() override {
        OperationsTest::SetUp();
        terminal.handler = [this](const std::string& l) { return loader.answer(l); };
        path = folder.file("local.txt");
    }

    Loader loader;
    std::string path;
};

TEST_F(SendTest, FilesOfZeroOneAndThreeRecordsAreLoadedRecordByRecord) {
    const struct {
        const char* name;
        std::string bytes;
        Lines records;
    } cases[] = {
        {"empty", "", {}},
        {"one, no line end", "0815 IN", {"0815 IN"}},
        {"three, CR LF", "A\r\nB\r\nC\r\n", {"A", "B", "C"}},
        {"CR only and an empty record", "A\r\rC", {"A", "", "C"}},
        {"ended by 0x1A", "A\r\nB\r\n\x1A" "C\r\n", {"A", "B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path, c.bytes);
        mark();
        EXPECT_EQ(SendFile(path.c_str(), "TEST", 0, 0), static_cast<int32_t>(c.records.size()))
            << errorText();
        EXPECT_EQ(errorCode(), 0);
        EXPECT_EQ(loader.stored, c.records);
        std::string expected = "\x04\r@LOAD TEST\r";
        for (const std::string& r : c.records) expected += r + "\r";
        EXPECT_EQ(sentSinceMark(), expected + "\x04\r");
    }
}

TEST_F(SendTest, TheLoadCommandCarriesTheOptionAndTheNumber) {
    const struct {
        int32_t optionP;
        int32_t number;
        const char* command;
    } cases[] = {{0, 0, "@LOAD N"},
                 {1, 0, "@LOAD N P"},
                 {0, 12, "@LOAD N 12"},
                 {1, 12, "@LOAD N P12"},
                 {0, 127, "@LOAD N 127"}};
    writeBytes(path, "");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        terminal.lines.clear();
        EXPECT_EQ(SendFile(path.c_str(), "N", c.optionP, c.number), 0) << errorText();
        EXPECT_EQ(terminal.lines, (Lines{"\x04", c.command, "\x04"}));
    }
}

TEST_F(SendTest, ArgumentChecks) {
    writeBytes(path, "A\r\n");
    const char* p = path.c_str();
    const struct {
        const char* name;
        std::function<int32_t()> call;
        bool device;
        bool selected;
        int32_t error;
    } cases[] = {
        {"null name", [&] { return SendFile(p, nullptr, 0, 0); }, false, false, 3},
        {"null path", [] { return SendFile(nullptr, "N", 0, 0); }, false, false, 3},
        {"no device", [&] { return SendFile(p, "N", 0, 0); }, false, false, 2},
        {"no terminal", [&] { return SendFile(p, "N", 0, 0); }, true, false, 4},
        {"bad name, no terminal", [&] { return SendFile(p, "A B", 0, 0); }, true, false, 4},
        {"blank in the name", [&] { return SendFile(p, "A B", 0, 0); }, true, true, 3},
        {"control character", [&] { return SendFile(p, "A\tB", 0, 0); }, true, true, 3},
        {"byte above 0x7F", [&] { return SendFile(p, "A\x80", 0, 0); }, true, true, 3},
        {"empty name", [&] { return SendFile(p, "", 0, 0); }, true, true, 3},
        {"nine characters", [&] { return SendFile(p, "ABCDEFGHI", 0, 0); }, true, true, 3},
        {"option 2", [&] { return SendFile(p, "N", 2, 0); }, true, true, 3},
        {"number 128", [&] { return SendFile(p, "N", 0, 128); }, true, true, 3},
        {"number -1", [&] { return SendFile(p, "N", 1, -1); }, true, true, 3},
        {"SendPrg null path", [] { return SendPrg(nullptr); }, false, false, 3},
        {"SendPrg no device", [&] { return SendPrg(p); }, false, false, 2},
        {"SendPrg no terminal", [&] { return SendPrg(p); }, true, false, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExitCOMM();
        if (c.device) open(3);
        if (c.selected) {
            ASSERT_EQ(ChgTerminal(0), 0);
        }
        mark();
        EXPECT_EQ(c.call(), -1);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_EQ(sentSinceMark(), "");
    }
    ASSERT_EQ(ChgTerminal(0), 0);
    EXPECT_EQ(SendFile(p, "!~\x7F" "ABCDE", 1, 127), 1) << "0x21 to 0x7F, 8 characters";
}

TEST_F(SendTest, TheWakeUpWaitsOnceForALateReplyThenTriesAgain) {
    writeBytes(path, "A");
    bool first = true;
    terminal.handler = [&](const std::string& l) -> std::optional<std::string> {
        if (l == "\x04" && first) {
            first = false;
            line->feedAfter(1500, "\x04\r");  // after the one-second reply wait
            return std::nullopt;
        }
        return loader.answer(l);
    };
    EXPECT_EQ(SendFile(path.c_str(), "N", 0, 0), 1) << errorText();
    EXPECT_EQ(terminal.lines, (Lines{"\x04", "@LOAD N", "A", "\x04"}));

    terminal.handler = [](const std::string&) { return std::nullopt; };
    mark();
    EXPECT_EQ(SendFile(path.c_str(), "N", 0, 0), -1);
    EXPECT_EQ(errorCode(), 45);
    EXPECT_EQ(sentSinceMark(), "\x04\r\x04\r") << "two tries, nothing loaded";
}

TEST_F(SendTest, TheOvridModelDeletesTheOldFileFirstWithoutAwaitingTheEcho) {
    kavex::state().ovridFlag = true;
    writeBytes(path, "A\r\n");
    terminal.handler = [&](const std::string& l) -> std::optional<std::string> {
        if (l.starts_with("@DEL")) return l + " ?*";
        return loader.answer(l);
    };
    EXPECT_EQ(SendFile(path.c_str(), "N", 0, 0), 1) << errorText();
    EXPECT_EQ(sentSinceMark(), "\x04\r@DEL N\r@LOAD N\rA\r\x04\r");
}

TEST_F(SendTest, FailuresBeforeTheRecords) {
    writeBytes(path, "A\r\n");
    loader.refuseLoad = true;
    EXPECT_EQ(SendFile(path.c_str(), "N", 0, 0), -1);
    EXPECT_EQ(errorCode(), 55);
    EXPECT_EQ(errorText(), "Load command ignored: <@LOAD N ?" "?>");
    EXPECT_EQ(terminal.lines, (Lines{"\x04", "@LOAD N"})) << "nothing more";

    loader.refuseLoad = false;
    mark();
    EXPECT_EQ(SendFile(folder.file("missing").c_str(), "N", 0, 0), -1);
    EXPECT_EQ(errorCode(), 56);
    EXPECT_EQ(sentSinceMark(), "\x04\r@LOAD N\r\x04\r@DEL N\r") << "the load is ended and deleted";
}

TEST_F(SendTest, FailuresDuringTheRecordsDeleteThePartialFile) {
    const struct {
        const char* name;
        std::string bytes;
        int silentAt;
        int unechoed;
        int32_t error;
        Lines sentRecords;
    } cases[] = {
        {"record too long", "A\r\n" + std::string(128, 'x') + "\r\n", -1, -1, 58, {"A"}},
        {"record not echoed", "A\r\nB\r\nC\r\n", -1, 1, 59, {"A", "B"}},
        {"record not answered", "A\r\nB\r\n", 1, -1, 40, {"A", "B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path, c.bytes);
        loader.silentAt = c.silentAt;
        loader.unechoed = c.unechoed >= 0 ? std::set<int>{c.unechoed} : std::set<int>{};
        terminal.lines.clear();
        EXPECT_EQ(SendFile(path.c_str(), "N", 0, 0), -1);
        EXPECT_EQ(errorCode(), c.error);
        Lines expected{"\x04", "@LOAD N"};
        expected.insert(expected.end(), c.sentRecords.begin(), c.sentRecords.end());
        expected.insert(expected.end(), {"\x04", "@DEL N"});
        EXPECT_EQ(terminal.lines, expected);
    }
    loader.silentAt = -1;
    loader.unechoed.clear();
}

TEST_F(SendTest, TheEndOfTheLoadIsChecked) {
    writeBytes(path, "A\r\nB\r\n");
    loader.countOffset = 1;
    EXPECT_EQ(SendFile(path.c_str(), "N", 0, 0), -1);
    EXPECT_EQ(errorCode(), 60);
    EXPECT_EQ(errorText(), "Records number does not match: <3>");
    EXPECT_EQ(terminal.lines, (Lines{"\x04", "@LOAD N", "A", "B", "\x04", "\x04", "@DEL N"}));

    loader.countOffset = 0;
    kavex::injectLocalFileFaults({.closesBeforeFailure = 0});
    terminal.lines.clear();
    EXPECT_EQ(SendFile(path.c_str(), "N", 0, 0), -1);
    EXPECT_EQ(errorCode(), 67);
    EXPECT_EQ(terminal.lines, (Lines{"\x04", "@LOAD N", "A", "B", "\x04"})) << "no deletion";
}

TEST_F(SendTest, TheFinalEotUnansweredIsError45AndTheFileIsDeleted) {
    writeBytes(path, "A\r\n");
    int eots = 0;
    terminal.handler = [&](const std::string& l) -> std::optional<std::string> {
        if (l == "\x04" && ++eots > 1) return std::nullopt;
        return loader.answer(l);
    };
    EXPECT_EQ(SendFile(path.c_str(), "N", 0, 0), -1);
    EXPECT_EQ(errorCode(), 45);
    EXPECT_EQ(terminal.lines,
              (Lines{"\x04", "@LOAD N", "A", "\x04", "\x04", "\x04", "@DEL N"}));
}

TEST_F(SendTest, PastTheRecordLimitTheLoadEndsWellOnlyWithNothingLeft) {
    kavex::state().recordLimits.sendFile = 2;
    kavex::state().recordLimits.sendProgram = 2;
    writeBytes(path, "A\r\nB\r\nC\r\n");
    EXPECT_EQ(SendFile(path.c_str(), "N", 0, 0), 3) << errorText();
    EXPECT_EQ(SendPrg(path.c_str()), 3) << errorText();
    writeBytes(path, "A\r\nB\r\nC\r\nD\r\n");
    terminal.lines.clear();
    EXPECT_EQ(SendFile(path.c_str(), "N", 0, 0), -1);
    EXPECT_EQ(errorCode(), 64);
    EXPECT_EQ(terminal.lines,
              (Lines{"\x04", "@LOAD N", "A", "B", "C", "\x04", "@DEL N"}));
    EXPECT_EQ(SendPrg(path.c_str()), -1);
    EXPECT_EQ(errorCode(), 64);
}

TEST_F(SendTest, TheMeterShowsTheFileSizeAndEachRecordWithItsLineEnd) {
    MeterRecorder meter;
    EnableMeter(1);
    writeBytes(path, "ABC\r\nDE\r\n");
    ASSERT_EQ(SendFile(path.c_str(), "N", 0, 0), 2) << errorText();
    EXPECT_EQ(meter.display(), (std::vector<MeterEventCopy>{opened("Send File: N", 9),
                                                            progress(1, 9, 5), progress(2, 9, 9),
                                                            closed()}));
    meter.events.clear();
    ASSERT_EQ(SendPrg(path.c_str()), 2) << errorText();
    EXPECT_EQ(meter.display(),
              (std::vector<MeterEventCopy>{opened("Work in progress...", 9), progress(1, 9, 5),
                                           progress(2, 9, 9), closed()}));
    meter.events.clear();
    loader.unechoed = {0};
    EXPECT_EQ(SendPrg(path.c_str()), -1);
    EXPECT_EQ(meter.display(),
              (std::vector<MeterEventCopy>{opened("Work in progress...", 9), closed()}));
}

class SendProgramTest : public SendTest {};

TEST_F(SendProgramTest, TheProgramIsLoadedAfterTheIdentification) {
    writeBytes(path, "P1\r\nP2\r\n");
    EXPECT_EQ(SendPrg(path.c_str()), 2) << errorText();
    EXPECT_EQ(sentSinceMark(), "%XI\r@LOADP\rP1\rP2\r\x04\r");
    EXPECT_EQ(loader.stored, (Lines{"P1", "P2"}));
}

TEST_F(SendProgramTest, FailuresNeverDeleteAnything) {
    const struct {
        const char* name;
        std::string bytes;
        int silentAt;
        int unechoed;
        int countOffset;
        int32_t error;
        Lines sent;
    } cases[] = {
        {"record not answered", "A\r\nB\r\n", 1, -1, 0, 59,
         {"%XI", "@LOADP", "A", "B", "\x04", "\x04"}},
        {"record not echoed", "A\r\nB\r\n", -1, 0, 0, 59, {"%XI", "@LOADP", "A", "\x04", "\x04"}},
        {"record too long", std::string(128, 'x'), -1, -1, 0, 58,
         {"%XI", "@LOADP", "\x04", "\x04"}},
        {"count differs", "A\r\n", -1, -1, 1, 60, {"%XI", "@LOADP", "A", "\x04"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path, c.bytes);
        loader.silentAt = c.silentAt;
        loader.unechoed = c.unechoed >= 0 ? std::set<int>{c.unechoed} : std::set<int>{};
        loader.countOffset = c.countOffset;
        terminal.lines.clear();
        EXPECT_EQ(SendPrg(path.c_str()), -1);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_EQ(terminal.lines, c.sent);
    }
}

TEST_F(SendProgramTest, UnansweredSteps) {
    writeBytes(path, "A\r\n");
    const struct {
        const char* name;
        std::function<bool(const std::string&)> refuse;
        int32_t error;
        Lines sent;
    } cases[] = {
        {"identification", [](const std::string& l) { return l == "%XI"; }, 46, {"%XI"}},
        {"load", [](const std::string& l) { return l == "@LOADP"; }, 55, {"%XI", "@LOADP"}},
        {"final 0x04", [](const std::string& l) { return l == "\x04"; }, 45,
         {"%XI", "@LOADP", "A", "\x04", "\x04"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        terminal.handler = [&](const std::string& l) -> std::optional<std::string> {
            if (c.refuse(l)) return std::nullopt;
            return loader.answer(l);
        };
        terminal.lines.clear();
        EXPECT_EQ(SendPrg(path.c_str()), -1);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_EQ(terminal.lines, c.sent);
    }
    terminal.handler = [](const std::string& l) {
        return std::optional<std::string>(l == "@LOADP" ? "@LOADP ??" : "Pello");
    };
    EXPECT_EQ(SendPrg(path.c_str()), -1);
    EXPECT_EQ(errorCode(), 55);
    loader.loading = false;
    terminal.handler = [this](const std::string& l) { return loader.answer(l); };
    EXPECT_EQ(SendPrg(folder.file("missing").c_str()), -1);
    EXPECT_EQ(errorCode(), 56);
}

}  // namespace
}  // namespace kavex_test
