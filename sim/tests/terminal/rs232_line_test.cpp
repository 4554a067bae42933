// The direct RS232 line: bytes in, the exact bytes out.
#include "sim/rs232_line.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "terminal_fixture.h"

namespace simtest {
namespace {

struct Exchange {
    std::string in;
    std::string out;
};

struct LineCase {
    const char* name;
    const char* model;
    bool echo;
    std::vector<Exchange> exchanges;
};

TEST(Rs232Line, BytesInAndOut) {
    const std::string abcEnd =
        "\x04"
        "3 RECS 1204\r";
    const std::vector<LineCase> cases = {
        {"a command and its reply", "Pello", false, {{"@TIME\r", "@TIME 081530\r"}}},
        {"flow control bytes and line feeds are dropped",
         "Pello",
         false,
         {{"\x11%XI\x11\r", "Pello V3.20\r"}, {"\n@CD B\r\n", "@CD B\r"}, {"\x13\r", ""}}},
        {"a line split over reads, two lines in one read",
         "Pello",
         false,
         {{"@TI", ""}, {"ME\r\x04\r", "@TIME 081530\r\x04\r"}}},
        {"echo: every command repeated before its reply",
         "Pello",
         true,
         {{"RING\r", "RING\rRING ??\r"}, {"@CFG 07\r", "@CFG 07\r@CFG 07 0\r"}}},
        {"a typed read waits for a CR before each line",
         "Pello",
         false,
         {{"@TYPE ABC\r", "@TYPE ABC\r"},
          {"\r", "one\r"},
          {"\r", "two\r"},
          {"\r", "three\r"},
          {"\r", abcEnd},
          {"\r", ""}}},
        {"the CR asking for a record is not echoed",
         "Pello",
         true,
         {{"@TYPE ABC\r", "@TYPE ABC\r@TYPE ABC\r"}, {"\r", "one\r"}}},
        {"Ovrid sends the whole file at once",
         "Ovrid",
         false,
         {{"@TYPE ABC\r", "@TYPE ABC\rone\rtwo\rthree\r" + abcEnd}}},
        {"an empty record of a load is echoed",
         "Pello",
         true,
         {{"@LOAD NEW\r", "@LOAD NEW\r@LOAD NEW\r"},
          {"\r", "\r\r"},
          {"\x04\r",
           "\x04\r"
           "1\r"}}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        sim::TerminalConfig config = fixtureConfig();
        config.model = c.model;
        sim::Rs232Line line(std::make_shared<sim::Terminal>(config), c.echo);
        for (const Exchange& exchange : c.exchanges)
            EXPECT_EQ(feed(line, exchange.in), exchange.out);
    }
}

TEST(Rs232Line, BrokenTransferLeavesTheLineSilentUntilTheNextCommand) {
    auto terminal = std::make_shared<sim::Terminal>(fixtureConfig());
    terminal->setFaults({.breakAfterRecords = 1});
    sim::Rs232Line line(terminal, true);
    EXPECT_EQ(feed(line, "@TYPE ABC\r"), "@TYPE ABC\r@TYPE ABC\r");
    EXPECT_EQ(feed(line, "\r"), "one\r");
    EXPECT_EQ(feed(line, "\r\r"), "") << "no record, no echo of the CRs";
    EXPECT_EQ(feed(line, "\x04\r"), "\x04\r\x04\r");
    EXPECT_EQ(feed(line, "\r"), "\r") << "a lone CR outside a transfer is echoed";
}

TEST(Rs232Line, EchoCanBeSwitched) {
    sim::Rs232Line line(std::make_shared<sim::Terminal>(fixtureConfig()));
    EXPECT_FALSE(line.echo());
    line.setEcho(true);
    EXPECT_EQ(feed(line, "RING\r"), "RING\rRING ??\r");
}

}  // namespace
}  // namespace simtest
