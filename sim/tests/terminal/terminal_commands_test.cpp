// The engine command by command: each case is a short script of commands and the exact reply
// lines, on the fixture terminal with the changes the case names. The link is not paced, so a
// transfer comes whole.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "terminal_fixture.h"

namespace simtest {
namespace {

using Lines = std::vector<std::string>;

struct Step {
    std::string command;
    Lines reply;
};

struct Script {
    const char* name;
    std::function<void(sim::TerminalConfig&)> configure;
    std::vector<Step> steps;
};

void runScripts(const std::vector<Script>& scripts) {
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        sim::TerminalConfig config = fixtureConfig();
        if (script.configure) script.configure(config);
        sim::Terminal terminal(config);
        for (const Step& step : script.steps) {
            EXPECT_EQ(terminal.command(step.command), step.reply) << "command: " << step.command;
        }
    }
}

const auto withPassword = [](sim::TerminalConfig& c) { c.password = "70346"; };
const auto ovrid = [](sim::TerminalConfig& c) { c.model = "Ovrid"; };

TEST(TerminalCommands, LogonAndIdentification) {
    runScripts({
        {"wake-up", nullptr, {{"\x04", {"\x04"}}}},
        {"no password wanted",
         nullptr,
         {{"LOGOFF", {"LOGOFF"}}, {"%XI", {"Pello V3.20"}}, {"@PW 1", {"@PW 1"}}}},
        {"password prompt until the password is given",
         withPassword,
         {{"%XI", {".."}},
          {"LOGOFF", {".."}},
          {"@PW 70345", {".."}},
          {"%XI", {".."}},
          {"@PW 70346", {"@PW 70346"}},
          {"%XI", {"Pello V3.20"}},
          {"LOGOFF", {".."}},
          {"%XI", {".."}}}},
        {"restart forgets the logon",
         withPassword,
         {{"@PW 70346", {"@PW 70346"}}, {"%%", {"RESTART"}}, {"%XI", {".."}}}},
        {"model name in the identification",
         [](sim::TerminalConfig& c) { c.model = "Dorva+"; },
         {{"%XI", {"Dorva+ V3.20"}}}},
        {"unknown commands",
         nullptr,
         {{"RING", {"RING ??"}},
          {"FOO BAR", {"FOO BAR ??"}},
          {"LOGON 005", {"LOGON 005 ??"}},
          {"@time", {"@time ??"}},
          {"", {}}}},
    });
}

TEST(TerminalCommands, ClockAndCalendar) {
    runScripts({
        {"reading", nullptr, {{"@TIME", {"@TIME 081530"}}, {"@DATE", {"@DATE 4151231"}}}},
        {"offset against the host",
         [](sim::TerminalConfig& c) { c.clockOffset = 3600 + 86400; },
         {{"@TIME", {"@TIME 091530"}}, {"@DATE", {"@DATE 5160101"}}}},
        {"setting the time keeps the date",
         nullptr,
         {{"@TIME 235959", {"@TIME 235959"}},
          {"@TIME", {"@TIME 235959"}},
          {"@DATE", {"@DATE 4151231"}}}},
        {"setting the date keeps the time; the weekday is worked out",
         nullptr,
         {{"@DATE 0160101", {"@DATE 0160101"}},
          {"@DATE", {"@DATE 5160101"}},
          {"@TIME", {"@TIME 081530"}}}},
        {"a 29 February the year lacks rolls over",
         nullptr,
         {{"@DATE 0150229", {"@DATE 0150229"}}, {"@DATE", {"@DATE 0150301"}}}},
        {"bad values are refused and change nothing",
         nullptr,
         {{"@TIME 240000", {"@TIME 240000 ??"}},
          {"@TIME 126000", {"@TIME 126000 ??"}},
          {"@TIME 12345", {"@TIME 12345 ??"}},
          {"@TIME 12a456", {"@TIME 12a456 ??"}},
          {"@DATE 7151231", {"@DATE 7151231 ??"}},
          {"@DATE 4151301", {"@DATE 4151301 ??"}},
          {"@DATE 4151200", {"@DATE 4151200 ??"}},
          {"@DATE 4150230", {"@DATE 4150230 ??"}},
          {"@DATE 415123", {"@DATE 415123 ??"}},
          {"@TIME", {"@TIME 081530"}},
          {"@DATE", {"@DATE 4151231"}}}},
    });
}

TEST(TerminalCommands, ParametersAndDrives) {
    const std::string longest(32, 'v');
    runScripts({
        {"parameters",
         [](sim::TerminalConfig& c) { c.parameters[12] = "ABC"; },
         {{"@CFG 07", {"@CFG 07 0"}},
          {"@CFG 12", {"@CFG 12 ABC"}},
          {"@CFG 07 hello world", {"@CFG 07 hello world"}},
          {"@CFG 07", {"@CFG 07 hello world"}},
          {"@CFG 99 ", {"@CFG 99 "}},
          {"@CFG 99", {"@CFG 99 "}},
          {"@CFG 00 " + longest, {"@CFG 00 " + longest}},
          {"@CFG 00 " + longest + "v", {"@CFG 00 " + longest + "v ??"}},
          {"@CFG 7", {"@CFG 7 ??"}},
          {"@CFG 100", {"@CFG 100 ??"}},
          {"@CFG x1", {"@CFG x1 ??"}}}},
        {"the configuration file follows the parameters",
         nullptr,
         {{"@CFG 99 on", {"@CFG 99 on"}},
          {"@DBL 99 CFGS D", {"@DBL 99 CFGS D 98 0", "99 on", endLine("2 RECS 367")}}}},
        {"drives",
         [](sim::TerminalConfig& c) { c.drives = "AB"; },
         {{"@CD B", {"@CD B"}},
          {"@DIR", {"@DIR", "BFILE    3", "CFGS     600", endLine("2")}},
          {"@CD C", {"Drive not available"}},
          {"@CD D", {"Drive not available"}},
          {"@CDA", {"@CDA"}},
          {"@CD", {"@CD ??"}}}},
    });
}

TEST(TerminalCommands, Listing) {
    const std::string all[] = {"ABC      17", "CFGS     600", "PRE51230 19", "PRE51231 38"};
    runScripts({
        {"all files, sizes in bytes with CR LF",
         nullptr,
         {{"@DIR", {"@DIR", all[0], all[1], all[2], all[3], endLine("4")}}}},
        {"a pattern matches the beginning, ? any character",
         nullptr,
         {{"@DIR PRE", {"@DIR PRE", all[2], all[3], endLine("2")}},
          {"@DIR ?B", {"@DIR ?B", all[0], endLine("1")}},
          {"@DIR Z", {"@DIR Z", endLine("0")}}}},
        {"a name of 8 characters answers in the first reply alone",
         nullptr,
         {{"@DIR PRE51231", {"@DIR " + all[3]}},
          {"@DIR ABC     ", {"@DIR " + all[0]}},
          {"@DIR PRE5123?", {"@DIR " + all[2]}},
          {"@DIR PRE51229", {"@DIR PRE51229 ?*"}},
          {"@DIR AB      ", {"@DIR AB       ?*"}}}},
        {"Ovrid: record counts, and an 8-character name is listed",
         ovrid,
         {{"@DIR",
           {"@DIR", "ABC      3", "CFGS     100", "PRE51230 1", "PRE51231 2", endLine("4")}},
          {"@DIR ABC     ", {"@DIR ABC     ", "ABC      3", endLine("1")}},
          {"@DIR PRE51229", {"@DIR PRE51229", endLine("0")}}}},
        {"the posted DIR has no heading",
         nullptr,
         {{"DIR", {all[0], all[1], all[2], all[3], endLine("4")}},
          {"DIR PRE51231", {all[3], endLine("1")}}}},
        {"the configuration file is on every drive",
         nullptr,
         {{"@CD B", {"@CD B"}}, {"@DIR C", {"@DIR C", "CFGS     600", endLine("1")}}}},
    });
}

TEST(TerminalCommands, TypedAndKeyedReads) {
    runScripts({
        {"typed read with count and checksum",
         nullptr,
         {{"@TYPE ABC", {"@TYPE ABC", "one", "two", "three", endLine("3 RECS 1204")}},
          {"@TYPE NOPE", {"@TYPE NOPE ?*"}}}},
        {"without the checksum",
         [](sim::TerminalConfig& c) { c.checksumInEndLine = false; },
         {{"@TYPE ABC", {"@TYPE ABC", "one", "two", "three", endLine("3")}}}},
        {"an empty file",
         [](sim::TerminalConfig& c) { c.files['A']["EMPTY"] = {}; },
         {{"@TYPE EMPTY", {"@TYPE EMPTY", endLine("0 RECS 0")}}}},
        {"the checksum is taken modulo 32768",
         [](sim::TerminalConfig& c) { c.files['A']["HIGH"] = {std::string(200, '\xFF')}; },
         {{"@TYPE HIGH", {"@TYPE HIGH", std::string(200, '\xFF'), endLine("1 RECS 18232")}}}},
        {"keyed by record number: the first record rides in the reply, outside the checksum",
         nullptr,
         {{"@DBL 2 ABC D", {"@DBL 2 ABC D two", "three", endLine("2 RECS 536")}},
          {"@DBL 1 ABC D", {"@DBL 1 ABC D one", "two", "three", endLine("3 RECS 882")}},
          {"@DBL 3 ABC D", {"@DBL 3 ABC D three", endLine("1 RECS 0")}},
          {"@DBL 4 ABC D", {"@DBL 4 ABC D ?*"}},
          {"@DBL 0 ABC D", {"@DBL 0 ABC D ??"}},
          {"@DBL 2 NOPE D", {"@DBL 2 NOPE D ?*"}}}},
        {"keyed by text: from the first record that begins with it",
         [](sim::TerminalConfig& c) {
             c.files['A']["KEYS"] = {"a b 1", "a b 2", "c"};
         },
         {{"@DBL tw ABC", {"@DBL tw ABC two", "three", endLine("2 RECS 536")}},
          {"@DBL 2 ABC", {"@DBL 2 ABC ?*"}},
          {"@DBL a b 2 KEYS", {"@DBL a b 2 KEYS a b 2", "c", endLine("2 RECS 99")}},
          {"@DBL zz ABC", {"@DBL zz ABC ?*"}},
          {"@DBL ABC", {"@DBL ABC ??"}}}},
        {"deletion",
         nullptr,
         {{"@DEL ABC", {"@DEL ABC"}},
          {"@TYPE ABC", {"@TYPE ABC ?*"}},
          {"@DEL ABC", {"@DEL ABC ?*"}},
          {"@DEL CFGS", {"@DEL CFGS ??"}}}},
    });
}

TEST(TerminalCommands, Loading) {
    runScripts({
        {"a new file; every line is a record, an empty one too",
         nullptr,
         {{"@LOAD NEW", {"@LOAD NEW"}},
          {"r1", {"r1"}},
          {"", {""}},
          {"@TIME", {"@TIME"}},
          {"\x04", {"3"}},
          {"@TYPE NEW", {"@TYPE NEW", "r1", "", "@TIME", endLine("3 RECS 530")}}}},
        {"an existing file is replaced",
         nullptr,
         {{"@LOAD ABC", {"@LOAD ABC"}},
          {"x", {"x"}},
          {"\x04", {"1"}},
          {"@TYPE ABC", {"@TYPE ABC", "x", endLine("1 RECS 120")}}}},
        {"P appends; the number is taken",
         nullptr,
         {{"@LOAD ABC P12", {"@LOAD ABC P12"}},
          {"four", {"four"}},
          {"\x04", {"1"}},
          {"@LOAD NEW P", {"@LOAD NEW P"}},
          {"\x04", {"0"}},
          {"@DBL 3 ABC D", {"@DBL 3 ABC D three", "four", endLine("2 RECS 444")}},
          {"@LOAD ABC 127", {"@LOAD ABC 127"}},
          {"\x04", {"0"}},
          {"@DIR ABC", {"@DIR ABC", "ABC      0", endLine("1")}},
          {"@DIR NEW", {"@DIR NEW", "NEW      0", endLine("1")}}}},
        {"malformed load commands",
         nullptr,
         {{"@LOAD ABC 128", {"@LOAD ABC 128 ??"}},
          {"@LOAD ABC Q", {"@LOAD ABC Q ??"}},
          {"@LOAD NINECHARS", {"@LOAD NINECHARS ??"}},
          {"@LOAD CFGS", {"@LOAD CFGS ??"}},
          {"@LOAD", {"@LOAD ??"}}}},
        {"Ovrid does not load over an existing file",
         ovrid,
         {{"@LOAD ABC", {"@LOAD ABC EXISTS"}}, {"x", {"x ??"}}}},
        {"a restart ends the load and keeps what came",
         nullptr,
         {{"@LOAD NEW", {"@LOAD NEW"}},
          {"r1", {"r1"}},
          {"%%", {"RESTART"}},
          {"r2", {"r2 ??"}},
          {"@TYPE NEW", {"@TYPE NEW", "r1", endLine("1 RECS 163")}}}},
        {"loading goes to the current drive",
         nullptr,
         {{"@CD B", {"@CD B"}},
          {"@LOAD BNEW", {"@LOAD BNEW"}},
          {"\x04", {"0"}},
          {"@DIR BN", {"@DIR BN", "BNEW     0", endLine("1")}}}},
    });
}

TEST(TerminalCommands, ProgramLoadAndInspection) {
    sim::Terminal terminal(fixtureConfig());
    EXPECT_EQ(terminal.command("@LOADP"), Lines{"@LOADP"});
    EXPECT_TRUE(terminal.loading());
    EXPECT_EQ(terminal.command("10 PRINT"), Lines{"10 PRINT"});
    EXPECT_EQ(terminal.command("\x04"), Lines{"1"});
    EXPECT_FALSE(terminal.loading());
    EXPECT_EQ(terminal.program(), sim::Records{"10 PRINT"});
    EXPECT_EQ(terminal.fileNames('A'), (Lines{"ABC", "PRE51230", "PRE51231"}));
    EXPECT_EQ(terminal.received(), (Lines{"@LOADP", "10 PRINT", "\x04"}));
}

TEST(TerminalCommands, ClockRunsWithTheHostClock) {
    sim::CivilSeconds host = kFixedNow;
    sim::TerminalConfig config = fixtureConfig();
    config.hostClock = [&host] { return host; };
    sim::Terminal terminal(config);
    ASSERT_EQ(terminal.command("@TIME 120000"), Lines{"@TIME 120000"});
    host += 75;
    EXPECT_EQ(terminal.command("@TIME"), Lines{"@TIME 120115"});
    EXPECT_EQ(terminal.now(), sim::civilSeconds(2015, 12, 31, 12, 1, 15));
}

}  // namespace
}  // namespace simtest
