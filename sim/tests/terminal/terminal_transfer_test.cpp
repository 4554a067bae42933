// Transfers: pacing by lone CRs on RS232 lines, and the faults that spoil them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "terminal_fixture.h"

namespace simtest {
namespace {

using Lines = std::vector<std::string>;

const std::string kAbcEnd = endLine("3 RECS 1204");

sim::TerminalConfig modelConfig(const std::string& model) {
    sim::TerminalConfig config = fixtureConfig();
    config.model = model;
    return config;
}

// Everything the terminal sends for a command and then for lone CRs until it stops sending.
Lines pacedTransfer(sim::Terminal& terminal, const std::string& command) {
    Lines sent = terminal.command(command);
    while (terminal.awaitsCarriageReturn()) {
        const Lines next = terminal.command("");
        if (next.empty()) break;  // the line broke
        EXPECT_EQ(next.size(), 1u) << "one line per CR";
        sent.insert(sent.end(), next.begin(), next.end());
    }
    return sent;
}

TEST(TerminalTransfer, PacedLinkSendsOneLinePerCarriageReturn) {
    sim::Terminal terminal(fixtureConfig());
    terminal.setCarriageReturnPacing(true);
    EXPECT_EQ(terminal.command("@TYPE ABC"), Lines{"@TYPE ABC"});
    for (const std::string& expected :
         {std::string("one"), std::string("two"), std::string("three"), kAbcEnd}) {
        ASSERT_TRUE(terminal.awaitsCarriageReturn());
        EXPECT_EQ(terminal.command(""), Lines{expected});
    }
    EXPECT_FALSE(terminal.awaitsCarriageReturn());
    EXPECT_EQ(terminal.command(""), Lines{});
}

TEST(TerminalTransfer, PacingByCommandAndModel) {
    struct Case {
        const char* model;
        std::string command;
        Lines atOnce;  // sent before any CR
        Lines whole;
    };
    const Lines keyed = {"@DBL 2 ABC D two", "three", endLine("2 RECS 536")};
    const std::vector<Case> cases = {
        {"Pello", "@TYPE ABC", {"@TYPE ABC"}, {"@TYPE ABC", "one", "two", "three", kAbcEnd}},
        {"Pello", "@DBL 2 ABC D", {keyed[0]}, keyed},
        {"Ovrid",
         "@TYPE ABC",
         {"@TYPE ABC", "one", "two", "three", kAbcEnd},
         {"@TYPE ABC", "one", "two", "three", kAbcEnd}},
        {"Pello",
         "@DIR PRE",
         {"@DIR PRE", "PRE51230 19", "PRE51231 38", endLine("2")},
         {"@DIR PRE", "PRE51230 19", "PRE51231 38", endLine("2")}},
        {"Pello", "@TYPE NOPE", {"@TYPE NOPE ?*"}, {"@TYPE NOPE ?*"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.command);
        sim::Terminal atOnce(modelConfig(c.model));
        atOnce.setCarriageReturnPacing(true);
        EXPECT_EQ(atOnce.command(c.command), c.atOnce);
        sim::Terminal whole(modelConfig(c.model));
        whole.setCarriageReturnPacing(true);
        EXPECT_EQ(pacedTransfer(whole, c.command), c.whole);
    }
}

TEST(TerminalTransfer, AnotherCommandAbandonsAPacedTransfer) {
    struct Case {
        std::string command;
        Lines reply;
    };
    for (const Case& c : std::vector<Case>{{"\x04", {"\x04"}}, {"@TIME", {"@TIME 081530"}}}) {
        SCOPED_TRACE(c.command);
        sim::Terminal terminal(fixtureConfig());
        terminal.setCarriageReturnPacing(true);
        terminal.command("@TYPE ABC");
        ASSERT_EQ(terminal.command(""), Lines{"one"});
        EXPECT_EQ(terminal.command(c.command), c.reply);
        EXPECT_FALSE(terminal.awaitsCarriageReturn());
        EXPECT_EQ(terminal.command(""), Lines{});
    }
}

TEST(TerminalTransfer, BrokenLineStopsTheNextTransfer) {
    struct Case {
        int breakAfter;
        std::string command;
        Lines sent;
    };
    const std::vector<Case> cases = {
        {0, "@TYPE ABC", {"@TYPE ABC"}},
        {2, "@TYPE ABC", {"@TYPE ABC", "one", "two"}},
        {3, "@TYPE ABC", {"@TYPE ABC", "one", "two", "three"}},  // no end line
        {1, "@DBL 1 ABC D", {"@DBL 1 ABC D one"}},               // the reply holds record 1
        {2, "@DBL 1 ABC D", {"@DBL 1 ABC D one", "two"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + " after " + std::to_string(c.breakAfter));
        for (const bool paced : {false, true}) {
            sim::Terminal terminal(fixtureConfig());
            terminal.setCarriageReturnPacing(paced);
            terminal.setFaults({.breakAfterRecords = c.breakAfter});
            EXPECT_EQ(pacedTransfer(terminal, c.command), c.sent);
            EXPECT_EQ(terminal.awaitsCarriageReturn(), paced) << "a broken line takes the CRs";
            EXPECT_EQ(terminal.command(""), Lines{});
            EXPECT_EQ(terminal.faults().breakAfterRecords, -1);
            EXPECT_EQ(pacedTransfer(terminal, "@TYPE ABC").back(), kAbcEnd) << "used once";
        }
    }
}

TEST(TerminalTransfer, BreakBeyondAShortTransferWaitsForALongerOne) {
    sim::Terminal terminal(fixtureConfig());
    terminal.setFaults({.breakAfterRecords = 5});
    EXPECT_EQ(terminal.command("@TYPE ABC").back(), kAbcEnd);
    EXPECT_EQ(terminal.faults().breakAfterRecords, 5);
}

TEST(TerminalTransfer, WrongChecksumAndCountInEndLines) {
    struct Case {
        const char* name;
        sim::TerminalFaults faults;
        std::string command;
        std::string spoiled;  // the last line the first time
        std::string sound;    // the last line the second time
    };
    const std::vector<Case> cases = {
        {"checksum", {.wrongChecksums = 1}, "@TYPE ABC", endLine("3 RECS 1205"), kAbcEnd},
        {"count", {.wrongCounts = 1}, "@TYPE ABC", endLine("4 RECS 1204"), kAbcEnd},
        {"listing count", {.wrongCounts = 1}, "@DIR PRE", endLine("3"), endLine("2")},
        {"posted listing count", {.wrongCounts = 1}, "DIR PRE", endLine("3"), endLine("2")},
        {"keyed read checksum",
         {.wrongChecksums = 1},
         "@DBL 3 ABC D",
         endLine("1 RECS 1"),
         endLine("1 RECS 0")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Terminal terminal(fixtureConfig());
        terminal.setFaults(c.faults);
        EXPECT_EQ(terminal.command(c.command).back(), c.spoiled);
        EXPECT_EQ(terminal.command(c.command).back(), c.sound);
    }
}

TEST(TerminalTransfer, WrongCountAtTheEndOfALoad) {
    sim::Terminal terminal(fixtureConfig());
    terminal.setFaults({.wrongCounts = 1});
    terminal.command("@LOAD NEW");
    terminal.command("r1");
    EXPECT_EQ(terminal.command("\x04"), Lines{"2"});
    EXPECT_EQ(terminal.file('A', "NEW"), sim::Records{"r1"});
}

TEST(TerminalTransfer, SilentTerminalAnswersNothingButHearsEverything) {
    sim::Terminal terminal(fixtureConfig());
    terminal.setFaults({.silent = true});
    for (const std::string& command : {std::string("\x04"), std::string("%XI"),
                                       std::string("@TYPE ABC"), std::string("@CFG 07 x")}) {
        EXPECT_EQ(terminal.command(command), Lines{}) << command;
    }
    EXPECT_EQ(terminal.parameter(7), "0");
    EXPECT_EQ(terminal.received().size(), 4u);
    terminal.setFaults({});
    EXPECT_EQ(terminal.command("\x04"), Lines{"\x04"});
}

}  // namespace
}  // namespace simtest
