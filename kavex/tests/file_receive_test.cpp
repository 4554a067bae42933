// RecvFile, ViewFile and the record keys on a direct RS232 line (paced by a CR per line) and on
// the Ovrid model (not paced): command texts, the local file, the end-line checks, the failures
// with their clean-up, and the meter's events.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "meter_recorder.h"
#include "operations_fixture.h"
#include "transfer_script.h"

namespace kavex_test {
namespace {

std::string padded(const std::string& name) { return name + std::string(8 - name.size(), ' '); }

std::string crlfLines(const Lines& records) {
    std::string text;
    for (const std::string& r : records) text += r + "\r\n";
    return text;
}

class ReceiveTest : public OperationsTest {
protected:
    void SetUp() override {
        OperationsTest::SetUp();
        terminal.handler = script.handler();
        path = folder.file("received");
    }
    // The Ovrid model: listings by pattern, no CR pacing.
    void ovrid() {
        kavex::state().ovridFlag = true;
        script.paced = false;
    }
    // Terminal file `name` of `records`, listed with `size` (default: its bytes with CR LF).
    void offer(const std::string& name, const Lines& records, bool withChecksum = true,
               int64_t size = -1) {
        if (size < 0) size = static_cast<int64_t>(crlfLines(records).size());
        const std::string entry = padded(name) + " " + std::to_string(size);
        script.on("@DIR " + padded(name), {"@DIR " + entry});
        script.on("@TYPE " + name, transferLines("@TYPE " + name, records, withChecksum));
    }
    // What went on the line after the read command: one CR per line asked for.
    static std::string crs(size_t n) { return std::string(n, '\r'); }

    TransferScript script;
    std::string path;
};

TEST_F(ReceiveTest, FilesOfZeroOneAndThreeRecordsArriveAsCrLfLines) {
    const struct {
        const char* name;
        Lines records;
        bool withChecksum;
    } cases[] = {
        {"EMPTY", {}, true},
        {"ONE", {"0815 IN"}, true},
        {"THREE", {"A", "", "C \xE9 D"}, true},
        {"NOSUM", {"X1", "X2", "X3"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        offer(c.name, c.records, c.withChecksum);
        writeBytes(path, "an older file that is replaced");
        mark();
        EXPECT_EQ(RecvFile(c.name, path.c_str()), static_cast<int32_t>(c.records.size()))
            << errorText();
        EXPECT_EQ(errorCode(), 0);
        EXPECT_EQ(readBytes(path), crlfLines(c.records));
        EXPECT_EQ(sentSinceMark(), "@DIR " + padded(c.name) + "\r@TYPE " + c.name + "\r" +
                                       crs(c.records.size() + 1));
    }
}

TEST_F(ReceiveTest, TheConfigurationFileIsReadWithoutListingByItsExactName) {
    script.on("@TYPE CFGS", transferLines("@TYPE CFGS", {"01 0"}));
    EXPECT_EQ(RecvFile("CFGS", path.c_str()), 1) << errorText();
    EXPECT_EQ(sentSinceMark(), "@TYPE CFGS\r" + crs(2));
    mark();
    EXPECT_EQ(RecvFile("cfgs", path.c_str()), -1);
    EXPECT_EQ(errorCode(), 52);
    EXPECT_EQ(sentSinceMark().substr(0, 14), "@DIR cfgs    \r");
}

TEST_F(ReceiveTest, EndLineChecksFailAfterTheTransferAndDeleteTheLocalFile) {
    const Lines records{"AB", "CD", "EF"};
    const int32_t sum = recordChecksum(records);
    const struct {
        const char* name;
        std::string endLine;
        int32_t result;
        int32_t error;
    } cases[] = {
        {"right", "\x04" "3 RECS " + std::to_string(sum), 3, 0},
        {"wrong checksum", "\x04" "3 RECS " + std::to_string(sum + 1), -1, 68},
        {"checksum wrapped", "\x04" "3 RECS " + std::to_string(sum + 32768), -1, 68},
        {"wrong count", "\x04" "2 RECS " + std::to_string(sum), -1, 60},
        {"wrong count, no checksum", "\x04" "4", -1, 60},
        {"both wrong", "\x04" "4 RECS 0", -1, 68},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        offer("F", records);
        Lines lines = transferLines("@TYPE F", records);
        lines.back() = c.endLine;
        script.on("@TYPE F", lines);
        mark();
        EXPECT_EQ(RecvFile("F", path.c_str()), c.result);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_EQ(fileExists(path), c.result >= 0);
        EXPECT_EQ(sentSinceMark(), "@DIR F       \r@TYPE F\r" + crs(4)) << "nothing more sent";
        if (c.error != 0) {
            EXPECT_NE(errorText().find("<" + c.endLine + ">"), std::string::npos) << errorText();
        }
    }
}

TEST_F(ReceiveTest, FailuresWhileTheTerminalSendsEndTheTransferAndDeleteTheLocalFile) {
    const Lines records{"R1", "R2", "R3"};
    const struct {
        const char* name;
        Lines type;            // the terminal's answer to "@TYPE F"
        int writeFailure;      // the write that fails, or -1
        int32_t error;
        std::string shown;     // the reply line GetError shows
    } cases[] = {
        {"falls silent", {"@TYPE F", "R1"}, -1, 40, ""},
        {"line too long", {"@TYPE F", std::string(128, 'x')}, -1, 93, ""},
        {"unknown command", {"@TYPE F ??"}, -1, 62, "@TYPE F ??"},
        {"not answered", {}, -1, 40, ""},
        {"write fails", transferLines("@TYPE F", records), 1, 94, "R2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        offer("F", records);
        script.on("@TYPE F", c.type);
        kavex::injectLocalFileFaults({.writesBeforeFailure = c.writeFailure});
        terminal.lines.clear();
        EXPECT_EQ(RecvFile("F", path.c_str()), -1);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_NE(errorText().find("<" + c.shown + ">"), std::string::npos) << errorText();
        EXPECT_FALSE(fileExists(path));
        ASSERT_GE(terminal.lines.size(), 3u);
        EXPECT_EQ(terminal.lines[terminal.lines.size() - 1], "\x04") << "the transfer is ended";
    }
}

TEST_F(ReceiveTest, AFileThatCannotBeCreatedOrClosed) {
    offer("F", {"R1"});
    SetKeyRec(2);
    EXPECT_EQ(RecvFile("F", folder.file("missing/received").c_str()), -1);
    EXPECT_EQ(errorCode(), 56);
    EXPECT_EQ(sentSinceMark(), "");
    EXPECT_EQ(kavex::state().recordKeyNumber, 0) << "the key is cleared";

    kavex::injectLocalFileFaults({.closesBeforeFailure = 0});
    EXPECT_EQ(RecvFile("F", path.c_str()), -1);
    EXPECT_EQ(errorCode(), 67);
    EXPECT_EQ(readBytes(path), "R1\r\n") << "kept";
}

TEST_F(ReceiveTest, TheListingStepFailsWith52AndKeepsTheKeys) {
    script.on("@DIR GONE    ", {"@DIR GONE     ?*"});
    ASSERT_EQ(SetKeyRecStr("K"), 0);
    EXPECT_EQ(RecvFile("GONE", path.c_str()), -1);
    EXPECT_EQ(errorCode(), 52);
    EXPECT_FALSE(fileExists(path));
    EXPECT_EQ(terminal.lines, (Lines{"@DIR GONE    ", "\x04"}));

    script.on("@DIR GONE    ", {"@DIR GONE     9"});
    Lines keyed = transferLines("@DBL K GONE K1", {"R2"});
    keyed.back() = "\x04" "2 RECS " + std::to_string(recordChecksum({"R2"}));
    script.on("@DBL K GONE", keyed);
    EXPECT_EQ(RecvFile("GONE", path.c_str()), 1) << errorText();
    EXPECT_EQ(terminal.lines.back(), "") << "paced";
    EXPECT_EQ(terminal.lines[3], "@DBL K GONE") << "the key was kept";
}

TEST_F(ReceiveTest, AKeyTextSkipsItsRecordAndANumberStartsThere) {
    offer("F", {});
    const Lines afterKey{"R3", "R4"};
    Lines keyed = transferLines("@DBL 0815 F 0815 R2", afterKey);
    keyed.back() = "\x04" "3 RECS " + std::to_string(recordChecksum(afterKey));
    script.on("@DBL 0815 F", keyed);
    ASSERT_EQ(SetKeyRecStr("0815"), 0);
    EXPECT_EQ(RecvFile("F", path.c_str()), 2) << errorText();
    EXPECT_EQ(readBytes(path), "R3\r\nR4\r\n");

    Lines numbered = transferLines("@DBL 5 F D R5", {"R6"});
    numbered.back() = "\x04" "2 RECS " + std::to_string(recordChecksum({"R6"}));
    script.on("@DBL 5 F D", numbered);
    ASSERT_EQ(SetKeyRec(5), 0);
    EXPECT_EQ(RecvFile("F", path.c_str()), 2) << errorText();
    EXPECT_EQ(readBytes(path), "R5\r\nR6\r\n");

    terminal.lines.clear();
    EXPECT_EQ(RecvFile("F", path.c_str()), 0) << "the keys were consumed";
    EXPECT_EQ(terminal.lines[1], "@TYPE F");
}

TEST_F(ReceiveTest, AKeyNotFound) {
    offer("F", {"R1"});
    script.on("@DBL 9 F D", {"@DBL 9 F D ?*"});
    script.on("@DBL NOPE F", {"@DBL NOPE F ?*"});
    ASSERT_EQ(SetKeyRec(9), 0);
    EXPECT_EQ(RecvFile("F", path.c_str()), 0) << "past the last record: no records";
    EXPECT_EQ(errorCode(), 0);
    EXPECT_EQ(readBytes(path), "") << "the empty file is kept";

    ASSERT_EQ(SetKeyRecStr("NOPE"), 0);
    EXPECT_EQ(RecvFile("F", path.c_str()), -1);
    EXPECT_EQ(errorCode(), 61);
    EXPECT_FALSE(fileExists(path));
    terminal.lines.clear();
    EXPECT_EQ(RecvFile("F", path.c_str()), 1);
    EXPECT_EQ(terminal.lines[1], "@TYPE F");
}

TEST_F(ReceiveTest, TheKeysAndTheirChecks) {
    const struct {
        const char* name;
        std::function<int32_t()> call;
        int32_t result;
        int32_t number;
        std::string text;
    } cases[] = {
        {"number", [] { return SetKeyRec(7); }, 0, 7, ""},
        {"text clears the number", [] { return SetKeyRecStr("ABC"); }, 0, 0, "ABC"},
        {"negative number", [] { return SetKeyRec(-1); }, -1, 0, "ABC"},
        {"65 characters", [] { return SetKeyRecStr(std::string(65, 'k').c_str()); }, -1, 0,
         "ABC"},
        {"empty text", [] { return SetKeyRecStr(""); }, -1, 0, "ABC"},
        {"null text", [] { return SetKeyRecStr(nullptr); }, -1, 0, "ABC"},
        {"64 characters", [] { return SetKeyRecStr(std::string(64, 'k').c_str()); }, 0, 0,
         std::string(64, 'k')},
        {"number clears the text", [] { return SetKeyRec(3); }, 0, 3, ""},
        {"0 clears both", [] { return SetKeyRec(0); }, 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), c.result);
        EXPECT_EQ(errorCode(), c.result == 0 ? 0 : 3);
        EXPECT_EQ(kavex::state().recordKeyNumber, c.number);
        EXPECT_EQ(kavex::state().recordKeyText, c.text);
    }
}

TEST_F(ReceiveTest, ArgumentChecksClearTheKeysAndSendNothing) {
    const std::string ninth = "NINECHARS";
    const struct {
        const char* name;
        std::function<int32_t(const char*)> call;
        bool device;
        bool terminalSelected;
        bool ovridModel;
        int32_t error;
    } cases[] = {
        {"null name", [](const char* p) { return RecvFile(nullptr, p); }, false, false, false, 3},
        {"null path", [](const char*) { return RecvFile("F", nullptr); }, false, false, false, 3},
        {"no device", [](const char* p) { return RecvFile("F", p); }, false, false, false, 2},
        {"no terminal", [](const char* p) { return RecvFile("F", p); }, true, false, false, 4},
        {"empty name", [](const char* p) { return RecvFile("", p); }, true, true, false, 3},
        {"nine characters", [&](const char* p) { return RecvFile(ninth.c_str(), p); }, true,
         true, false, 3},
        {"a key on the Ovrid model", [](const char* p) { return RecvFile("F", p); }, true, true,
         true, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExitCOMM();
        if (c.device) open(3);
        if (c.terminalSelected) {
            ASSERT_EQ(ChgTerminal(0), 0);
        }
        kavex::state().ovridFlag = c.ovridModel;
        ASSERT_EQ(SetKeyRec(5), 0);
        mark();
        EXPECT_EQ(c.call(path.c_str()), -1);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_EQ(kavex::state().recordKeyNumber, 0);
        EXPECT_EQ(sentSinceMark(), "");
        EXPECT_FALSE(fileExists(path));
    }
}

TEST_F(ReceiveTest, TheOvridModelListsByPatternAndIsNotPaced) {
    ovrid();
    script.on("@DIR PUNCH   ", {"@DIR PUNCH   ", "PUNCH    2", "\x04" "1"});
    script.on("@TYPE PUNCH", transferLines("@TYPE PUNCH", {"P1", "P2"}));
    EXPECT_EQ(RecvFile("PUNCH", path.c_str()), 2) << errorText();
    EXPECT_EQ(sentSinceMark(), "@DIR PUNCH   \r@TYPE PUNCH\r") << "no CR per line";
    EXPECT_EQ(readBytes(path), "P1\r\nP2\r\n");
}

TEST_F(ReceiveTest, ARecordPastTheLimitFailsTheTransfer) {
    kavex::state().recordLimits.receive = 3;
    offer("F", {"R1", "R2", "R3"});
    EXPECT_EQ(RecvFile("F", path.c_str()), 3) << "up to the limit";
    offer("F", {"R1", "R2", "R3", "R4"});
    terminal.lines.clear();
    EXPECT_EQ(RecvFile("F", path.c_str()), -1);
    EXPECT_EQ(errorCode(), 60);
    EXPECT_FALSE(fileExists(path));
    EXPECT_EQ(terminal.lines.back(), "\x04") << "the terminal is stopped";
}

TEST_F(ReceiveTest, TheMeterShowsRecordsAndBytes) {
    MeterRecorder meter;
    EnableMeter(1);
    // A punch file: twice the listed size is expected, and it never reopens.
    offer("PRE40315", {"12345", "678"}, true, 4);
    ASSERT_EQ(RecvFile("PRE40315", path.c_str()), 2) << errorText();
    EXPECT_EQ(meter.display(), (std::vector<MeterEventCopy>{opened("Receive File: PRE40315", 8),
                                                            progress(1, 8, 5), progress(2, 8, 8),
                                                            closed()}));

    // Another name: once the running total passes the listed size, the meter reopens.
    meter.events.clear();
    offer("ABC", {"12345", "678", "9"}, true, 4);
    ASSERT_EQ(RecvFile("ABC", path.c_str()), 3) << errorText();
    EXPECT_EQ(meter.display(),
              (std::vector<MeterEventCopy>{opened("Receive File: ABC", 4), progress(1, 4, 5),
                                           closed(), opened("SendFile: ABC", 8),
                                           progress(2, 8, 3), progress(3, 8, 4), closed()}));

    // A failure closes the meter too.
    meter.events.clear();
    script.on("@TYPE ABC", {"@TYPE ABC ??"});
    EXPECT_EQ(RecvFile("ABC", path.c_str()), -1);
    EXPECT_EQ(meter.display(),
              (std::vector<MeterEventCopy>{opened("Receive File: ABC", 4), closed()}));

    // Without EnableMeter nothing is shown.
    EnableMeter(0);
    meter.events.clear();
    offer("ABC", {"1"});
    ASSERT_EQ(RecvFile("ABC", path.c_str()), 1);
    EXPECT_EQ(meter.display(), std::vector<MeterEventCopy>{});
}

TEST_F(ReceiveTest, TheOvridMeterCountsRecordsAndCfgsHasNoExpectedSize) {
    MeterRecorder meter;
    EnableMeter(1);
    ovrid();
    script.on("@DIR LOG     ", {"@DIR LOG     ", "LOG      3", "\x04" "1"});
    script.on("@TYPE LOG", transferLines("@TYPE LOG", {"ABCD", "EF", "G"}));
    ASSERT_EQ(RecvFile("LOG", path.c_str()), 3) << errorText();
    EXPECT_EQ(meter.display(),
              (std::vector<MeterEventCopy>{opened("Receive File: LOG", 0), newTotal(18),
                                           progress(1, 18, 4), progress(2, 18, 6),
                                           progress(3, 18, 7), closed()}));

    meter.events.clear();
    script.on("@TYPE CFGS", transferLines("@TYPE CFGS", {"01 0", "02 1"}));
    ASSERT_EQ(RecvFile("CFGS", path.c_str()), 2) << errorText();
    EXPECT_EQ(meter.display(),
              (std::vector<MeterEventCopy>{opened("Receive File: CFGS", 0), newTotal(0),
                                           progress(1, 0, 4), progress(2, 0, 8), closed()}));
}

TEST_F(ReceiveTest, TheHostGetsItsTurnEveryFourthRecordAcrossTransfers) {
    MeterRecorder meter;
    const Lines ten{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    offer("F", ten);
    EnableMeter(1);
    ASSERT_EQ(RecvFile("F", path.c_str()), 10);
    const size_t first = meter.of(KAVEX_METER_PUMP).size();
    EXPECT_TRUE(first == 2 || first == 3) << first;
    // Once a meter was shown, the turns go on without it, and the counter is not reset.
    EnableMeter(0);
    meter.events.clear();
    ASSERT_EQ(RecvFile("F", path.c_str()), 10);
    ASSERT_EQ(RecvFile("F", path.c_str()), 10);
    const size_t later = meter.of(KAVEX_METER_PUMP).size();
    EXPECT_EQ(first + later, 30u / 4 + (first == 3 ? 1u : 0u)) << first << " " << later;
    EXPECT_EQ(meter.display(), std::vector<MeterEventCopy>{});
}

class ViewTest : public ReceiveTest {};

TEST_F(ViewTest, TheFileComesIntoMemoryAsCrLfLines) {
    script.on("@TYPE F", transferLines("@TYPE F", {"AB", "", "CD"}, false));
    char text[64];
    std::memset(text, 'm', sizeof text);
    EXPECT_EQ(ViewFile("F", text, sizeof text), 3) << errorText();
    EXPECT_STREQ(text, "AB\r\n\r\nCD\r\n");
    EXPECT_EQ(errorCode(), 0);
    EXPECT_EQ(sentSinceMark(), "@TYPE F\r" + crs(4));

    // The end line's count is not compared.
    Lines miscounted = transferLines("@TYPE F", {"AB"});
    miscounted.back() = "\x04" "7";
    script.on("@TYPE F", miscounted);
    EXPECT_EQ(ViewFile("F", text, sizeof text), 1) << errorText();
}

TEST_F(ViewTest, WhatDoesNotFitEndsTheTransferWithTheLinesThatFit) {
    script.on("@TYPE F", transferLines("@TYPE F", {"AB", "CD", "EF"}));
    char text[16];
    std::memset(text, 'm', sizeof text);
    // "AB\r\nCD\r\n" and the zero take 9 bytes.
    for (const uint32_t size : {9u, 12u}) {
        SCOPED_TRACE(size);
        terminal.lines.clear();
        EXPECT_EQ(ViewFile("F", text, size), 2) << errorText();
        EXPECT_EQ(errorCode(), 0);
        EXPECT_STREQ(text, "AB\r\nCD\r\n");
        EXPECT_EQ(text[size], 'm');
        EXPECT_EQ(terminal.lines.back(), "\x04") << "the transfer is ended";
    }
    EXPECT_EQ(ViewFile("F", text, 1), 0);
    EXPECT_STREQ(text, "");
}

TEST_F(ViewTest, ChecksAndRefusals) {
    char text[16];
    const struct {
        const char* name;
        std::function<int32_t()> call;
        int32_t error;
    } cases[] = {
        {"null name", [&] { return ViewFile(nullptr, text, 16); }, 3},
        {"null text", [] { return ViewFile("F", nullptr, 16); }, 3},
        {"size 65536", [&] { return ViewFile("F", text, 65536); }, 3},
        {"size 0", [&] { return ViewFile("F", text, 0); }, 3},
        {"nine characters", [&] { return ViewFile("ABCDEFGHI", text, 16); }, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mark();
        EXPECT_EQ(c.call(), -1);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_EQ(sentSinceMark(), "");
    }
    script.on("@TYPE F", {"@TYPE F ?*"});
    EXPECT_EQ(ViewFile("F", text, 16), -1);
    EXPECT_EQ(errorCode(), 62);
    EXPECT_EQ(errorText(), "Send command ignored: <@TYPE F ?*>");
    EXPECT_EQ(terminal.lines.back(), "\x04");
    script.on("@TYPE F", {"@TYPE F", "AB"});
    EXPECT_EQ(ViewFile("F", text, 16), -1);
    EXPECT_EQ(errorCode(), 40) << "the terminal fell silent";
}

}  // namespace
}  // namespace kavex_test
