// A terminal at an address of the Selvo bus.
#include "sim/bus_terminal.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/bus_frame_parser.h"
#include "sim/selvo_bus.h"
#include "terminal_fixture.h"

namespace simtest {
namespace {

using Lines = std::vector<std::string>;

TEST(BusTerminal, EachReplyLineIsOneMessageAndTransfersAreWhole) {
    sim::BusTerminal station(std::make_shared<sim::Terminal>(fixtureConfig()));
    station.receive("@TYPE ABC");
    EXPECT_EQ(station.queued(), (Lines{"@TYPE ABC", "one", "two", "three",
                                       "\x04"
                                       "3 RECS 1204"}));
    EXPECT_EQ(station.pending(), "@TYPE ABC");
    EXPECT_EQ(station.pending(), "@TYPE ABC") << "the same until delivered";
    station.delivered();
    EXPECT_EQ(station.pending(), "one");
}

TEST(BusTerminal, ANewCommandDropsWhatWasNotHandedOut) {
    sim::BusTerminal station(std::make_shared<sim::Terminal>(fixtureConfig()));
    station.receive("@TYPE ABC");
    station.receive("\x04");
    EXPECT_EQ(station.queued(), Lines{"\x04"});
    station.receive("@TYPE ABC");
    ASSERT_EQ(station.pending(), "@TYPE ABC");
    station.receive("\x04");
    EXPECT_EQ(station.queued(), (Lines{"@TYPE ABC", "\x04"})) << "the one awaiting its ack stays";
    station.delivered();
    EXPECT_EQ(station.pending(), "\x04");
    station.delivered();
    EXPECT_EQ(station.pending(), std::nullopt);
}

// Through the bus: the message is acknowledged, the reply delivered at the next poll with the
// station's address first (or, with the fault, the next address).
TEST(BusTerminal, OnTheBus) {
    sim::SelvoBus bus;
    bus.attach(
        5, std::make_shared<sim::BusTerminal>(std::make_shared<sim::Terminal>(fixtureConfig())));
    const std::string text = "@TIME";
    const std::string message =
        std::string("\x05\x07") + text + static_cast<char>(sim::messageChecksum(text)) + '\0';
    const std::string poll = "\x05\x03";
    auto delivered = [](char address) {
        const std::string body = address + std::string("@TIME 081530");
        return "T" + body + static_cast<char>(sim::messageChecksum(body)) + '\0';
    };
    EXPECT_EQ(feed(bus, message), "P");
    EXPECT_EQ(feed(bus, poll), delivered('\x05'));
    feed(bus,
         "\x05"
         "a");
    EXPECT_EQ(feed(bus, poll), "P");

    bus.setFaults({.wrongAddresses = 1});
    feed(bus, message);
    EXPECT_EQ(feed(bus, poll), delivered('\x06'));
    feed(bus,
         "\x05"
         "a");
    feed(bus, message);
    EXPECT_EQ(feed(bus, poll), delivered('\x05'));
}

}  // namespace
}  // namespace simtest
