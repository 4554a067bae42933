// The real libkavex.so against simulated terminals over pseudo-terminals: the clock and
// configuration commands, listing, receiving, viewing, deleting and sending files, on a direct
// RS232 line (paced by a CR per record), through a line driver, on a relayed line and on the
// Selvo bus over a radio modem.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kavex.h"
#include "sim_session.h"
#include "temporary_files.h"

namespace {

using kavex_test::errorCode;
using kavex_test::fileExists;
using kavex_test::lastError;
using kavex_test::kPort;
using kavex_test::makeDevice;
using kavex_test::readBytes;
using kavex_test::SimSession;
using kavex_test::TemporaryFolder;
using kavex_test::writeBytes;
using Records = std::vector<std::string>;

struct ModeCase {
    const char* name;
    int mode;
    int baud;
    int terminal;
    int bigFile;  // records of the large file received and sent
};

// The large files stay within what a pseudo-terminal buffers where transfers are not paced
// (through a line driver): the simulated line does not stop for XOFF.
const ModeCase kModes[] = {
    {"Direct", 3, 38400, 0, 2000},
    {"SelvoRadio", 8, 19200, 12, 2000},
    {"LineDriver", 2, 38400, 5, 1000},
    {"IndirectRouted", 4, 38400, 7, 300},
};

// `count` records of 20 to 40 characters, different from each other.
Records numberedRecords(int count, const std::string& tag) {
    Records records;
    for (int i = 0; i < count; ++i) {
        records.push_back(tag + std::to_string(i) + " " + std::string(20 + i % 21, static_cast<char>('a' + i % 26)));
    }
    return records;
}

std::string crlfText(const Records& records) {
    std::string text;
    for (const std::string& r : records) text += r + "\r\n";
    return text;
}

class TerminalOperations : public ::testing::TestWithParam<ModeCase> {
protected:
    void SetUp() override {
        Set232TimeOut(3);
        PurgeRS232TimeOut(1);
        config.files['A']["EMPTY"] = {};
        config.files['A']["ONE"] = {"first and only"};
        config.files['A']["THREE"] = {"alpha", "", "gamma"};
        config.files['A']["KEYS"] = {"K1 one", "K2 two", "K3 three", "K4 four"};
        config.files['A']["BIG"] = numberedRecords(GetParam().bigFile, "R");
        config.files['A']["MID"] = numberedRecords(300, "M");
        config.files['B']["ONB"] = {"on drive B"};
        config.parameters[5] = "HELLO";
    }
    void TearDown() override {
        ExitCOMM();
        Set232TimeOut(10);
    }
    // Opens the device and logs on to the terminal of the mode.
    void connect(SimSession& session) {
        (void)session;
        const ModeCase& c = GetParam();
        ASSERT_GT(InitCOMM(kPort, c.mode, c.baud, 0), 0) << lastError();
        ASSERT_EQ(SetTerminal(c.terminal), 0) << lastError();
    }
    sim::Terminal& terminal(SimSession& session) { return *session.device().terminal; }
    // Receives `name` into the folder and gives the local file's text ("-" for none).
    int32_t receive(const std::string& name) { return RecvFile(name.c_str(), local.c_str()); }
    std::string localText() const { return fileExists(local) ? readBytes(local) : "-"; }

    sim::TerminalConfig config;
    TemporaryFolder folder;
    const std::string local = folder.file("local");
};

TEST_P(TerminalOperations, ClockParametersAndDrives) {
    SimSession session(makeDevice(GetParam().mode, GetParam().terminal, config));
    connect(session);
    char value[KAVEX_REPLY_SIZE];
    ASSERT_EQ(SetTime("101500"), 0) << lastError();
    ASSERT_EQ(GetTime(value), 0) << lastError();
    EXPECT_GE(std::string(value), "101500");
    EXPECT_LE(std::string(value), "101510");
    ASSERT_EQ(SetDate("4240229"), 0) << lastError();
    ASSERT_EQ(GetDate(value), 0) << lastError();
    EXPECT_STREQ(value, "4240229");
    EXPECT_EQ(SetTime("240000"), -1);
    EXPECT_EQ(errorCode(), 3);

    ASSERT_EQ(GetParameter(5, value), 0) << lastError();
    EXPECT_STREQ(value, "HELLO");
    ASSERT_EQ(SetParameter(6, "WORLD"), 0) << lastError();
    EXPECT_EQ(terminal(session).parameter(6), "WORLD");
    ASSERT_EQ(SetParameter(7, nullptr), 0) << lastError();
    EXPECT_EQ(terminal(session).parameter(7), "");

    int32_t selected[KAVEX_PARAMETER_COUNT] = {};
    char values[KAVEX_PARAMETER_COUNT * KAVEX_PARAMETER_SLOT_SIZE] = {};
    selected[5] = selected[6] = selected[90] = 1;
    ASSERT_EQ(GetAllParams(selected, values), 0) << lastError();
    EXPECT_STREQ(values + 5 * KAVEX_PARAMETER_SLOT_SIZE, "HELLO");
    EXPECT_STREQ(values + 6 * KAVEX_PARAMETER_SLOT_SIZE, "WORLD");
    EXPECT_STREQ(values + 90 * KAVEX_PARAMETER_SLOT_SIZE, "0");
    std::strcpy(values + 90 * KAVEX_PARAMETER_SLOT_SIZE, "NINETY");
    ASSERT_EQ(SetAllParams(selected, values), 0) << lastError();
    EXPECT_EQ(terminal(session).parameter(90), "NINETY");

    ASSERT_EQ(ChgDrv("B"), 0) << lastError();
    EXPECT_EQ(terminal(session).currentDrive(), 'B');
    char entries[KAVEX_LIST_BUFFER_SIZE];
    ASSERT_EQ(ListFiles(nullptr, entries), 2) << lastError();
    EXPECT_EQ(std::string(entries).substr(0, 9), "CFGS     ") << "on every drive";
    EXPECT_STREQ(entries + KAVEX_LIST_ENTRY_SIZE, "ONB      12");
    ASSERT_EQ(ChgDrv("A"), 0) << lastError();
}

TEST_P(TerminalOperations, ListsViewsAndDeletesFiles) {
    SimSession session(makeDevice(GetParam().mode, GetParam().terminal, config));
    connect(session);
    char entries[KAVEX_LIST_BUFFER_SIZE];
    ASSERT_EQ(ListFiles("", entries), 7) << lastError();
    EXPECT_EQ(std::string(entries + 5 * KAVEX_LIST_ENTRY_SIZE), "ONE      16");
    EXPECT_EQ(std::string(entries).substr(0, 9), "BIG      ");
    ASSERT_EQ(ListFiles("THREE   ", entries), 1) << lastError();
    EXPECT_STREQ(entries, "THREE    16");
    EXPECT_EQ(ListFiles("NONE    ", entries), 0) << lastError();

    char text[64];
    ASSERT_EQ(ViewFile("THREE", text, sizeof text), 3) << lastError();
    EXPECT_STREQ(text, "alpha\r\n\r\ngamma\r\n");
    ASSERT_EQ(ViewFile("BIG", text, sizeof text), 2) << "what fits: " << lastError();
    EXPECT_EQ(errorCode(), 0);
    char reply[KAVEX_REPLY_SIZE];
    if (GetParam().mode == 2) {
        // Through a line driver nothing empties the line after a cut: the records the driver
        // had already relayed still arrive, and the caller reads them away as the terminal's
        // own lines before its next command.
        for (int line = 0; line < 10000; ++line) {
            if (GetMsgEx(reply) != 0 && errorCode() == 40) break;
        }
    }
    ASSERT_EQ(SendCommand("@CFG 05", reply), 0) << "the link is clean after the cut: " << lastError();
    EXPECT_STREQ(reply, "@CFG 05 HELLO");

    ASSERT_EQ(DeleFile("ONE"), 0) << lastError();
    EXPECT_FALSE(terminal(session).file('A', "ONE"));
    EXPECT_EQ(DeleFile("ONE"), -1);
    EXPECT_EQ(errorCode(), 65);
}

TEST_P(TerminalOperations, ReceivesFilesOfZeroOneThreeAndThousandsOfRecords) {
    SimSession session(makeDevice(GetParam().mode, GetParam().terminal, config));
    connect(session);
    for (const char* name : {"EMPTY", "ONE", "THREE", "BIG"}) {
        SCOPED_TRACE(name);
        const Records& records = config.files['A'][name];
        ASSERT_EQ(receive(name), static_cast<int32_t>(records.size())) << lastError();
        EXPECT_EQ(localText(), crlfText(records));
    }
    ASSERT_EQ(receive("CFGS"), 100) << lastError();
    EXPECT_EQ(localText().substr(0, 12), "00 0\r\n01 0\r\n");
    EXPECT_EQ(receive("MISSING"), -1);
    EXPECT_EQ(errorCode(), 52);
    EXPECT_EQ(localText(), "-");
}

TEST_P(TerminalOperations, KeyedReadsStartAtARecordNumberOrAfterAKey) {
    SimSession session(makeDevice(GetParam().mode, GetParam().terminal, config));
    connect(session);
    ASSERT_EQ(SetKeyRec(2), 0);
    ASSERT_EQ(receive("KEYS"), 3) << lastError();
    EXPECT_EQ(localText(), "K2 two\r\nK3 three\r\nK4 four\r\n");
    ASSERT_EQ(SetKeyRecStr("K2"), 0);
    ASSERT_EQ(receive("KEYS"), 2) << lastError();
    EXPECT_EQ(localText(), "K3 three\r\nK4 four\r\n");
    ASSERT_EQ(SetKeyRec(9), 0);
    ASSERT_EQ(receive("KEYS"), 0) << lastError();
    EXPECT_EQ(localText(), "");
    ASSERT_EQ(SetKeyRecStr("K9"), 0);
    EXPECT_EQ(receive("KEYS"), -1);
    EXPECT_EQ(errorCode(), 61);
    EXPECT_EQ(localText(), "-");
    ASSERT_EQ(receive("KEYS"), 4) << "the keys were consumed: " << lastError();
}

TEST_P(TerminalOperations, FailuresMidFileLeaveNoLocalFileAndACleanLink) {
    SimSession session(makeDevice(GetParam().mode, GetParam().terminal, config));
    connect(session);
    const struct {
        const char* name;
        sim::TerminalFaults faults;
        int32_t error;
    } cases[] = {
        {"line breaks", {.breakAfterRecords = 100}, 40},
        {"wrong checksum", {.wrongChecksums = 1}, 68},
        {"wrong count", {.wrongCounts = 1}, 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        terminal(session).setFaults(c.faults);
        EXPECT_EQ(receive("MID"), -1);
        EXPECT_EQ(errorCode(), c.error) << lastError();
        EXPECT_EQ(localText(), "-");
        char reply[KAVEX_REPLY_SIZE];
        ASSERT_EQ(SendCommand("@CFG 05", reply), 0) << lastError();
        EXPECT_STREQ(reply, "@CFG 05 HELLO");
    }
    ASSERT_EQ(receive("THREE"), 3) << lastError();
}

TEST_P(TerminalOperations, SendsFilesAndProgramsThatComeBackTheSame) {
    SimSession session(makeDevice(GetParam().mode, GetParam().terminal, config));
    connect(session);
    const std::string source = folder.file("source");
    const struct {
        const char* name;
        Records records;
    } files[] = {{"NEW0", {}},
                 {"NEW1", {"one"}},
                 {"NEW3", {"a", "", "c"}},
                 {"NEWBIG", numberedRecords(GetParam().bigFile, "S")}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        writeBytes(source, crlfText(f.records));
        ASSERT_EQ(SendFile(source.c_str(), f.name, 0, 0), static_cast<int32_t>(f.records.size()))
            << lastError();
        EXPECT_EQ(terminal(session).file('A', f.name), f.records);
    }
    ASSERT_EQ(receive("NEW3"), 3) << lastError();
    EXPECT_EQ(localText(), "a\r\n\r\nc\r\n");
    writeBytes(source, "P1\rP2\r\x1A");
    ASSERT_EQ(SendPrg(source.c_str()), 2) << lastError();
    EXPECT_EQ(terminal(session).program(), (Records{"P1", "P2"}));

    // A load the terminal miscounts is deleted again; a record too long never leaves.
    terminal(session).setFaults({.wrongCounts = 1});
    writeBytes(source, "X\r\n");
    EXPECT_EQ(SendFile(source.c_str(), "MISCOUNT", 0, 0), -1);
    EXPECT_EQ(errorCode(), 60) << lastError();
    EXPECT_FALSE(terminal(session).file('A', "MISCOUNT"));
    writeBytes(source, "X\r\n" + std::string(128, 'y'));
    EXPECT_EQ(SendFile(source.c_str(), "TOOLONG", 0, 0), -1);
    EXPECT_EQ(errorCode(), 58);
    EXPECT_FALSE(terminal(session).file('A', "TOOLONG"));
    EXPECT_FALSE(terminal(session).loading());
}

INSTANTIATE_TEST_SUITE_P(Kavex, TerminalOperations, ::testing::ValuesIn(kModes),
                         [](const auto& mode) { return std::string(mode.param.name); });

class OvridOperations : public TerminalOperations {};

TEST_P(OvridOperations, TheOvridModelListsByPatternCountsRecordsAndReplacesFiles) {
    config.model = "Ovrid";
    SimSession session(makeDevice(GetParam().mode, GetParam().terminal, config));
    connect(session);
    char entries[KAVEX_LIST_BUFFER_SIZE];
    ASSERT_EQ(ListFiles("THREE   ", entries), 1) << lastError();
    EXPECT_STREQ(entries, "THREE    3") << "a record count";
    ASSERT_EQ(receive("MID"), 300) << lastError();
    EXPECT_EQ(localText(), crlfText(config.files['A']["MID"]));
    EXPECT_EQ(SetKeyRec(2), 0);
    EXPECT_EQ(receive("KEYS"), -1) << "no record keys on this model";
    EXPECT_EQ(errorCode(), 3);

    const std::string source = folder.file("source");
    writeBytes(source, "new\r\ncontent\r\n");
    ASSERT_EQ(SendFile(source.c_str(), "THREE", 0, 0), 2) << lastError();
    EXPECT_EQ(terminal(session).file('A', "THREE"), (Records{"new", "content"}));
}

INSTANTIATE_TEST_SUITE_P(Kavex, OvridOperations, ::testing::Values(kModes[0], kModes[1]),
                         [](const auto& mode) { return std::string(mode.param.name); });

}  // namespace
