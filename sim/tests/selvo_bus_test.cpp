// The simulated Selvo bus, fed byte by byte with chosen timestamps.
#include "sim/selvo_bus.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bus_wire.h"

namespace {

using sim::BusFaults;
using sim::QueueStation;
using sim::SelvoBus;
using simtest::ack;
using simtest::BusWire;
using simtest::bytes;
using simtest::message;
using simtest::poll;
using Strings = std::vector<std::string>;

class SelvoBusTest : public ::testing::Test {
protected:
    SelvoBusTest() {
        bus.attach(5, station5);
        bus.attach(12, station12);
    }
    SelvoBus bus;
    std::shared_ptr<QueueStation> station5 = std::make_shared<QueueStation>();
    std::shared_ptr<QueueStation> station12 = std::make_shared<QueueStation>();
    BusWire wire{bus};
};

TEST_F(SelvoBusTest, PollOfAStationWithNothingToDeliverGetsTheAckByte) {
    for (const uint8_t ackByte : {uint8_t{'P'}, uint8_t{'Q'}, uint8_t{0x60}}) {
        for (const uint8_t code : {uint8_t{3}, uint8_t{6}, uint8_t{'R'}}) {
            SCOPED_TRACE(testing::Message() << "ack " << int{ackByte} << " code " << int{code});
            BusFaults faults;
            faults.ackByte = ackByte;
            bus.setFaults(faults);
            EXPECT_EQ(wire.frame(poll(5, code)), std::string(1, static_cast<char>(ackByte)));
        }
    }
    EXPECT_EQ(bus.log().front(), "poll 5 3");
    EXPECT_EQ(bus.log()[1], "poll 5 6");
    EXPECT_EQ(bus.log()[2], "poll 5 R");
}

TEST_F(SelvoBusTest, QueuedTextIsDeliveredWithAddressChecksumAndEnd) {
    struct Case {
        const char* name;
        std::string text;
        bool checksumBit7;
        std::string answer;
    };
    const Case cases[] = {
        {"xor of address and text", "AB", false, bytes({'T', 5, 'A', 'B', 0x06, 0})},
        {"bit 7 set on request", "AB", true, bytes({'T', 5, 'A', 'B', 0x86, 0})},
        {"xor 0 gives 0x80", "\x05", false, bytes({'T', 5, 5, 0x80, 0})},
        {"a 0x00 in the text cuts it", std::string("A\0B", 3), false,
         bytes({'T', 5, 'A', 0x44, 0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BusFaults faults;
        faults.checksumBit7 = c.checksumBit7;
        bus.setFaults(faults);
        station5->queue(c.text);
        EXPECT_EQ(wire.frame(poll(5)), c.answer);
        EXPECT_EQ(wire.frame(ack(5)), "");
        EXPECT_TRUE(station5->queued().empty());
    }
}

TEST_F(SelvoBusTest, TextStaysQueuedUntilTheComputerAcknowledgesIt) {
    station5->queue("ONE");
    station5->queue("TWO");
    const std::string first = bytes({'T', 5, 'O', 'N', 'E', 5 ^ 'O' ^ 'N' ^ 'E', 0});
    EXPECT_EQ(wire.frame(ack(5)), "") << "an ack before any delivery drops nothing";
    EXPECT_EQ(wire.frame(poll(5)), first);
    EXPECT_EQ(wire.frame(poll(5, 'R')), first) << "a repeat gets the same answer";
    EXPECT_EQ(wire.frame(poll(5)), first);
    wire.frame(ack(5));
    EXPECT_EQ(wire.frame(poll(5)), bytes({'T', 5, 'T', 'W', 'O', 5 ^ 'T' ^ 'W' ^ 'O', 0}));
    wire.frame(ack(5));
    EXPECT_EQ(wire.frame(ack(5)), "");
    EXPECT_EQ(wire.frame(poll(5)), "P");
    EXPECT_EQ(bus.log()[4], "ack 5");
}

TEST_F(SelvoBusTest, MessageIsTakenWhenTheLowSevenBitsOfItsChecksumMatch) {
    struct Case {
        std::string body;  // text and checksum
        std::optional<std::string> taken;
    };
    const Case cases[] = {
        {bytes({'A', 'B', 0x03}), "AB"},
        {bytes({'A', 'B', 0x83}), "AB"},
        {bytes({'A', 'B', 0x04}), std::nullopt},
        {bytes({0x80}), ""},
        {bytes({'A', 'A', 0x80}), "AA"},
        {bytes({'A', 'A', 0x01}), std::nullopt},
        {"", std::nullopt},  // no checksum at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.body));
        const size_t before = station12->received().size();
        const std::string answer = wire.frame(bytes({12, 7}) + c.body + '\0');
        EXPECT_EQ(answer, c.taken ? "P" : "R");
        const Strings received = station12->received();
        ASSERT_EQ(received.size(), before + (c.taken ? 1 : 0));
        if (c.taken) {
            EXPECT_EQ(received.back(), *c.taken);
        }
    }
    EXPECT_EQ(bus.log()[0], "msg 12 AB");
    EXPECT_EQ(bus.log()[2], "msg 12 AB !checksum");
}

TEST_F(SelvoBusTest, BroadcastReachesEveryStationAndIsNotAnswered) {
    EXPECT_EQ(wire.frame(message(0, "HI", 'H' ^ 'I')), "");
    EXPECT_EQ(station5->received(), Strings{"HI"});
    EXPECT_EQ(station12->received(), Strings{"HI"});
    EXPECT_EQ(wire.frame(message(0, "NO", 0x55)), "");
    EXPECT_EQ(station5->received(), Strings{"HI"}) << "a bad checksum reaches nobody";
}

TEST_F(SelvoBusTest, UnknownAddressIsSilentAndTheBusStaysInStep) {
    EXPECT_EQ(wire.frame(poll(9)), "");
    // A text that holds a poll of station 5 must not be taken for one.
    EXPECT_EQ(wire.frame(message(9, bytes({5, 3}), 0x06)), "");
    EXPECT_EQ(wire.frame(ack(9)), "");
    EXPECT_EQ(wire.frame(poll(5)), "P");
    EXPECT_EQ(bus.log(), (Strings{"poll 9 3", "msg 9 \x05\x03", "ack 9", "poll 5 3"}));
}

TEST_F(SelvoBusTest, FramesArrivingInOneReadAreEachAnswered) {
    station12->queue("X");
    EXPECT_EQ(wire.together(poll(5) + message(5, "A", 'A') + poll(12)),
              "PP" + bytes({'T', 12, 'X', 12 ^ 'X', 0}));
    EXPECT_EQ(station5->received(), Strings{"A"});
}

TEST_F(SelvoBusTest, EchoingStationQueuesWhatItReceives) {
    auto echo = std::make_shared<QueueStation>(true);
    bus.attach(7, echo);
    EXPECT_EQ(wire.frame(message(7, "@TIME", '@' ^ 'T' ^ 'I' ^ 'M' ^ 'E')), "P");
    const std::string reply = wire.frame(poll(7));
    EXPECT_EQ(reply.substr(0, 7), bytes({'T', 7}) + "@TIME");
    wire.frame(ack(7));
    EXPECT_EQ(wire.frame(poll(7)), "P");
}

struct FaultStep {
    std::string frame;
    std::string answer;
};

struct FaultCase {
    const char* name;
    BusFaults faults;
    std::string queued;  // on station 5, when not empty
    std::vector<FaultStep> steps;
    size_t taken;  // messages station 5 took in the end
};

BusFaults with(void (*change)(BusFaults&)) {
    BusFaults faults;
    change(faults);
    return faults;
}

TEST_F(SelvoBusTest, FaultsChangeTheAnswersAndCountDown) {
    const std::string msgA = message(5, "A", 'A');
    const FaultCase cases[] = {
        {"echo",
         with([](BusFaults& f) { f.echo = true; }),
         "",
         {{poll(5), poll(5) + "P"}, {msgA, msgA + "P"}, {poll(9), poll(9)}},
         1},
        {"silent",
         with([](BusFaults& f) { f.silent = true; }),
         "A",
         {{poll(5), ""}, {msgA, ""}, {message(0, "A", 'A'), ""}},
         0},
        {"garbled answers",
         with([](BusFaults& f) { f.garbledAnswers = 2; }),
         "",
         {{poll(5), "?"}, {poll(5, 'R'), "?"}, {poll(5, 'R'), "P"}},
         0},
        {"garbled message keeps its tail",
         with([](BusFaults& f) { f.garbledAnswers = 1; }),
         "A",
         {{poll(5), bytes({'?', 5, 'A', 0x44, 0})}, {poll(5, 'R'), bytes({'T', 5, 'A', 0x44, 0})}},
         0},
        {"bad checksums",
         with([](BusFaults& f) { f.badChecksums = 1; }),
         "A",
         {{poll(5), bytes({'T', 5, 'A', 0xC5, 0})}, {poll(5, 'R'), bytes({'T', 5, 'A', 0x44, 0})}},
         0},
        {"repeat requests",
         with([](BusFaults& f) { f.repeatRequests = 2; }),
         "",
         {{msgA, "R"}, {msgA, "R"}, {msgA, "P"}},
         1},
        {"refusals", with([](BusFaults& f) { f.refusals = 1; }), "", {{msgA, "N"}, {msgA, "P"}}, 1},
        // A stray byte before the first answer, a changed bit inside the second, then clean.
        {"noise on acknowledgements",
         with([](BusFaults& f) { f.noise = 2; }),
         "",
         {{msgA, "\xFFP"}, {msgA, "\x10"}, {poll(5), "P"}},
         2},
        {"noise on a message",
         with([](BusFaults& f) { f.noise = 2; }),
         "A",
         {{poll(5), bytes({0xFF, 'T', 5, 'A', 0x44, 0})},
          {poll(5, 'R'), bytes({'T', 5, 0x01, 0x44, 0})},
          {poll(5, 'R'), bytes({'T', 5, 'A', 0x44, 0})}},
         0},
        {"noise on a repeat request",
         with([](BusFaults& f) { f.noise = 1; f.repeatRequests = 1; }),
         "",
         {{msgA, "\xFFR"}, {msgA, "P"}},
         1},
        {"faults after the first two frames",
         with([](BusFaults& f) { f.refusals = 1; f.faultsAfter = 2; }),
         "",
         {{msgA, "P"}, {poll(5), "P"}, {msgA, "N"}, {msgA, "P"}},
         2},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        SelvoBus faulty;
        auto station = std::make_shared<QueueStation>();
        faulty.attach(5, station);
        faulty.setFaults(c.faults);
        if (!c.queued.empty()) station->queue(c.queued);
        BusWire line(faulty);
        for (const FaultStep& step : c.steps) {
            EXPECT_EQ(line.frame(step.frame), step.answer) << testing::PrintToString(step.frame);
        }
        EXPECT_EQ(station->received().size(), c.taken);
        const BusFaults left = faulty.faults();
        EXPECT_EQ(left.garbledAnswers + left.badChecksums + left.repeatRequests + left.refusals +
                      left.noise + left.faultsAfter,
                  0);
    }
}

// The driver's echo test sends a lone "1" and waits for its echo before any frame.
struct ProbeCase {
    const char* name;
    bool echo;
    bool stationAt49;
    int64_t gapAfterOneNs;
    bool idleInGap;  // the link reports the quiet spell
    std::string next;
    Strings log;
    std::string answer;
};

TEST(SelvoBusProbeTest, LoneOneBeforeTheFirstFrameIsTheProbe) {
    const int64_t gap = 11'000'000;
    const int64_t none = simtest::kByteGapNs;
    const ProbeCase cases[] = {
        {"quiet reported", false, false, gap, true, poll(5), {"probe", "poll 5 3"}, "P"},
        {"gap seen on the next byte",
         false,
         false,
         gap,
         false,
         poll(3),
         {"probe", "poll 3 3"},
         "P"},
        {"next byte continues no frame",
         false,
         false,
         none,
         false,
         poll(5),
         {"probe", "poll 5 3"},
         "P"},
        {"no gap, no echo, nobody at 49: read together with the first frame",
         false,
         false,
         none,
         false,
         poll(3),
         {"probe", "poll 3 3"},
         "P"},
        {"no gap, no echo: a frame to 49",
         false,
         true,
         none,
         false,
         bytes({3}),
         {"poll 49 3"},
         "P"},
        {"echo line goes on at once",
         true,
         false,
         none,
         false,
         poll(3),
         {"probe", "poll 3 3"},
         "1" + poll(3) + "P"},
        {"stray byte",
         false,
         false,
         none,
         false,
         std::string("A") + poll(5),
         {"probe", "stray 0x41", "poll 5 3"},
         "P"},
    };
    for (const ProbeCase& c : cases) {
        SCOPED_TRACE(c.name);
        SelvoBus bus;
        for (const uint8_t address : {uint8_t{3}, uint8_t{5}}) {
            bus.attach(address, std::make_shared<QueueStation>());
        }
        if (c.stationAt49) bus.attach(49, std::make_shared<QueueStation>());
        BusFaults faults;
        faults.echo = c.echo;
        bus.setFaults(faults);
        BusWire wire(bus);
        std::string answer = wire.frame("1");
        if (c.idleInGap) answer += wire.quiet(c.gapAfterOneNs);
        answer += wire.bytesApart(c.next, c.idleInGap ? none : c.gapAfterOneNs, none);
        EXPECT_EQ(bus.log(), c.log);
        EXPECT_EQ(answer, c.answer);
    }
}

}  // namespace
