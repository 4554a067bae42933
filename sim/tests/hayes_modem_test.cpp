// The Hayes-style modem fed by hand on a clock the test moves: command mode with its echo and
// results, dialling and its outcomes, data mode through to the device, the escape with its guard
// times, hanging up, and the faults.
#include "sim/hayes_modem.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bus_wire.h"
#include "recording_device.h"

namespace {

using sim::DialOutcome;
using sim::HayesModem;
using simtest::BusWire;
using simtest::RecordingDevice;
using Strings = std::vector<std::string>;

constexpr int64_t kMs = 1'000'000;
constexpr int64_t kSecond = 1000 * kMs;
constexpr int64_t kGuard = HayesModem::kDefaultGuard * 20 * kMs;

class HayesModemTest : public ::testing::Test {
protected:
    // Dials and waits for the outcome; asserts the call is up.
    void connect() {
        ASSERT_EQ(wire.together("ATD5551234\r"), "ATD5551234\r");
        ASSERT_EQ(wire.quiet(200 * kMs), "\r\nCONNECT 9600\r\n");
        ASSERT_TRUE(modem.inDataMode());
    }
    // The escape with quiet before and after it; what the modem said.
    std::string escape() {
        std::string out = wire.quiet(kGuard + 10 * kMs);
        out += wire.together("+++");
        return out + wire.quiet(kGuard + 10 * kMs);
    }

    std::shared_ptr<RecordingDevice> inner = std::make_shared<RecordingDevice>();
    HayesModem modem{inner};
    BusWire wire{modem};
};

TEST_F(HayesModemTest, CommandLinesAreEchoedAndAnswered) {
    const struct {
        const char* sent;
        const char* answer;
    } cases[] = {
        {"ATE1Q0S7=45\r", "ATE1Q0S7=45\r\r\nOK\r\n"},
        {"AT\r", "AT\r\r\nOK\r\n"},
        {"at&f\r", "at&f\r\r\nOK\r\n"},
        {"AT+CPIN=1234\r", "AT+CPIN=1234\r\r\nOK\r\n"},
        {"ATL1M0X4&C1&D2\r", "ATL1M0X4&C1&D2\r\r\nOK\r\n"},
        {"ATJ\r", "ATJ\r\r\nERROR\r\n"},
        {"AT&\r", "AT&\r\r\nERROR\r\n"},
        {"ATS300=1\r", "ATS300=1\r\r\nERROR\r\n"},
        {"ATS7=256\r", "ATS7=256\r\r\nERROR\r\n"},
        {"ATD\r", "ATD\r\r\nERROR\r\n"},
        {"ATO\r", "ATO\r\r\nERROR\r\n"},
        {"noise ATH\r", "noise ATH\r\r\nOK\r\n"},
        {"&\r", "&\r"},
        {"\r", "\r"},
        {"A\x11T\x13\n\r", "AT\r\r\nOK\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        EXPECT_EQ(wire.together(c.sent), c.answer);
    }
    EXPECT_EQ(inner->seen, "") << "nothing reaches the device before a call";
    EXPECT_EQ(inner->idleCalls, 0);
}

TEST_F(HayesModemTest, SettingsChangeEchoResultsAndRegisters) {
    EXPECT_EQ(wire.together("ATS7=45S12=50\r"), "ATS7=45S12=50\r\r\nOK\r\n");
    EXPECT_EQ(modem.reg(7), 45);
    EXPECT_EQ(wire.together("ATS7?\r"), "ATS7?\r\r\n045\r\n\r\nOK\r\n");
    EXPECT_EQ(wire.together("ATE0\r"), "ATE0\r\r\nOK\r\n") << "the line itself is still echoed";
    EXPECT_EQ(wire.together("AT\r"), "\r\nOK\r\n");
    EXPECT_EQ(wire.together("ATV0\r"), "0\r");
    EXPECT_EQ(wire.together("ATJ\r"), "4\r");
    EXPECT_EQ(wire.together("ATQ1V1\r"), "");
    EXPECT_EQ(wire.together("ATJ\r"), "");
    EXPECT_EQ(wire.together("ATZ\r"), "\r\nOK\r\n") << "the defaults again, echo on after it";
    EXPECT_EQ(wire.together("AT\r"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(modem.reg(7), 50);
    EXPECT_EQ(modem.reg(12), HayesModem::kDefaultGuard);
    EXPECT_EQ(modem.commands(), (Strings{"ATS7=45S12=50", "ATS7?", "ATE0", "AT", "ATV0", "ATJ",
                                         "ATQ1V1", "ATJ", "ATZ", "AT"}));
}

TEST_F(HayesModemTest, ACallConnectsAfterTheDelayAndThenCarriesDataBothWays) {
    modem.setConfig({.speed = 19200, .answerDelayMs = 300, .carrierLine = true});
    EXPECT_EQ(wire.together("ATDT 555-1234\r"), "ATDT 555-1234\r");
    EXPECT_EQ(wire.quiet(290 * kMs), "");
    EXPECT_EQ(wire.quiet(20 * kMs), "\r\nCARRIER\r\n\r\nCONNECT 19200\r\n");
    EXPECT_TRUE(modem.connected());
    EXPECT_EQ(modem.dialled(), (Strings{"T 555-1234"}));
    EXPECT_EQ(wire.together("%XI\r+\x11"), "<");
    EXPECT_EQ(inner->seen, "%XI\r+\x11") << "a lone + after data is data";
    const int idleBefore = inner->idleCalls;
    wire.quiet(5 * kMs);
    EXPECT_GT(inner->idleCalls, idleBefore) << "the device hears of quiet time on line";
}

TEST_F(HayesModemTest, EachDialOutcomeGivesItsAnswer) {
    const struct {
        DialOutcome outcome;
        const char* answer;
    } cases[] = {
        {DialOutcome::Busy, "\r\nBUSY\r\n"},
        {DialOutcome::NoCarrier, "\r\nNO CARRIER\r\n"},
        {DialOutcome::NoDialTone, "\r\nNO DIAL TONE\r\n"},
        {DialOutcome::NoAnswer, "\r\nNO ANSWER\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        modem.setConfig({.outcome = c.outcome});
        EXPECT_EQ(wire.together("ATD1\r"), "ATD1\r");
        EXPECT_EQ(wire.quiet(200 * kMs), c.answer);
        EXPECT_FALSE(modem.connected());
        EXPECT_EQ(wire.together("AT\r"), "AT\r\r\nOK\r\n") << "back in command mode";
    }
}

TEST_F(HayesModemTest, AnUnansweredCallEndsAfterTheCarrierWaitAndASilentOneNever) {
    modem.setConfig({.outcome = DialOutcome::Unanswered});
    wire.together("ATS7=45\r");
    wire.together("ATD1\r");
    EXPECT_EQ(wire.quiet(45 * kSecond - 5 * kMs), "");
    EXPECT_EQ(wire.quiet(10 * kMs), "\r\nNO CARRIER\r\n");

    modem.setConfig({.outcome = DialOutcome::Silent});
    wire.together("ATD1\r");
    EXPECT_EQ(wire.quiet(200 * kSecond), "");
    EXPECT_EQ(wire.together("X"), "\r\nNO CARRIER\r\n") << "a key abandons the call";
    EXPECT_EQ(wire.together("AT\r"), "AT\r\r\nOK\r\n");
}

TEST_F(HayesModemTest, TheEscapeWithItsGuardTimesReturnsToCommandModeOnLine) {
    connect();
    EXPECT_EQ(escape(), "\r\nOK\r\n");
    EXPECT_TRUE(modem.connected());
    EXPECT_FALSE(modem.inDataMode());
    EXPECT_EQ(inner->seen, "") << "the escape is not data";
    EXPECT_EQ(wire.together("ATO\r"), "ATO\r\r\nCONNECT 9600\r\n");
    EXPECT_EQ(wire.together("Q\r"), "<");
    EXPECT_EQ(escape(), "\r\nOK\r\n");
    EXPECT_EQ(wire.together("ATD2\r"), "ATD2\r\r\nERROR\r\n") << "a call is up";
    EXPECT_EQ(wire.together("ATH\r"), "ATH\r\r\nOK\r\n");
    EXPECT_FALSE(modem.connected());
    EXPECT_EQ(inner->seen, "Q\r");
}

TEST_F(HayesModemTest, EscapeCharactersWithoutBothGuardTimesAreData) {
    const struct {
        const char* name;
        int64_t quietBefore;
        std::string sent;
        int64_t quietAfter;
        std::string passed;
    } cases[] = {
        {"no quiet before", 0, "+++", kGuard + kMs, "+++"},
        {"a byte too soon after", kGuard + kMs, "+++A", 0, "+++A"},
        {"only two", kGuard + kMs, "++", kGuard + kMs, "++"},
        {"four", kGuard + kMs, "++++", kGuard + kMs, "++++"},
    };
    connect();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        inner->seen.clear();
        wire.together("x");
        wire.quiet(c.quietBefore);
        std::string out = wire.together(c.sent);
        out += wire.quiet(c.quietAfter);
        EXPECT_EQ(inner->seen, "x" + c.passed);
        EXPECT_EQ(out.find("OK"), std::string::npos) << out;
        EXPECT_TRUE(modem.inDataMode());
    }
}

TEST_F(HayesModemTest, ThePlusesOfTheEscapeMayArriveApartWithinTheGuardTime) {
    connect();
    wire.quiet(kGuard + kMs);
    std::string out = wire.bytesApart("+++", 0, kGuard / 2);
    out += wire.quiet(kGuard + kMs);
    EXPECT_EQ(out, "\r\nOK\r\n");
    EXPECT_EQ(inner->seen, "");
}

TEST_F(HayesModemTest, DroppingDtrHangsUp) {
    modem.setDtr(false);
    EXPECT_EQ(wire.quiet(2 * kMs), "") << "nothing to hang up";
    connect();
    modem.setDtr(false);
    EXPECT_FALSE(modem.connected());
    EXPECT_EQ(wire.quiet(2 * kMs), "\r\nNO CARRIER\r\n");
    modem.setDtr(true);
    EXPECT_EQ(wire.together("Q\r"), "Q\r") << "command mode: echoed, not passed on";
    EXPECT_EQ(inner->seen, "");
}

TEST_F(HayesModemTest, TheCarrierDropsOnceTheDevicesBytesReachTheLimit) {
    modem.setFaults({.dropAfter = 2});
    EXPECT_EQ(wire.together("AT\r"), "AT\r\r\nOK\r\n") << "command mode counts nothing";
    connect();
    EXPECT_EQ(wire.together("a"), "<");
    EXPECT_EQ(wire.together("b"), "<");
    EXPECT_EQ(wire.together("x"), "\r\nNO CARRIER\r\n") << "the third byte is lost";
    EXPECT_FALSE(modem.connected());
    EXPECT_EQ(modem.faults().dropAfter, -1) << "once";
    EXPECT_EQ(wire.together("c\r"), "c\r") << "command mode: echoed, not passed on";
    EXPECT_EQ(wire.together("\r"), "\r");
    EXPECT_EQ(inner->seen, "abx");

    // The device's first byte on line, already past the limit.
    modem.setFaults({.dropAfter = 0});
    connect();
    EXPECT_EQ(wire.together("d"), "\r\nNO CARRIER\r\n");
    EXPECT_EQ(inner->seen, "abxd");
}

TEST_F(HayesModemTest, FaultsOnDemand) {
    modem.setFaults({.garbledEchoes = 2});
    EXPECT_EQ(wire.together("ATZ\r"), "AT#\r\r\nOK\r\n");
    EXPECT_EQ(wire.together("&\r"), "&\r") << "only commands count";
    EXPECT_EQ(wire.together("ATD1#\r"), "ATD1*\r");
    wire.quiet(200 * kMs);
    ASSERT_TRUE(modem.inDataMode());
    escape();
    wire.together("ATH\r");

    modem.setFaults({.refuse = "at+cpin"});
    EXPECT_EQ(wire.together("AT+CPIN=1\r"), "AT+CPIN=1\r\r\nERROR\r\n");
    EXPECT_EQ(wire.together("AT\r"), "AT\r\r\nOK\r\n");
    modem.setFaults({.refuse = "ATE1", .bareRefusal = true});
    EXPECT_EQ(wire.together("ATE1Q0S7=45\r"), "ERROR\r\n");

    modem.setFaults({.silent = true});
    EXPECT_EQ(wire.together("ATZ\rATD1\r"), "");
    EXPECT_EQ(wire.quiet(200 * kMs), "");
    EXPECT_EQ(modem.commands().back(), "ATD1");
}

}  // namespace
