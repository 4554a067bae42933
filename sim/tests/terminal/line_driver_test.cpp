// The line driver of mode 2: its set-up texts, the time stamp, routing by the three-digit
// number, and its faults.
#include "sim/line_driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "terminal_fixture.h"

namespace simtest {
namespace {

const std::string kSetup = std::string("&\r*0\r@011\r>PS255\r>b\r\x11");

class LineDriverTest : public ::testing::Test {
protected:
    sim::LineDriver& driver(sim::TimeStamp stamp) {
        driver_ = std::make_unique<sim::LineDriver>(stamp, [] { return kFixedNow; });
        driver_->attach(5, terminal_);
        return *driver_;
    }

    std::shared_ptr<sim::Terminal> terminal_ = std::make_shared<sim::Terminal>(fixtureConfig());
    std::unique_ptr<sim::LineDriver> driver_;
};

TEST_F(LineDriverTest, SetupTextsAreTakenSilently) {
    sim::LineDriver& line = driver(sim::TimeStamp::None);
    EXPECT_EQ(feed(line, kSetup), "");
    EXPECT_EQ(feed(line, "<<\r\x13"), "") << "no stamp, no TIME ON line";
    EXPECT_EQ(line.setupTexts(),
              (std::vector<std::string>{"&", "*0", "@011", ">PS255", ">b", "<<"}));
    EXPECT_FALSE(line.stamping());
}

TEST_F(LineDriverTest, TimeStampAnnouncedAndCarriedByEveryReply) {
    struct Case {
        sim::TimeStamp stamp;
        std::string timeOn;  // the answer to "<<"
        std::string stampText;
    };
    const std::vector<Case> cases = {
        {sim::TimeStamp::None, "", ""},
        {sim::TimeStamp::Short, "TIME ON 081530\r", "081530"},
        {sim::TimeStamp::Long, "TIME ON 311215081530\r", "311215081530"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.timeOn);
        sim::LineDriver& line = driver(c.stamp);
        EXPECT_EQ(feed(line, "005\x04\r"), "005\x04\r") << "no stamp before \"<<\"";
        feed(line, kSetup);
        EXPECT_EQ(feed(line, "<<\r"), c.timeOn);
        EXPECT_EQ(feed(line, "005%XI\r"), "005" + c.stampText + "Pello V3.20\r");
    }
    EXPECT_EQ(std::string("TIME ON 081530").size(), 14u);
}

TEST_F(LineDriverTest, RoutesByNumberAndSendsTransfersWhole) {
    sim::LineDriver& line = driver(sim::TimeStamp::None);
    EXPECT_EQ(feed(line, ">PS005\r"), "");
    EXPECT_EQ(line.switchedTo(), 5);
    EXPECT_EQ(feed(line, "005@TYPE ABC\r"),
              "005@TYPE ABC\r005one\r005two\r005three\r005\x04"
              "3 RECS 1204\r");
    EXPECT_EQ(feed(line, "009@TIME\r"), "") << "nobody at 9";
    EXPECT_EQ(feed(line, "\x11>PS009\r\x13"), "");
    EXPECT_EQ(line.switchedTo(), 9);
    EXPECT_EQ(feed(line, ">P0\r"), "");
    EXPECT_EQ(line.switchedTo(), sim::LineDriver::kNoTerminal);
    EXPECT_EQ(terminal_->received(), std::vector<std::string>{"@TYPE ABC"});
}

TEST_F(LineDriverTest, Faults) {
    struct Case {
        const char* name;
        sim::LineDriverFaults faults;
        std::string answer;
        size_t commandsTaken;
    };
    const std::vector<Case> cases = {
        {"wrong number", {.wrongNumbers = 1}, "006081530@CFG 07 0\r", 1},
        {"failed send", {.sendFailures = 1}, "005~S\r", 1},
        {"failed receive", {.receiveFailures = 1}, "005~R\r", 0},
        {"silent", {.silent = true}, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        terminal_ = std::make_shared<sim::Terminal>(fixtureConfig());
        sim::LineDriver& line = driver(sim::TimeStamp::Short);
        feed(line, "<<\r");
        line.setFaults(c.faults);
        EXPECT_EQ(feed(line, "005@CFG 07\r"), c.answer);
        EXPECT_EQ(terminal_->received().size(), c.commandsTaken);
        if (c.faults.silent) continue;
        EXPECT_EQ(feed(line, "005@CFG 07\r"), "005081530@CFG 07 0\r") << "used once";
    }
}

TEST_F(LineDriverTest, OnlyNumbersOneTo254) {
    sim::LineDriver line;
    EXPECT_THROW(line.attach(0, terminal_), std::invalid_argument);
    EXPECT_THROW(line.attach(255, terminal_), std::invalid_argument);
}

}  // namespace
}  // namespace simtest
