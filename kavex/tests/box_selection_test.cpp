// SetIPAddress: the address check, the socket, the exact datagrams of the status exchange, the
// serial side found, the datagrams handled while it runs, its failures and the connection
// window of the meter callback.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cipher.h"
#include "network_box_fixture.h"
#include "platform/clock.h"

namespace kavex_test {
namespace {

class BoxSelectionTest : public NetworkBoxTest {
protected:
    void SetUp() override { open(); }
};

struct Event {
    int32_t kind;
    std::string text;
    int32_t elapsedMs, timeoutMs;
};

// Records the meter's events, copying what they point to while the call lasts.
void recordEvent(const KavexMeterEvent* event, void* context) {
    static_cast<std::vector<Event>*>(context)->push_back(
        {event->kind, event->text, event->elapsedMs, event->timeoutMs});
}

TEST_F(BoxSelectionTest, TheSocketIsBoundAndTheStatusExchangeSendsExactlyTheseDatagrams) {
    const uint32_t start = platform::tickCountMs();
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
    EXPECT_GE(msSince(start), 600u) << "100 ms before the status request, 500 ms after 'V'";
    EXPECT_EQ(errorText(), "None");
    EXPECT_TRUE(sockets.socketOpen);
    EXPECT_TRUE(sockets.nonBlocking);
    EXPECT_EQ(sockets.boundAddress, "0.0.0.0");
    EXPECT_EQ(sockets.boundPort, kBoxPort);
    ASSERT_EQ(sockets.sent.size(), 2u);
    EXPECT_EQ(sockets.sent[0].bytes, (Bytes{4, 0, 0, 0, 0})) << "acknowledgement of 0";
    EXPECT_EQ(sockets.sent[1].bytes, (Bytes{6, 0, 0, 0, 'X', 0})) << "the status request";
    for (const SentDatagram& d : sockets.sent) {
        EXPECT_EQ(d.address, kBoxAddress);
        EXPECT_EQ(d.port, kBoxPort);
    }
}

TEST_F(BoxSelectionTest, TheSocketIsBoundToTheChosenAdapter) {
    ExitCOMM();
    sockets.hostAddresses = {"127.0.0.1", "127.0.0.3"};
    ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort);
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
    EXPECT_EQ(sockets.boundAddress, "127.0.0.1") << "the first adapter unless another is chosen";
    ASSERT_EQ(ChangeAdapter("127.0.0.3"), 0);
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
    EXPECT_EQ(sockets.boundAddress, "127.0.0.3");
    EXPECT_EQ(sockets.socketsOpened, 2);
    EXPECT_EQ(sockets.socketsClosed, 1) << "the first socket was closed for the second";
}

TEST_F(BoxSelectionTest, OnANetworkTheSocketIsBoundToTheInterfaceNotToTheHostNamesLoopback) {
    ExitCOMM();
    sockets.hostAddresses = {"127.0.1.1"};
    sockets.interfaceAddresses = {kLanAddress, "127.0.0.1"};
    ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort) << errorText();
    box.address = kLanBoxAddress;
    ASSERT_EQ(SetIPAddress(kLanBoxAddress), 0) << errorText();
    EXPECT_EQ(sockets.boundAddress, kLanAddress) << "the first adapter";
    ASSERT_EQ(ChangeAdapter("127.0.0.1"), 0);
    box.address = kBoxAddress;
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
    EXPECT_EQ(sockets.boundAddress, "127.0.0.1");
    ASSERT_EQ(ChangeAdapter(kLanAddress), 0);
    box.address = kLanBoxAddress;
    sockets.sent.clear();
    ASSERT_EQ(SetIPAddress(kLanBoxAddress), 0) << errorText();
    EXPECT_EQ(sockets.boundAddress, kLanAddress);
    ASSERT_FALSE(sockets.sent.empty());
    for (const SentDatagram& d : sockets.sent) EXPECT_EQ(d.address, kLanBoxAddress);
    ASSERT_EQ(ExitCOMM(), 0);

    sockets.interfaceAddresses.clear();
    box.address = kBoxAddress;
    ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort) << errorText();
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
    EXPECT_EQ(sockets.boundAddress, "127.0.1.1") << "no interface listed: the host name's";
}

TEST_F(BoxSelectionTest, TheStatusAnswerDecidesTheSerialSide) {
    const struct {
        const char* status;
        int32_t accepted, refused;
    } sides[] = {
        {"V2.1 C3 A127.0.0.2", 1, 0},  // multi-drop: terminals 1-254
        {"V2.1 C1", 0, 1},             // one terminal directly: terminal 0 only
        {"V", 0, 254},
    };
    for (const auto& side : sides) {
        SCOPED_TRACE(side.status);
        box.status = side.status;
        ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
        EXPECT_EQ(ChgTerminal(side.refused), -1);
        EXPECT_EQ(errorText(), "Wrong parameters: <>");
        EXPECT_EQ(ChgTerminal(side.accepted), 0);
    }
}

TEST_F(BoxSelectionTest, AnAddressThatIsNotCanonicalDottedIpv4IsRefused) {
    const char* refused[] = {
        "",          "1.2.3",          "127.0.0.02",      "127.000.0.2",     " 127.0.0.2",
        "127.0.0.2 ", "127.0.0.256",   "127.1.1",         "1.2.3.4.5",       "255.255.255.255",
        "0x7f.0.0.2", "1234567890123456", "127.0.0.2.",   "abc.def.ghi.jkl",
    };
    for (const char* address : refused) {
        SCOPED_TRACE(address);
        EXPECT_EQ(SetIPAddress(address), -1);
        EXPECT_EQ(errorCode(), 3);
        EXPECT_EQ(errorText(), "Wrong parameters: <>");
    }
    EXPECT_EQ(sockets.socketsOpened, 0);
    EXPECT_TRUE(sockets.sent.empty());
}

TEST_F(BoxSelectionTest, ASocketThatCannotBeMadeStopsTheLibrary) {
    const struct {
        int ScriptedSockets::*fault;
        int number;
        int32_t error;
        const char* text;
        int closed;
    } faults[] = {
        {&ScriptedSockets::socketError, 10024, 74, "Error creating socket: 10024", 0},
        {&ScriptedSockets::bindError, 10049, 75, "Error binding socket: 10049", 1},
        {&ScriptedSockets::modeError, 10022, 76, "Error setting socket mode: 10022", 1},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.text);
        sockets.*f.fault = f.number;
        sockets.cleanups = 0;
        sockets.socketsClosed = 0;
        EXPECT_EQ(SetIPAddress(kBoxAddress), -1);
        EXPECT_EQ(errorCode(), f.error);
        EXPECT_EQ(errorText(), f.text);
        EXPECT_EQ(sockets.cleanups, 1);
        EXPECT_EQ(sockets.socketsClosed, f.closed);
        EXPECT_FALSE(sockets.socketOpen);
        EXPECT_TRUE(sockets.sent.empty());
        sockets.*f.fault = 0;
    }
    EXPECT_EQ(ExitCOMM(), 0) << "no socket is left to close";
    EXPECT_EQ(sockets.cleanups, 1) << "and the stopped library is not stopped again";
}

TEST_F(BoxSelectionTest, WithoutAnAnswerEachTrySendsAgainUntilTheTriesAreUsed) {
    box.status.clear();
    const struct {
        int32_t seconds;
        size_t tries;
    } cases[] = {{1, 1}, {4, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        ASSERT_EQ(SetWinSockTimeOut(c.seconds), 0);
        sockets.sent.clear();
        const uint32_t start = platform::tickCountMs();
        EXPECT_EQ(SetIPAddress(kBoxAddress), -1);
        EXPECT_GE(msSince(start), c.tries * 2100) << "2 s of reading after each request";
        EXPECT_EQ(errorCode(), 79);
        EXPECT_EQ(errorText(), "WinSocket timeout expired: <>");
        EXPECT_EQ(box.boxCommands, std::vector<std::string>(c.tries, "X"));
        EXPECT_EQ(acknowledged(), std::vector<uint16_t>(c.tries, 0));
        EXPECT_TRUE(sockets.socketOpen) << "the socket stays open for the next try";
        box.boxCommands.clear();
    }
}

TEST_F(BoxSelectionTest, OnlyAnAnswerHoldingVSelectsAndOtherDatagramsAreHandledOnTheWay) {
    box.status.clear();
    sockets.peer = [&](const SentDatagram& d) {
        if (d.type() != 6) return;
        sockets.arrive(datagram(6, 0, "C3 not ready"));  // no "V": ignored
        sockets.arrive(ack(0));                          // ignored
        sockets.arrive(datagram(3, 7, "\x05" "late reply"));
        sockets.arrive(datagram(2, 0, ""));
        sockets.arrive(datagram(6, 0, "V2.1 C1"));
    };
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
    EXPECT_EQ(acknowledged(), (std::vector<uint16_t>{0, 7, 0})) << "terminal data and init";
    EXPECT_EQ(ChgTerminal(0), 0) << "the answer with V decided: one terminal directly";
}

TEST_F(BoxSelectionTest, TheFlushAcknowledgesDataAndInitWithWhatFollowsThem) {
    const struct {
        const char* name;
        std::vector<Bytes> waiting;
        std::vector<uint16_t> acknowledged;
    } cases[] = {
        {"data and what follows", {datagram(3, 9, "\x05OK"), datagram(6, 12, "?")}, {0, 9, 12}},
        {"init", {datagram(2, 0, "")}, {0, 0}},
        {"enciphered data",
         {rawDatagram(11, 4, kavex::encipherWithKey("\x05OK", kavex::kDefaultCipherKey, 9))},
         {0, 4}},
        {"a box answer alone is not acknowledged", {datagram(6, 12, "?")}, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const Bytes& b : c.waiting) sockets.arrive(b);
        sockets.sent.clear();
        ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
        EXPECT_EQ(acknowledged(), c.acknowledged);
        EXPECT_EQ(box.boxCommands.back(), "X") << "the status request comes after the flush";
        EXPECT_EQ(sockets.waiting(), 0u);
    }
}

TEST_F(BoxSelectionTest, ErrorsOfTheExchangeEndIt) {
    expectFailures(
        {
            {"error datagram waiting", [&] { sockets.arrive(datagram(5, 0, "")); }, 96,
             "Error packet received: <>"},
            {"error datagram answering",
             [&] {
                 sockets.peer = [&](const SentDatagram& d) {
                     if (d.type() == 6) sockets.arrive(datagram(5, 0, ""));
                 };
             },
             96, "Error packet received: <>"},
            {"read failure", [&] { sockets.failRead(10054); }, 78,
             "Error receving message: 10054"},
            {"zero-length read", [&] { sockets.arriveEmpty(); }, 97,
             "WinSocket connection closed: <>"},
            {"status request not sent",
             [&] {
                 sockets.sendError = 10065;
                 sockets.sendsBeforeError = 1;
             },
             77, "Error sending message: 10065"},
        },
        [] { return SetIPAddress(kBoxAddress); }, [&] { box.install(); });
}

TEST_F(BoxSelectionTest, AFailedAcknowledgementIsNoFailure) {
    sockets.sendError = 10065;  // the first send, the acknowledgement of 0
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
    EXPECT_EQ(errorCode(), 0);
    EXPECT_EQ(box.boxCommands, std::vector<std::string>{"X"});
}

TEST_F(BoxSelectionTest, AnEncipheredStatusAnswerIsDecipheredAndTheRequestIsAlwaysPlain) {
    CryptLbxCmds(1);
    CryptMessages(1);
    box.status.clear();
    sockets.peer = [&](const SentDatagram& d) {
        if (d.type() == 6) {
            sockets.arrive(rawDatagram(
                14, 0, kavex::encipherWithKey("V2.1 C1", kavex::kDefaultCipherKey, 77)));
        }
    };
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
    EXPECT_EQ(sockets.sent.back().bytes, (Bytes{6, 0, 0, 0, 'X', 0}));
    EXPECT_EQ(ChgTerminal(0), 0) << "C1 was read from the deciphered answer";
}

TEST_F(BoxSelectionTest, TheConnectionWindowShowsTheStepsWhileTheMeterIsOn) {
    std::vector<Event> events;
    SetMeterCallback(&recordEvent, &events);
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0);
    EXPECT_TRUE(events.empty()) << "the meter is off";

    EXPECT_EQ(ChgTerminal(300), -1);
    EXPECT_EQ(EnableMeter(7), 0);
    EXPECT_EQ(errorCode(), 3) << "EnableMeter leaves the error code as it is";
    box.status.clear();
    sockets.peer = [&](const SentDatagram& d) {
        if (d.type() != 6) return;
        sockets.arrive(datagram(3, 1, "\x05" "data"), 150);
        sockets.arrive(datagram(6, 0, "V2.1 C3"), 300);
    };
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
    std::vector<Event> steps;
    int32_t lastElapsed = -1;
    for (const Event& e : events) {
        if (e.kind == KAVEX_METER_PROGRESS) {
            EXPECT_EQ(e.timeoutMs, 7000);
            EXPECT_GE(e.elapsedMs, lastElapsed) << "the bar follows the time";
            lastElapsed = e.elapsedMs;
            if (e.elapsedMs != 5600) continue;
        }
        steps.push_back(e);
    }
    ASSERT_EQ(steps.size(), 8u);
    const struct {
        int32_t kind;
        const char* text;
    } expected[] = {
        {KAVEX_METER_OPEN, "Connecting....."}, {KAVEX_METER_STATUS, kBoxAddress},
        {KAVEX_METER_STATUS, "Connect Socket"}, {KAVEX_METER_STATUS, "Status Request"},
        {KAVEX_METER_STATUS, "Data.."},         {KAVEX_METER_STATUS, "OK !"},
        {KAVEX_METER_PROGRESS, ""},             {KAVEX_METER_CLOSE, ""},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(steps[i].kind, expected[i].kind);
        EXPECT_EQ(steps[i].text, expected[i].text);
    }
    EXPECT_EQ(steps[6].elapsedMs, 5600) << "80 percent of WinSockTimeout at OK";
    EXPECT_GT(lastElapsed, 100) << "progress was shown while waiting";

    events.clear();
    SetWinSockTimeOut(1);
    sockets.peer = nullptr;
    EXPECT_EQ(SetIPAddress(kBoxAddress), -1);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().kind, KAVEX_METER_OPEN);
    EXPECT_EQ(events.back().kind, KAVEX_METER_CLOSE) << "closed on failure too";

    events.clear();
    SetMeterCallback(nullptr, &events);
    SetWinSockTimeOut(7);
    box.status = "V";
    sockets.peer = [&](const SentDatagram& d) {
        if (d.type() == 6) sockets.arrive(datagram(6, 0, "V"));
    };
    EXPECT_EQ(SetIPAddress(kBoxAddress), 0) << "with no callback nothing is shown";
    EXPECT_TRUE(events.empty());
}

}  // namespace
}  // namespace kavex_test
