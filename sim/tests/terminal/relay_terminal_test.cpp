// The relaying terminal of the indirect link: routing by "LOGON nnn" and back by "LOGOFF".
#include "sim/relay_terminal.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/rs232_line.h"
#include "terminal_fixture.h"

namespace simtest {
namespace {

using Lines = std::vector<std::string>;

class RelayTerminalTest : public ::testing::Test {
protected:
    static std::shared_ptr<sim::Terminal> make(const char* model, const char* password) {
        sim::TerminalConfig config = fixtureConfig();
        config.model = model;
        config.password = password;
        return std::make_shared<sim::Terminal>(config);
    }

    void SetUp() override {
        relay_.attach(5, kestrum_);
        relay_.attach(7, ovrid_);
    }

    std::shared_ptr<sim::Terminal> pello_ = make("Pello", "11111");
    std::shared_ptr<sim::Terminal> kestrum_ = make("Kestrum", "22222");
    std::shared_ptr<sim::Terminal> ovrid_ = make("Ovrid", "");
    sim::RelayTerminal relay_{pello_};
};

TEST_F(RelayTerminalTest, LogonRoutesAndLogoffReturns) {
    struct Step {
        std::string command;
        Lines reply;
        int routedTo;
    };
    const std::vector<Step> steps = {
        {"LOGON 005", {".."}, 0},  // the relay wants its password first
        {"LOGOFF", {".."}, 0},
        {"@PW 11111", {"@PW 11111"}, 0},
        {"%XI", {"Pello V3.20"}, 0},
        {"LOGON 005", {"LOGON 005"}, 5},
        {"%XI", {".."}, 5},
        {"@PW 22222", {"@PW 22222"}, 5},
        {"%XI", {"Kestrum V3.20"}, 5},
        {"LOGON 007", {"LOGON 007 ??"}, 5},  // the routed terminal knows no LOGON
        {"LOGOFF", {".."}, 0},               // the relay's own prompt
        {"@PW 11111", {"@PW 11111"}, 0},
        {"LOGON 007", {"LOGON 007"}, 7},
        {"%XI", {"Ovrid V3.20"}, 7},
        {"LOGOFF", {".."}, 0},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(relay_.command(step.command), step.reply) << step.command;
        EXPECT_EQ(relay_.routedTo(), step.routedTo) << step.command;
    }
    EXPECT_FALSE(kestrum_->loggedOn()) << "logged off when the link left it";
    EXPECT_EQ(kestrum_->received(), (Lines{"%XI", "@PW 22222", "%XI", "LOGON 007", "LOGOFF"}));
}

TEST_F(RelayTerminalTest, RoutingCommandsItRefuses) {
    relay_.command("@PW 11111");
    for (const std::string& command : {std::string("LOGON 009"), std::string("LOGON 5"),
                                       std::string("LOGON 0x5"), std::string("LOGON 0050")}) {
        EXPECT_EQ(relay_.command(command), Lines{command + " ??"});
        EXPECT_EQ(relay_.routedTo(), 0);
    }
    EXPECT_EQ(relay_.command("LOGON 000"), Lines{"LOGON 000"});
    EXPECT_EQ(relay_.routedTo(), 0);
}

TEST_F(RelayTerminalTest, SilentRelayAnswersNoLogon) {
    relay_.command("@PW 11111");
    pello_->setFaults({.silent = true});
    EXPECT_EQ(relay_.command("LOGON 005"), Lines{});
    EXPECT_EQ(relay_.routedTo(), 0);
}

TEST_F(RelayTerminalTest, OnlyNumbersOneToThirtyOne) {
    EXPECT_THROW(relay_.attach(0, ovrid_), std::invalid_argument);
    EXPECT_THROW(relay_.attach(32, ovrid_), std::invalid_argument);
}

TEST_F(RelayTerminalTest, RoutedTransfersArePacedOnTheLineByTheirOwnModel) {
    auto relay = std::make_shared<sim::RelayTerminal>(pello_);
    relay->attach(5, kestrum_);
    relay->attach(7, ovrid_);
    sim::Rs232Line line(relay);
    feed(line, "@PW 11111\rLOGON 005\r@PW 22222\r");
    EXPECT_EQ(feed(line, "@TYPE ABC\r"), "@TYPE ABC\r");
    EXPECT_EQ(feed(line, "\r"), "one\r");
    EXPECT_EQ(feed(line, "LOGOFF\r@PW 11111\rLOGON 007\r"), "..\r@PW 11111\rLOGON 007\r");
    EXPECT_EQ(feed(line, "@TYPE ABC\r"),
              "@TYPE ABC\rone\rtwo\rthree\r\x04"
              "3 RECS 1204\r");
}

}  // namespace
}  // namespace simtest
