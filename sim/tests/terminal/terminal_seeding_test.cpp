// The files a terminal starts with: generated punch days and folders of files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "../temporary_folder.h"
#include "terminal_fixture.h"

namespace simtest {
namespace {

namespace fs = std::filesystem;

TEST(PunchDays, FileNames) {
    EXPECT_EQ(sim::punchFileName(2015, 12, 31), "PRE51231");
    EXPECT_EQ(sim::punchFileName(2020, 1, 5), "PRE00105");
}

TEST(PunchDays, OneFilePerDayEndingToday) {
    const sim::PunchDays days{.days = 3, .seed = 7, .minPunches = 2, .maxPunches = 6, .address = 3};
    const sim::DriveFiles files = sim::generatePunchDays(days, kFixedNow);
    std::vector<std::string> names;
    for (const auto& [name, lines] : files) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"PRE51229", "PRE51230", "PRE51231"}));
}

// Each line cuts by the default layout: time 0-5, direction 6, badge 7-14, address 15-16.
TEST(PunchDays, LinesFollowThePunchLayout) {
    const sim::PunchDays days{
        .days = 20, .seed = 11, .minPunches = 3, .maxPunches = 9, .address = 42};
    for (const auto& [name, lines] : sim::generatePunchDays(days, kFixedNow)) {
        SCOPED_TRACE(name);
        EXPECT_GE(lines.size(), 3u);
        EXPECT_LE(lines.size(), 9u);
        std::string previousTime;
        for (const std::string& line : lines) {
            ASSERT_EQ(line.size(), 17u) << line;
            const int hour = std::stoi(line.substr(0, 2));
            EXPECT_TRUE(hour >= 7 && hour < 19) << line;
            EXPECT_LT(std::stoi(line.substr(2, 2)), 60) << line;
            EXPECT_LT(std::stoi(line.substr(4, 2)), 60) << line;
            EXPECT_TRUE(line[6] == '0' || line[6] == '1') << line;
            EXPECT_EQ(line.substr(7, 8).find_first_not_of("0123456789"), std::string::npos);
            EXPECT_EQ(line.substr(15), "42");
            EXPECT_LE(previousTime, line.substr(0, 6)) << "in time order";
            previousTime = line.substr(0, 6);
        }
    }
}

TEST(PunchDays, ADayDependsOnItsDateAndTheSeedOnly) {
    const sim::PunchDays one{.days = 1, .seed = 5};
    const sim::PunchDays three{.days = 3, .seed = 5};
    const sim::PunchDays otherSeed{.days = 1, .seed = 6};
    const sim::DriveFiles today = sim::generatePunchDays(one, kFixedNow);
    EXPECT_EQ(today.at("PRE51231"), sim::generatePunchDays(three, kFixedNow).at("PRE51231"));
    EXPECT_EQ(today.at("PRE51231"), sim::generatePunchDays(one, kFixedNow).at("PRE51231"));
    EXPECT_NE(today.at("PRE51231"), sim::generatePunchDays(otherSeed, kFixedNow).at("PRE51231"));
}

TEST(PunchDays, TerminalPutsThemOnDriveAWithoutReplacingSeededFiles) {
    sim::TerminalConfig config = fixtureConfig();  // holds PRE51230 and PRE51231
    config.punchDays = {.days = 3, .seed = 1};
    sim::Terminal terminal(config);
    EXPECT_EQ(terminal.fileNames('A'),
              (std::vector<std::string>{"ABC", "PRE51229", "PRE51230", "PRE51231"}));
    EXPECT_EQ(terminal.file('A', "PRE51230"), sim::Records{"08153010000123403"});
    EXPECT_FALSE(terminal.file('A', "PRE51229")->empty());
}

class TerminalFolder : public ::testing::Test {
protected:
    void write(const std::string& relative, const std::string& text) {
        const fs::path path = folder_.path() / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    TemporaryFolder folder_;
};

TEST_F(TerminalFolder, EachFileIsATerminalFileAndEachLineARecord) {
    write("CRLF", "a\r\nb\r\n");
    write("LF", "a\nb\n");
    write("CR", "a\rb\r");
    write("LASTLINE", "a\r\nb");
    write("BLANKS", "a\r\n\r\nb\r\n");
    write("EMPTY", "");
    write("B/ONB", "x\r\n");
    write("C/ONC", "y\n");
    write("X/IGNORED", "z\n");
    const sim::TerminalFiles files = sim::readTerminalFolder(folder_.path().string());
    const sim::Records ab = {"a", "b"};
    for (const char* name : {"CRLF", "LF", "CR", "LASTLINE"})
        EXPECT_EQ(files.at('A').at(name), ab) << name;
    EXPECT_EQ(files.at('A').at("BLANKS"), (sim::Records{"a", "", "b"}));
    EXPECT_EQ(files.at('A').at("EMPTY"), sim::Records{});
    EXPECT_EQ(files.at('B').at("ONB"), sim::Records{"x"});
    EXPECT_EQ(files.at('C').at("ONC"), sim::Records{"y"});
    EXPECT_EQ(files.at('A').size(), 6u);
}

TEST_F(TerminalFolder, RefusesNamesNoTerminalCanHoldAndMissingFolders) {
    write("NINECHARS", "a\n");
    EXPECT_THROW(sim::readTerminalFolder(folder_.path().string()), std::runtime_error);
    EXPECT_THROW(sim::readTerminalFolder((folder_.path() / "missing").string()),
                 std::runtime_error);
}

}  // namespace
}  // namespace simtest
