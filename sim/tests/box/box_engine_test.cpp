// The network box's logic fed datagrams by hand: box commands, terminal data relayed both ways,
// sequence numbers and acknowledgements, the cipher and the faults.
#include "sim/box_engine.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cipher_algorithm.h"

namespace {

using sim::BoxConfig;
using sim::BoxEngine;
using sim::BoxFaults;
using sim::BoxSettings;
using sim::Datagram;
using Strings = std::vector<std::string>;

const std::string kKey = kavex::kDefaultCipherKey;
constexpr int64_t kFixedSeconds = 1'450'000'000;

// Records what the engine sends and where it moves, in order.
class RecordingPort final : public sim::BoxPort {
public:
    void send(const Datagram& datagram) override {
        events.push_back(sim::describeDatagram(datagram));
        sent.push_back(datagram);
    }
    bool moveTo(const std::string& address) override {
        events.push_back("move " + address);
        return moveSucceeds;
    }

    Strings events;
    std::vector<Datagram> sent;
    bool moveSucceeds = true;
};

// Answers each command with the lines scripted for it, or with the command and " ok".
class ScriptedTerminal final : public sim::LineTerminal {
public:
    Strings command(const std::string& text) override {
        commands.push_back(text);
        const auto found = replies.find(text);
        return found == replies.end() ? Strings{text + " ok"} : found->second;
    }
    bool awaitsCarriageReturn() const override { return false; }
    void setCarriageReturnPacing(bool on) override { paced = on; }

    std::map<std::string, Strings> replies;
    Strings commands;
    bool paced = true;
};

// A text to or from terminal 1 on the multi-drop side.
std::string at1(const std::string& text) {
    return "\x01" + text;
}

Datagram data(uint16_t sequence, const std::string& text) {
    return sim::plainDatagram(sim::packet::kData, sequence, text);
}
Datagram boxCommand(uint16_t sequence, const std::string& text) {
    return sim::plainDatagram(sim::packet::kBoxCommand, sequence, text);
}
Datagram ack(uint16_t sequence) {
    return sim::emptyDatagram(sim::packet::kAck, sequence);
}
Datagram error(uint16_t sequence) {
    return sim::emptyDatagram(sim::packet::kError, sequence);
}
Datagram init() {
    return sim::emptyDatagram(sim::packet::kInit, 0);
}

Strings described(const std::vector<Datagram>& datagrams) {
    Strings texts;
    for (const Datagram& datagram : datagrams) texts.push_back(sim::describeDatagram(datagram));
    return texts;
}

class BoxEngineTest : public ::testing::Test {
protected:
    BoxEngineTest() {
        config.clockSeconds = [] { return kFixedSeconds; };
    }

    // Built at first use, so that a test may change `config` before.
    BoxEngine& box() {
        if (!engine_) {
            engine_ = std::make_unique<BoxEngine>(config, port);
            engine_->attach(1, terminal1);
            engine_->attach(7, terminal7);
        }
        return *engine_;
    }

    // What the box sends in answer to one datagram.
    Strings exchange(const Datagram& datagram) {
        box();
        port.sent.clear();
        engine_->receive(datagram);
        return described(port.sent);
    }

    BoxConfig config;
    RecordingPort port;
    std::shared_ptr<ScriptedTerminal> terminal1 = std::make_shared<ScriptedTerminal>();
    std::shared_ptr<ScriptedTerminal> terminal7 = std::make_shared<ScriptedTerminal>();

private:
    std::unique_ptr<BoxEngine> engine_;
};

TEST_F(BoxEngineTest, StatusTellsReadinessSerialSideAddressAndMaster) {
    struct Case {
        const char* name;
        int side;
        Strings before;  // box commands handled first
        bool notReady;
        std::string status;
    };
    const Case cases[] = {
        {"multi-drop", sim::kMultiDropSide, {}, false, "V2.1 C3 A127.0.0.2 M-\r"},
        {"one terminal directly", sim::kDirectSide, {}, false, "V2.1 C1 A127.0.0.2 M-\r"},
        {"master applied",
         sim::kMultiDropSide,
         {"M127.0.0.1", "%"},
         false,
         "V2.1 C3 A127.0.0.2 M127.0.0.1\r"},
        {"settings not yet applied",
         sim::kMultiDropSide,
         {"M127.0.0.1", "C1"},
         false,
         "V2.1 C3 A127.0.0.2 M-\r"},
        {"serial side changed", sim::kMultiDropSide, {"C1", "%"}, false, "V2.1 C1 A127.0.0.2 M-\r"},
        {"not ready", sim::kMultiDropSide, {}, true, "C3 A127.0.0.2 M-\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPort fresh;
        BoxConfig caseConfig;
        caseConfig.settings.serialSide = c.side;
        BoxEngine engine(caseConfig, fresh);
        BoxFaults faults;
        faults.notReady = c.notReady;
        engine.setFaults(faults);
        uint16_t sequence = 1;
        for (const std::string& command : c.before) engine.receive(boxCommand(sequence++, command));
        fresh.sent.clear();
        engine.receive(boxCommand(0, "X"));
        EXPECT_EQ(described(fresh.sent), described({boxCommand(0, c.status)}));
    }
}

TEST_F(BoxEngineTest, SettingCommandsAreEchoedAndWaitForPercent) {
    struct Case {
        std::string command;
        bool accepted;
        BoxSettings pending;
    };
    const BoxSettings unchanged;
    const Case cases[] = {
        {"M127.0.0.1", true, {.address = "127.0.0.2", .serialSide = 1, .master = "127.0.0.1"}},
        {"M192.168.1.20",
         true,
         {.address = "127.0.0.2", .serialSide = 1, .master = "192.168.1.20"}},
        {"M", false, unchanged},
        {"M127.0.0.01", false, unchanged},
        {"A127.0.0.9", true, {.address = "127.0.0.9", .serialSide = 1, .master = ""}},
        {"A10.0.0.1", false, unchanged},
        {"Ahost", false, unchanged},
        {"C1", true, {.address = "127.0.0.2", .serialSide = 3, .master = ""}},
        {"C3", true, unchanged},
        {"Q", false, unchanged},
        {"", false, unchanged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("command \"" + c.command + "\"");
        RecordingPort fresh;
        BoxEngine engine(BoxConfig{}, fresh);
        engine.receive(boxCommand(9, c.command));
        EXPECT_EQ(described(fresh.sent),
                  described({c.accepted ? boxCommand(9, c.command) : error(9)}));
        EXPECT_EQ(engine.pendingSettings(), c.pending);
        EXPECT_EQ(engine.settings(), unchanged);
        EXPECT_EQ(fresh.events.size(), 1u);  // no move before "%"
    }
}

TEST_F(BoxEngineTest, PercentAppliesTheSettingsAndAcknowledgesFromTheNewAddress) {
    exchange(boxCommand(1, "A127.0.0.5"));
    exchange(boxCommand(2, "C1"));
    port.events.clear();
    EXPECT_EQ(exchange(boxCommand(3, "%")), described({ack(3)}));
    EXPECT_EQ(port.events, (Strings{"move 127.0.0.5", sim::describeDatagram(ack(3))}));
    const BoxSettings applied{.address = "127.0.0.5", .serialSide = sim::kDirectSide, .master = ""};
    EXPECT_EQ(box().settings(), applied);
}

TEST_F(BoxEngineTest, WithInitOnRestartPercentMovesAndThenAnnouncesTheRestart) {
    config.initOnRestart = true;
    exchange(boxCommand(1, "A127.0.0.5"));
    port.events.clear();
    EXPECT_EQ(exchange(boxCommand(2, "%")), described({init()}));
    EXPECT_EQ(port.events, (Strings{"move 127.0.0.5", sim::describeDatagram(init())}));
}

TEST_F(BoxEngineTest, BoxThatCannotMoveStaysWhereItIs) {
    port.moveSucceeds = false;
    exchange(boxCommand(1, "A127.0.0.5"));
    exchange(boxCommand(2, "M127.0.0.1"));
    exchange(boxCommand(3, "%"));
    const BoxSettings stayed{.address = "127.0.0.2", .serialSide = 1, .master = "127.0.0.1"};
    EXPECT_EQ(box().settings(), stayed);
    EXPECT_EQ(box().pendingSettings(), stayed);
}

// The computer's reset sends one "%" datagram three times.
TEST_F(BoxEngineTest, RepeatedPercentRestartsOnce) {
    config.initOnRestart = true;
    EXPECT_EQ(exchange(boxCommand(2, "%")), described({init()}));
    EXPECT_EQ(exchange(boxCommand(2, "%")), described({ack(2)}));
    EXPECT_EQ(exchange(boxCommand(2, "%")), described({ack(2)}));
    EXPECT_EQ(exchange(boxCommand(3, "%")), described({init()}));
}

TEST_F(BoxEngineTest, EncipheredBoxCommandsAreDecipheredAndEchoedAsConfigured) {
    const Datagram enciphered =
        sim::encipheredDatagram(sim::packet::kBoxCommand, 4, "M127.0.0.1", kKey, 1'000);
    ASSERT_EQ(enciphered.type, sim::packet::kEncipheredBoxCommand);
    EXPECT_EQ(exchange(enciphered), described({boxCommand(4, "M127.0.0.1")}));

    RecordingPort second;
    BoxConfig encipherAnswers = config;
    encipherAnswers.encipherAnswers = true;
    BoxEngine engine(encipherAnswers, second);
    engine.receive(enciphered);
    ASSERT_EQ(second.sent.size(), 1u);
    EXPECT_EQ(second.sent[0], sim::encipheredDatagram(sim::packet::kBoxCommand, 4, "M127.0.0.1",
                                                      kKey, kFixedSeconds));
    EXPECT_EQ(
        kavex::decipherWithKey(second.sent[0].payload.data(), second.sent[0].payload.size(), kKey),
        "M127.0.0.1");
    second.sent.clear();
    engine.receive(boxCommand(0, "X"));  // the status stays plain
    EXPECT_EQ(described(second.sent), described({boxCommand(0, "V2.1 C3 A127.0.0.2 M-\r")}));
}

TEST_F(BoxEngineTest, TerminalDataIsAcknowledgedThenRelayedByTerminalNumber) {
    const std::string endLine = std::string("\x04") + "1";
    terminal7->replies["DIR"] = {"PRE51231 34", endLine};
    EXPECT_EQ(exchange(data(5, "\x07" + std::string("DIR"))),
              described({ack(5), data(1, "\x07PRE51231 34"), data(2, "\x07" + endLine)}));
    EXPECT_EQ(exchange(data(6, at1("@TIME"))), described({ack(6), data(3, at1("@TIME ok"))}));
    EXPECT_EQ(exchange(data(7, "\x02@TIME")), described({ack(7)}));  // nobody at 2
    EXPECT_EQ(terminal7->commands, Strings{"DIR"});
    EXPECT_EQ(terminal1->commands, Strings{"@TIME"});
    EXPECT_FALSE(terminal1->paced);
}

TEST_F(BoxEngineTest, DirectSideTakesSerialLinesForTheLowestNumberedTerminal) {
    config.settings.serialSide = sim::kDirectSide;
    EXPECT_EQ(exchange(data(1, "@TI")), described({ack(1)}));
    EXPECT_EQ(exchange(data(2, "ME\r")), described({ack(2), data(1, "@TIME ok\r")}));
    EXPECT_EQ(exchange(data(3, "A\rB\r")),
              described({ack(3), data(2, "A ok\r"), data(3, "B ok\r")}));
    EXPECT_EQ(terminal1->commands, (Strings{"@TIME", "A", "B"}));
    EXPECT_TRUE(terminal7->commands.empty());
}

TEST_F(BoxEngineTest, EncipheredTerminalDataIsDecipheredAndRepliesEncipheredAsConfigured) {
    config.encipherData = true;
    const Datagram command = sim::encipheredDatagram(sim::packet::kData, 8, at1("%XI"), kKey, 77);
    const Strings sent = exchange(command);
    ASSERT_EQ(port.sent.size(), 2u);
    EXPECT_EQ(sent[0], sim::describeDatagram(ack(8)));
    const Datagram& reply = port.sent[1];
    EXPECT_EQ(reply.type, sim::packet::kEncipheredData);
    EXPECT_EQ(reply.sequence, 1);
    EXPECT_EQ(kavex::decipherWithKey(reply.payload.data(), reply.payload.size(), kKey),
              at1("%XI ok"));
    EXPECT_EQ(terminal1->commands, Strings{"%XI"});
}

// The computer sends a command again when its acknowledgement was lost.
TEST_F(BoxEngineTest, RepeatedTerminalDataIsAcknowledgedAgainButRelayedOnce) {
    EXPECT_EQ(exchange(data(5, at1("@TIME"))), described({ack(5), data(1, at1("@TIME ok"))}));
    EXPECT_EQ(exchange(data(5, at1("@TIME"))), described({ack(5)}));
    EXPECT_EQ(exchange(data(6, at1("@TIME"))), described({ack(6), data(2, at1("@TIME ok"))}));
    EXPECT_EQ(terminal1->commands, (Strings{"@TIME", "@TIME"}));
}

TEST_F(BoxEngineTest, ReplySequenceNumbersRunFrom1To255AndSkip0) {
    std::vector<uint16_t> sequences;
    for (int i = 0; i < 257; ++i) {
        exchange(data(static_cast<uint16_t>(i % 256), at1(std::to_string(i))));
        sequences.push_back(port.sent.back().sequence);
    }
    EXPECT_EQ(sequences.front(), 1);
    EXPECT_EQ(sequences[254], 255);
    EXPECT_EQ(sequences[255], 1);
    EXPECT_EQ(sequences[256], 2);
}

TEST_F(BoxEngineTest, RestartsStartTheReplySequenceAgain) {
    exchange(data(1, at1("A")));
    exchange(data(2, at1("B")));
    exchange(boxCommand(3, "%"));
    EXPECT_EQ(exchange(data(4, at1("C"))), described({ack(4), data(1, at1("C ok"))}));
    port.sent.clear();
    box().restart();
    EXPECT_EQ(described(port.sent), described({init()}));
    EXPECT_EQ(exchange(data(5, at1("D"))), described({ack(5), data(1, at1("D ok"))}));
}

TEST_F(BoxEngineTest, RestartOnDemandForgetsTheSettingsToBe) {
    exchange(boxCommand(1, "C1"));
    box().restart();
    EXPECT_EQ(box().pendingSettings(), BoxSettings{});
    exchange(boxCommand(2, "%"));
    EXPECT_EQ(box().settings(), BoxSettings{});
}

// The computer never acknowledges a reply it did not get: a later acknowledgement settles it.
TEST_F(BoxEngineTest, AcknowledgementsSettleRepliesUpToTheOneNamedAndAreNeverAnswered) {
    terminal1->replies["DIR"] = {"a", "b", "c"};
    exchange(data(1, at1("DIR")));
    EXPECT_EQ(box().unacknowledgedReplies(), (std::vector<uint16_t>{1, 2, 3}));
    EXPECT_TRUE(exchange(ack(0)).empty());  // the flush before the status request
    EXPECT_TRUE(exchange(ack(99)).empty());
    EXPECT_EQ(box().unacknowledgedReplies(), (std::vector<uint16_t>{1, 2, 3}));
    EXPECT_TRUE(exchange(ack(2)).empty());
    EXPECT_EQ(box().unacknowledgedReplies(), (std::vector<uint16_t>{3}));
    EXPECT_TRUE(exchange(ack(3)).empty());
    EXPECT_TRUE(box().unacknowledgedReplies().empty());
}

Strings numberedLines(int from, int to) {
    Strings lines;
    for (int i = from; i <= to; ++i) lines.push_back(std::to_string(i));
    return lines;
}

std::vector<Datagram> numberedReplies(int from, int to) {
    std::vector<Datagram> replies;
    for (int i = from; i <= to; ++i) {
        replies.push_back(data(static_cast<uint16_t>(i), at1(std::to_string(i))));
    }
    return replies;
}

TEST_F(BoxEngineTest, LongTransferGoesOutAsAcknowledgementsCome) {
    terminal1->replies["@TYPE BIG"] = numberedLines(1, 40);
    std::vector<Datagram> first{ack(5)};
    for (Datagram& reply : numberedReplies(1, 32)) first.push_back(reply);
    EXPECT_EQ(exchange(data(5, at1("@TYPE BIG"))), described(first));
    EXPECT_EQ(exchange(ack(1)), described(numberedReplies(33, 33)));
    EXPECT_EQ(exchange(ack(30)), described(numberedReplies(34, 40)));
    EXPECT_TRUE(exchange(ack(40)).empty());
    EXPECT_TRUE(box().unacknowledgedReplies().empty());
}

TEST_F(BoxEngineTest, NewCommandLineDropsTheRepliesStillWaiting) {
    config.settings.serialSide = sim::kDirectSide;
    terminal1->replies["@TYPE BIG"] = numberedLines(1, 40);
    exchange(data(1, "@TYPE BIG\r"));
    EXPECT_EQ(exchange(data(2, "@TI")), described({ack(2)}));  // no whole line yet
    EXPECT_EQ(exchange(ack(1)), described({data(33, "33\r")}));
    EXPECT_EQ(exchange(data(3, "ME\r")), described({ack(3), data(41, "@TIME ok\r")}));
    EXPECT_EQ(box().unacknowledgedReplies(), std::vector<uint16_t>{41});
    EXPECT_TRUE(exchange(ack(41)).empty());
}

TEST_F(BoxEngineTest, UnknownPacketTypesAreRefused) {
    for (const uint16_t type : {uint16_t{2}, uint16_t{5}, uint16_t{9}}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(exchange(sim::plainDatagram(type, 3, "x")), described({error(3)}));
    }
}

TEST_F(BoxEngineTest, FaultsChangeWhatIsSentAndCountDown) {
    struct Case {
        const char* name;
        BoxFaults faults;
        Strings first;   // in answer to data(1, at1("A"))
        Strings second;  // in answer to data(2, at1("B"))
        Strings relayed;
    };
    const Strings answerA = described({ack(1), data(1, at1("A ok"))});
    const Strings answerB = described({ack(2), data(2, at1("B ok"))});
    const Strings answerBAsFirstReply = described({ack(2), data(1, at1("B ok"))});
    const Case cases[] = {
        {"none", {}, answerA, answerB, {"A", "B"}},
        {"silent", {.silent = true}, {}, {}, {}},
        {"lose received", {.loseReceived = 1}, {}, answerBAsFirstReply, {"B"}},
        {"lose sent", {.loseSent = 1}, {answerA[1]}, answerB, {"A", "B"}},
        {"repeat replies",
         {.repeatReplies = 1},
         described({ack(1), data(1, at1("A ok")), data(1, at1("A ok"))}),
         answerB,
         {"A", "B"}},
        {"reorder answers", {.reorderAnswers = 1}, {answerA[1], answerA[0]}, answerB, {"A", "B"}},
        {"error answers", {.errorAnswers = 1}, described({error(1)}), answerBAsFirstReply, {"B"}},
        {"restarts", {.restarts = 1}, described({init()}), answerBAsFirstReply, {"B"}},
        {"faults after the first datagram: lose received",
         {.loseReceived = 1, .faultsAfter = 1},
         answerA,
         {},
         {"A"}},
        {"faults after the first datagram: error answers",
         {.errorAnswers = 1, .faultsAfter = 1},
         answerA,
         described({error(2)}),
         {"A"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPort fresh;
        auto terminal = std::make_shared<ScriptedTerminal>();
        BoxEngine engine(config, fresh);
        engine.attach(1, terminal);
        engine.setFaults(c.faults);
        engine.receive(data(1, at1("A")));
        EXPECT_EQ(described(fresh.sent), c.first);
        fresh.sent.clear();
        engine.receive(data(2, at1("B")));
        EXPECT_EQ(described(fresh.sent), c.second);
        EXPECT_EQ(terminal->commands, c.relayed);
        EXPECT_EQ(engine.received().size(), 2u);
        EXPECT_EQ(engine.counts().sent, c.first.size() + c.second.size());
    }
}

TEST_F(BoxEngineTest, ReorderingSwapsNeighboursOfALongerAnswer) {
    terminal1->replies["DIR"] = {"a", "b", "c"};
    BoxFaults faults;
    faults.reorderAnswers = 1;
    box().setFaults(faults);
    EXPECT_EQ(exchange(data(4, at1("DIR"))),
              described({data(1, at1("a")), ack(4), data(3, at1("c")), data(2, at1("b"))}));
}

TEST_F(BoxEngineTest, LogsKeepEveryDatagramAndCountTheLostOnes) {
    BoxFaults faults;
    faults.loseReceived = 1;
    faults.loseSent = 1;
    box().setFaults(faults);
    exchange(data(1, at1("A")));
    exchange(data(2, at1("B")));
    EXPECT_EQ(described(box().received()), described({data(1, at1("A")), data(2, at1("B"))}));
    EXPECT_EQ(described(box().sent()), described({data(1, at1("B ok"))}));
    EXPECT_EQ(box().counts(),
              (sim::BoxCounts{.received = 2, .sent = 1, .lostReceived = 1, .lostSent = 1}));
    box().clearLogs();
    EXPECT_TRUE(box().received().empty());
    EXPECT_EQ(box().counts(), sim::BoxCounts{});
}

}  // namespace
