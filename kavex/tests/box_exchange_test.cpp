// The command exchange behind the network box: the datagrams of SendCommand and PostCommand on
// both serial sides, sequence numbers, acknowledgements, repeats, other terminals, init and
// error datagrams, the enciphered traffic, the reply waits and their failures, and the
// selection of a terminal behind the box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cipher.h"
#include "network_box_fixture.h"
#include "platform/clock.h"

namespace kavex_test {
namespace {

using Sequences = std::vector<uint16_t>;

class BoxExchangeTest : public NetworkBoxTest {
protected:
    void SetUp() override { selectTerminalFive(); }

    // The box answers each terminal datagram with what `answers` gives, instead of the script.
    void answerWith(std::function<std::vector<Bytes>(const SentDatagram&)> answers) {
        sockets.peer = [this, answers](const SentDatagram& d) {
            if (d.type() == 3 || d.type() == 11) {
                for (const Bytes& b : answers(d)) sockets.arrive(b);
            }
        };
    }
};

TEST_F(BoxExchangeTest, OnAMultiDropSideTheCommandCarriesTheTerminalsNumber) {
    box.replies["@TIME"] = "@TIME 120000";
    ASSERT_EQ(SendCommand("@TIME", reply), 0) << errorText();
    EXPECT_STREQ(reply, "@TIME 120000");
    ASSERT_FALSE(sockets.sent.empty());
    EXPECT_EQ(sockets.sent[0].bytes, (Bytes{3, 0, 1, 0, 5, '@', 'T', 'I', 'M', 'E', 0}));
    EXPECT_EQ(sockets.sent[0].address, kBoxAddress);
    EXPECT_EQ(acknowledged(), Sequences{1}) << "the reply datagram is acknowledged";
    EXPECT_EQ(sockets.sent.size(), 2u);
}

TEST_F(BoxExchangeTest, OnOneTerminalDirectlyTheCommandEndsWithACarriageReturn) {
    ExitCOMM();
    selectBox("V2.1 C1");
    ASSERT_EQ(ChgTerminal(0), 0);
    box.multiDrop = false;
    box.replies["@TIME"] = "@TIME 120000";
    ASSERT_EQ(SendCommand("@TIME", reply), 0) << errorText();
    EXPECT_STREQ(reply, "@TIME 120000") << "the reply's CR is removed";
    EXPECT_EQ(sockets.sent[0].bytes, (Bytes{3, 0, 1, 0, '@', 'T', 'I', 'M', 'E', '\r', 0}));
}

TEST_F(BoxExchangeTest, TheSequenceNumberWrapsAndIsSharedWithBoxCommands) {
    for (int i = 1; i <= 255; ++i) ASSERT_EQ(PostCommand("P"), 0) << i << " " << errorText();
    char answer[KAVEX_LBX_ANSWER_SIZE];
    ASSERT_EQ(LbxCommand("M127.0.0.1", answer), 0) << errorText();
    ASSERT_EQ(PostCommand("P"), 0);
    const std::vector<SentDatagram> sent = commandsSent();
    ASSERT_EQ(sent.size(), 257u);
    EXPECT_EQ(sent[0].sequence(), 1);
    EXPECT_EQ(sent[254].sequence(), 255);
    EXPECT_EQ(sent[255].sequence(), 0) << "255 wraps to 0";
    EXPECT_EQ(sent[255].type(), 6);
    EXPECT_EQ(sent[256].sequence(), 1);
    EXPECT_TRUE(acknowledged().empty()) << "nothing to acknowledge";
}

TEST_F(BoxExchangeTest, AReplyThatComesBeforeTheAcknowledgementEndsTheExchange) {
    answerWith([&](const SentDatagram&) {
        return std::vector<Bytes>{box.replyDatagram(5, "EARLY")};
    });
    const uint32_t start = platform::tickCountMs();
    ASSERT_EQ(SendCommand("Q", reply), 0) << errorText();
    EXPECT_STREQ(reply, "EARLY");
    EXPECT_LT(msSince(start), 1000u) << "no further wait";
    EXPECT_EQ(acknowledged(), Sequences{1});
}

TEST_F(BoxExchangeTest, ARepeatedReplyIsAcknowledgedTwiceAndDeliveredOnce) {
    answerWith([&](const SentDatagram& d) {
        const Bytes first = box.replyDatagram(5, "A");
        return std::vector<Bytes>{ack(d.sequence()), first, first, box.replyDatagram(5, "B")};
    });
    ASSERT_EQ(SendCommand("Q", reply), 0) << errorText();
    EXPECT_STREQ(reply, "A");
    ASSERT_EQ(GetMsgEx(reply), 0) << errorText();
    EXPECT_STREQ(reply, "B");
    EXPECT_EQ(acknowledged(), (Sequences{1, 1, 2}));

    const Bytes again = box.replyDatagram(5, "C");
    for (int i = 0; i < 11; ++i) sockets.arrive(again);
    sockets.arrive(box.replyDatagram(5, "D"));
    ASSERT_EQ(GetMsgEx(reply), 0);
    const uint32_t start = platform::tickCountMs();
    ASSERT_EQ(GetMsgEx(reply), 0);
    EXPECT_STREQ(reply, "D");
    EXPECT_GE(msSince(start), 10u * 8u + 8u) << "4 ms before and after each acknowledgement";
}

// Datagrams that overtook each other on the way: the replies come out in their numbers' order;
// one whose predecessor never comes is delivered after a short wait, and so are a number far
// ahead and the number after the box's 255.
TEST_F(BoxExchangeTest, RepliesThatOvertookEachOtherAreDeliveredInTheirOrder) {
    const auto reply5 = [](uint16_t sequence) {
        return datagram(3, sequence, "\x05R" + std::to_string(sequence));
    };
    answerWith([&](const SentDatagram& d) {
        return std::vector<Bytes>{reply5(101), ack(d.sequence()), reply5(103), reply5(102),
                                  reply5(106),  reply5(104),      reply5(105), reply5(107)};
    });
    ASSERT_EQ(SendCommand("Q", reply), 0) << errorText();
    EXPECT_STREQ(reply, "R101");
    for (const char* next : {"R102", "R103", "R104", "R105", "R106", "R107"}) {
        ASSERT_EQ(GetMsgEx(reply), 0) << errorText();
        EXPECT_STREQ(reply, next);
    }
    EXPECT_EQ(acknowledged(), (Sequences{101, 103, 102, 106, 104, 105, 107}));

    sockets.arrive(reply5(110));  // 108 and 109 never come
    const uint32_t start = platform::tickCountMs();
    ASSERT_EQ(GetMsgEx(reply), 0) << errorText();
    EXPECT_STREQ(reply, "R110");
    EXPECT_GE(msSince(start), 100u) << "it waited for the ones it overtook";
    for (const uint16_t sequence : {uint16_t{200}, uint16_t{255}, uint16_t{1}}) {
        sockets.arrive(reply5(sequence));
        ASSERT_EQ(GetMsgEx(reply), 0) << errorText();
        EXPECT_EQ(std::string(reply), "R" + std::to_string(sequence));
    }
}

TEST_F(BoxExchangeTest, SelectingTheTerminalAgainAcceptsTheSameSequenceNumber) {
    SetWinSockTimeOut(1);
    const Bytes same = box.replyDatagram(5, "SAME");
    sockets.arrive(same);
    ASSERT_EQ(GetMsgEx(reply), 0) << errorText();
    sockets.arrive(same);
    EXPECT_EQ(GetMsgEx(reply), -1) << "a repeat";
    EXPECT_EQ(errorCode(), 79);
    ASSERT_EQ(ChgTerminal(5), 0);
    sockets.arrive(same);
    ASSERT_EQ(GetMsgEx(reply), 0) << errorText();
    EXPECT_STREQ(reply, "SAME");
}

TEST_F(BoxExchangeTest, AReplyFromAnotherTerminalIsAcknowledgedAndPassedOver) {
    answerWith([&](const SentDatagram& d) {
        return std::vector<Bytes>{ack(d.sequence()), box.replyDatagram(6, "SIX"),
                                  box.replyDatagram(5, "FIVE")};
    });
    ASSERT_EQ(SendCommand("Q", reply), 0) << errorText();
    EXPECT_STREQ(reply, "FIVE");
    EXPECT_EQ(acknowledged(), (Sequences{1, 2}));
}

TEST_F(BoxExchangeTest, AnInitDatagramIsAcknowledgedAndRestartsTheReplyNumbers) {
    answerWith([&](const SentDatagram& d) {
        return std::vector<Bytes>{ack(d.sequence()), datagram(2, 0, ""),
                                  datagram(3, 0, "\x05" "repeat of 0"),
                                  datagram(3, 1, "\x05" "NEW")};
    });
    ASSERT_EQ(SendCommand("Q", reply), 0) << errorText();
    EXPECT_STREQ(reply, "NEW");
    EXPECT_EQ(acknowledged(), (Sequences{0, 0, 1}));
}

TEST_F(BoxExchangeTest, WhileSendingAnInitDatagramOrOtherTerminalsDataSendsTheCommandAgain) {
    const struct {
        const char* name;
        Bytes beforeTheAck;
        uint16_t acknowledged;
    } cases[] = {
        {"init", datagram(2, 3, "\x05" "not a reply"), 3},
        {"another terminal", datagram(3, 9, "\x06" "other"), 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int sends = 0;
        answerWith([&](const SentDatagram& d) {
            if (++sends == 1) return std::vector<Bytes>{c.beforeTheAck};
            return std::vector<Bytes>{ack(d.sequence()), box.replyDatagram(5, "OK")};
        });
        sockets.sent.clear();
        ASSERT_EQ(SendCommand("Q", reply), 0) << errorText();
        EXPECT_STREQ(reply, "OK");
        EXPECT_EQ(sends, 2);
        const std::vector<SentDatagram> commands = commandsSent();
        ASSERT_EQ(commands.size(), 2u);
        EXPECT_EQ(commands[0].bytes, commands[1].bytes);
        EXPECT_EQ(acknowledged().front(), c.acknowledged);
    }
}

TEST_F(BoxExchangeTest, DatagramsWaitingBeforeTheCommandAreAcknowledgedWithTheirFollowers) {
    sockets.arrive(datagram(3, 9, "\x05" "stale"));
    sockets.arrive(datagram(5, 2, ""));  // follows at once: acknowledged, not an error
    box.replies["Q"] = "FRESH";
    ASSERT_EQ(SendCommand("Q", reply), 0) << errorText();
    EXPECT_STREQ(reply, "FRESH");
    ASSERT_GE(sockets.sent.size(), 3u);
    EXPECT_EQ(sockets.sent[0].bytes, ack(9));
    EXPECT_EQ(sockets.sent[1].bytes, ack(2));
    EXPECT_EQ(sockets.sent[2].type(), 3);
}

TEST_F(BoxExchangeTest, FailuresOfTheExchange) {
    SetWinSockTimeOut(1);
    const auto answering = [&](Bytes bytes) {
        answerWith([bytes](const SentDatagram&) { return std::vector<Bytes>{bytes}; });
    };
    expectFailures(
        {
            {"error datagram", [&] { answering(datagram(5, 0, "")); }, 96,
             "Error packet received: <>"},
            {"not sent", [&] { sockets.sendError = 10065; }, 77, "Error sending message: 10065"},
            {"read failure before sending", [&] { sockets.failRead(10054); }, 78,
             "Error receving message: 10054"},
            {"zero-length read before sending", [&] { sockets.arriveEmpty(); }, 97,
             "WinSocket connection closed: <>"},
            {"read failure while sending",
             [&] {
                 sockets.peer = [&](const SentDatagram& d) {
                     if (d.type() == 3) sockets.failRead(10050);
                 };
             },
             78, "Error receving message: 10050"},
            {"no acknowledgement", [&] { sockets.peer = nullptr; }, 79,
             "WinSocket timeout expired: <>"},
            {"acknowledged, no reply", [&] { box.install(); }, 79,
             "WinSocket timeout expired: <>"},
            {"a datagram longer than the receive buffer",
             [&] { answering(rawDatagram(3, 1, Bytes(131, 'x'))); }, 78,
             "Error receving message: 10040"},
        },
        [&] { return SendCommand("Q", reply); },
        [] { EXPECT_EQ(ChgTerminal(5), 0) << "the terminal stays selectable"; });
}

TEST_F(BoxExchangeTest, WithoutAnAcknowledgementTheCommandIsSentUdpTriesTimes) {
    SetWinSockTimeOut(4);
    sockets.peer = nullptr;
    const uint32_t start = platform::tickCountMs();
    EXPECT_EQ(PostCommand("P"), -1);
    EXPECT_GE(msSince(start), 4000u);
    EXPECT_EQ(errorText(), "WinSocket timeout expired: <>");
    EXPECT_EQ(commandsSent().size(), 2u);
}

TEST_F(BoxExchangeTest, TheReplyWaitIsWinSockTimeout) {
    SetWinSockTimeOut(1);
    const uint32_t start = platform::tickCountMs();
    EXPECT_EQ(SendCommand("Q", reply), -1) << "acknowledged, never answered";
    EXPECT_GE(msSince(start), 1000u);
    EXPECT_LT(msSince(start), 2000u + 1500u) << "not the 10 s of ResponseTimeout";
    EXPECT_EQ(errorCode(), 79);
}

TEST_F(BoxExchangeTest, PostCommandAcknowledgesTerminalDataAndSendsAgain) {
    int sends = 0;
    answerWith([&](const SentDatagram& d) {
        if (++sends == 1) return std::vector<Bytes>{box.replyDatagram(5, "unasked")};
        return std::vector<Bytes>{ack(d.sequence())};
    });
    ASSERT_EQ(PostCommand("P"), 0) << errorText();
    EXPECT_EQ(sends, 2);
    EXPECT_EQ(acknowledged(), Sequences{1});
    SetWinSockTimeOut(1);
    EXPECT_EQ(GetMsgEx(reply), -1) << "the reply PostCommand took is not delivered later";
    answerWith([](const SentDatagram&) { return std::vector<Bytes>{datagram(5, 0, "")}; });
    EXPECT_EQ(PostCommand("P"), -1);
    EXPECT_EQ(errorCode(), 96);
}

TEST_F(BoxExchangeTest, RepliesAreBoundedByTheReplyLineAndTheDatagram) {
    const struct {
        const char* name;
        Bytes datagram;
        int32_t result, error;
        std::string text;
    } cases[] = {
        {"127 characters", datagram(3, 1, "\x05" + std::string(127, 'r')), 0, 0,
         std::string(127, 'r')},
        {"128 characters", datagram(3, 2, "\x05" + std::string(128, 'r')), -1, 93, ""},
        {"no zero byte: the datagram's end", rawDatagram(3, 3, Bytes{5, 'O', 'K'}), 0, 0, "OK"},
        {"a zero inside", rawDatagram(3, 4, Bytes{5, 'O', 'K', 0, 'X', 'Y', 0}), 0, 0, "OK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sockets.arrive(datagram(3, 100, "\x05" + std::string(120, 'z')));  // an earlier, longer one
        ASSERT_EQ(GetMsgEx(reply), 0);
        sockets.arrive(rawDatagram(3, 101, {}));  // a header alone: an empty payload
        sockets.arrive(Bytes{3, 0});              // too short for a header: passed over
        sockets.arrive(c.datagram);
        EXPECT_EQ(GetMsgEx(reply), c.result);
        EXPECT_EQ(errorCode(), c.error);
        if (c.result == 0) {
            EXPECT_EQ(std::string(reply), c.text);
        }
    }
}

TEST_F(BoxExchangeTest, OnOneTerminalDirectlyTheLastCharacterIsRemoved) {
    ExitCOMM();
    selectBox("V2.1 C1");
    ASSERT_EQ(ChgTerminal(0), 0);
    const struct {
        Bytes datagram;
        std::string text;
    } cases[] = {
        {datagram(3, 1, "OK\r"), "OK"},
        {rawDatagram(3, 2, Bytes{'O', 'K', '\r'}), "OK"},
        {datagram(3, 3, ""), ""},
        {datagram(3, 4, std::string(127, 'r') + "\r"), std::string(127, 'r')},
    };
    for (const auto& c : cases) {
        sockets.arrive(c.datagram);
        ASSERT_EQ(GetMsgEx(reply), 0) << errorText();
        EXPECT_EQ(std::string(reply), c.text);
    }
}

TEST_F(BoxExchangeTest, EncipheredTrafficMatchesTheCiphersWorkedVectorBothWays) {
    // The worked vector of terminal 5's "%XI" ("\x05%XI") at 1234567 with the default key.
    const Bytes vector{0x2A, 0xFE, 0xD9, 0x3C, 0xF2, 0x07, 0x75, 0x96, 0x10,
                       0xC2, 0xE7, 0x80, 0xF3, 0x1A, 0x21, 0x13, 0xED, 0x83};
    CryptMessages(1);
    kavex::fixCipherTime(1234567);
    answerWith([&](const SentDatagram& d) {
        return std::vector<Bytes>{ack(d.sequence()), rawDatagram(11, 7, vector)};
    });
    ASSERT_EQ(SendCommand("%XI", reply), 0) << errorText();
    EXPECT_EQ(sockets.sent[0].bytes, rawDatagram(11, 1, vector));
    EXPECT_STREQ(reply, "%XI") << "the reply deciphered, its terminal number checked";
    EXPECT_EQ(acknowledged(), Sequences{7}) << "acknowledgements are plain";

    CryptMessages(0);
    answerWith([&](const SentDatagram& d) {
        return std::vector<Bytes>{ack(d.sequence()), rawDatagram(11, 8, vector)};
    });
    ASSERT_EQ(SendCommand("%XI", reply), 0) << errorText();
    EXPECT_EQ(commandsSent().back().type(), 3) << "plain while CryptMessages is off";
    EXPECT_STREQ(reply, "%XI") << "received cipher is deciphered whatever the switches";
}

TEST_F(BoxExchangeTest, AnEncipheredReplyWithZeroBytesInItsBlocksIsReadWhole) {
    // A time whose payload holds a zero byte inside its cipher blocks.
    const std::string text = "\x05" "@TIME 120000";
    int64_t seconds = 0;
    Bytes payload;
    for (;; ++seconds) {
        payload = kavex::encipherWithKey(text, kavex::kDefaultCipherKey, seconds);
        if (std::find(payload.begin(), payload.end() - 2, 0) != payload.end() - 2) break;
    }
    Bytes followedByZero = payload;
    followedByZero.push_back(0);
    const struct {
        const char* name;
        Bytes datagram;
        bool delivered;
    } cases[] = {
        {"as it is", rawDatagram(11, 1, payload), true},
        {"with a zero after it", rawDatagram(11, 2, followedByZero), true},
        {"an odd length", rawDatagram(11, 3, Bytes{1, 2, 3, 4, 5, 6, 7}), false},
        {"selectors alone", rawDatagram(11, 4, Bytes{9, 9}), false},
    };
    SetWinSockTimeOut(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sockets.arrive(c.datagram);
        if (c.delivered) {
            ASSERT_EQ(GetMsgEx(reply), 0) << errorText();
            EXPECT_STREQ(reply, "@TIME 120000");
        } else {
            EXPECT_EQ(GetMsgEx(reply), -1) << "garbage from no terminal is passed over";
            EXPECT_EQ(errorCode(), 79);
        }
    }
}

TEST_F(BoxExchangeTest, GetResponseReadsSevenTimesWithoutWaiting) {
    const uint32_t start = platform::tickCountMs();
    EXPECT_EQ(GetResponse(reply), -1);
    EXPECT_EQ(errorText(), "WinSocket timeout expired: <>");
    EXPECT_LT(msSince(start), 500u) << "nothing waiting is not waited for";

    const struct {
        size_t ignored;
        int32_t result;
    } cases[] = {{6, 0}, {7, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ignored);
        for (size_t i = 0; i < c.ignored; ++i) sockets.arrive(datagram(6, 0, "not for the terminal"));
        sockets.arrive(box.replyDatagram(5, "WAITING"));
        EXPECT_EQ(GetResponse(reply), c.result);
        if (c.result == 0) {
            EXPECT_STREQ(reply, "WAITING");
        }
        while (sockets.waiting() > 0) GetResponse(reply);
    }
    sockets.arrive(datagram(5, 0, ""));
    EXPECT_EQ(GetResponse(reply), -1);
    EXPECT_EQ(errorCode(), 96);
}

TEST_F(BoxExchangeTest, SetTerminalBehindTheBoxSendsEotUntilItComesBackThenIdentifies) {
    box.replies["\x04"] = "\x04";
    box.replies["%XI"] = "Kestrum 3.1";
    ASSERT_EQ(SetTerminal(5), 0) << errorText();
    EXPECT_EQ(box.terminalCommands, (std::vector<std::string>{"\x04", "%XI"}));
    EXPECT_EQ(commandsSent()[0].bytes, (Bytes{3, 0, 1, 0, 5, 4, 0}));

    box.terminalCommands.clear();
    int eots = 0;
    box.replies.erase("\x04");
    sockets.peer = [&](const SentDatagram& d) {
        if (d.type() != 3) return;
        sockets.arrive(ack(d.sequence()));
        const std::string command = d.text().substr(1);
        if (command == "\x04") {
            sockets.arrive(box.replyDatagram(5, ++eots < 3 ? "??" : "\x04"));
        } else if (command == "%XI") {
            sockets.arrive(box.replyDatagram(5, "Ovrid 2"));
        }
    };
    ASSERT_EQ(SetTerminal(5), 0) << errorText();
    EXPECT_EQ(eots, 3) << "EOT again while the answer is something else";

    box.install();
    box.replies = {{"%XI", "Dorva+"}};
    ASSERT_EQ(SetTerminal(7), 0) << "a terminal that does not answer EOT still gets identified";
    EXPECT_EQ(box.terminalCommands.back(), "%XI");
    box.replies.clear();
    SetWinSockTimeOut(1);
    EXPECT_EQ(SetTerminal(7), -2) << "not identified";
}

TEST_F(BoxExchangeTest, ATerminalThatNeverAnswersEotWithEotGetsABoundedNumberOfThem) {
    int eots = 0;
    sockets.peer = [&](const SentDatagram& d) {
        if (d.type() != 3) return;
        sockets.arrive(ack(d.sequence()));
        const std::string command = d.text().substr(1);
        if (command == "\x04") sockets.arrive(box.replyDatagram(5, "BUSY " + std::to_string(++eots)));
        if (command == "%XI") sockets.arrive(box.replyDatagram(5, "Pello"));
    };
    ASSERT_EQ(SetTerminal(5), 0) << errorText();
    EXPECT_EQ(eots, 100);
}

TEST_F(BoxExchangeTest, TheBoxsSerialSideDecidesTheTerminalNumbers) {
    const struct {
        const char* status;
        int32_t refused, accepted;
    } sides[] = {{"V2.1 C3", 0, 254}, {"V2.1 C1", 1, 0}};
    for (const auto& side : sides) {
        SCOPED_TRACE(side.status);
        ExitCOMM();
        selectBox(side.status);
        box.replies = {{"\x04", "\x04"}, {"%XI", "Tirel"}};
        box.multiDrop = std::string(side.status).find("C3") != std::string::npos;
        EXPECT_EQ(SetTerminal(side.refused), -1);
        EXPECT_EQ(errorText(), "Wrong parameters: <>");
        EXPECT_EQ(PostCommand("P"), -1) << "no terminal is left selected";
        EXPECT_EQ(errorCode(), 4);
        EXPECT_EQ(ChgTerminal(side.refused), -1);
        EXPECT_EQ(errorCode(), 3);
        EXPECT_EQ(SetTerminal(side.accepted), 0) << errorText();
    }
}

TEST_F(BoxExchangeTest, WithoutASelectedBoxNoTerminalCanBeSelected) {
    ExitCOMM();
    open();
    const struct {
        const char* name;
        std::function<int32_t()> select;
    } selections[] = {{"SetTerminal", [] { return SetTerminal(1); }},
                      {"ChgTerminal", [] { return ChgTerminal(1); }}};
    for (const auto& s : selections) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.select(), -1);
        EXPECT_EQ(errorCode(), 91);
        EXPECT_EQ(errorText(), "No selected Lanbrick: <>");
        EXPECT_EQ(PostCommand("P"), -1);
        EXPECT_EQ(errorCode(), 4);
    }
    EXPECT_TRUE(sockets.sent.empty());
}

}  // namespace
}  // namespace kavex_test
