// LbxCommand and LbxReset: the datagrams of box commands, the answers, "%" with its pending
// settings, what arrives meanwhile, the failures and the enciphered commands.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cipher.h"
#include "network_box_fixture.h"
#include "platform/clock.h"

namespace kavex_test {
namespace {

class BoxCommandTest : public NetworkBoxTest {
protected:
    void SetUp() override { selectBox(); }
    // The box answers box commands other than "X" with a type 6 echo instead of acknowledging.
    void echoCommands() {
        sockets.peer = [&](const SentDatagram& d) {
            if (d.type() == 6) sockets.arrive(datagram(6, d.sequence(), d.text()));
        };
    }

    char answer[KAVEX_LBX_ANSWER_SIZE] = {};
};

TEST_F(BoxCommandTest, ACommandIsOneDatagramWithTheNextSequenceNumber) {
    ASSERT_EQ(LbxCommand("M127.0.0.1", answer), 0) << errorText();
    EXPECT_STREQ(answer, "") << "acknowledged: an empty answer";
    ASSERT_EQ(LbxCommand("M127.0.0.1", answer), 0) << errorText();
    ASSERT_EQ(sockets.sent.size(), 2u);
    const std::string text = "M127.0.0.1";
    Bytes first{6, 0, 1, 0};
    first.insert(first.end(), text.begin(), text.end());
    first.push_back(0);
    EXPECT_EQ(sockets.sent[0].bytes, first);
    EXPECT_EQ(sockets.sent[1].sequence(), 2);
    EXPECT_EQ(sockets.sent[0].address, kBoxAddress);
    EXPECT_EQ(sockets.sent[0].port, kBoxPort);
}

TEST_F(BoxCommandTest, TheAnswerIsCopiedAndTheStatusLosesItsLastCharacter) {
    const struct {
        const char* command;
        std::vector<Bytes> answers;  // with the sequence number 1 of the command
        const char* answer;
    } cases[] = {
        {"X", {datagram(6, 1, "V2.1 C3\r")}, "V2.1 C3"},
        {"X", {datagram(6, 1, "")}, ""},
        {"Q", {datagram(6, 1, "HELLO")}, "HELLO"},
        {"Q", {rawDatagram(14, 1, kavex::encipherWithKey("HELLO", kavex::kDefaultCipherKey, 3))},
         "HELLO"},
        {"Q", {ack(7), datagram(6, 1, "LATE")}, "LATE"},
        {"Q", {datagram(2, 0, ""), ack(1)}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        ExitCOMM();
        selectBox();
        sockets.peer = [&](const SentDatagram&) {
            for (const Bytes& b : c.answers) sockets.arrive(b);
        };
        std::strcpy(answer, "old");
        ASSERT_EQ(LbxCommand(c.command, answer), 0) << errorText();
        EXPECT_STREQ(answer, c.answer);
    }
}

TEST_F(BoxCommandTest, TheLongestAnswerFitsItsBuffer) {
    char wide[KAVEX_LBX_ANSWER_SIZE + 8];
    std::memset(wide, '#', sizeof wide);
    sockets.peer = [&](const SentDatagram& d) {
        sockets.arrive(rawDatagram(6, d.sequence(), Bytes(130, 'a')));  // no zero byte
    };
    ASSERT_EQ(LbxCommand("Q", wide), 0) << errorText();
    EXPECT_EQ(std::string(wide), std::string(129, 'a'));
    EXPECT_EQ(wide[KAVEX_LBX_ANSWER_SIZE], '#');
}

TEST_F(BoxCommandTest, TheSerialSideChangesOnlyWhenPercentIsSent) {
    echoCommands();
    ASSERT_EQ(LbxCommand("C1", answer), 0) << errorText();
    EXPECT_STREQ(answer, "C1");
    EXPECT_EQ(ChgTerminal(5), 0) << "still multi-drop";
    box.acknowledgeCommands = true;
    sockets.peer = [&](const SentDatagram& d) {
        if (d.type() == 6) sockets.arrive(ack(d.sequence()));
    };
    ASSERT_EQ(LbxCommand("%", answer), 0) << errorText();
    EXPECT_STREQ(answer, "");
    EXPECT_EQ(ChgTerminal(5), -1);
    EXPECT_EQ(ChgTerminal(0), 0) << "now one terminal directly";

    echoCommands();
    ASSERT_EQ(LbxCommand("C3", answer), 0);
    sockets.peer = [&](const SentDatagram& d) {
        if (d.type() == 6) sockets.arrive(datagram(2, 0, ""));
    };
    ASSERT_EQ(LbxCommand("%", answer), 0) << errorText();
    EXPECT_STREQ(answer, "UDP_INIT") << "the box announced its restart";
    EXPECT_EQ(acknowledged(), std::vector<uint16_t>{0});
    EXPECT_EQ(ChgTerminal(5), 0) << "multi-drop again";
}

TEST_F(BoxCommandTest, PercentGoesToTheCurrentDestinationWhichTakesThePendingAddress) {
    const struct {
        const char* addressCommand;
        const char* secondPercentTo;
    } cases[] = {{"A127.0.0.5", "127.0.0.5"}, {"Anowhere", kBoxAddress}};
    SetWinSockTimeOut(1);  // "%" then waits its shortest, 4 s
    for (const auto& c : cases) {
        SCOPED_TRACE(c.addressCommand);
        ExitCOMM();
        selectBox();
        echoCommands();
        ASSERT_EQ(LbxCommand(c.addressCommand, answer), 0) << errorText();
        sockets.peer = nullptr;  // the first "%" goes unanswered
        sockets.sent.clear();
        EXPECT_EQ(LbxCommand("%", answer), -1);
        EXPECT_EQ(errorCode(), 79);
        sockets.peer = [&](const SentDatagram& d) {
            if (d.type() == 6) sockets.arrive(ack(d.sequence()), 0, d.address);
        };
        ASSERT_EQ(LbxCommand("%", answer), 0) << errorText();
        ASSERT_EQ(sockets.sent.size(), 2u);
        EXPECT_EQ(sockets.sent[0].address, kBoxAddress);
        EXPECT_EQ(sockets.sent[1].address, c.secondPercentTo);
        sockets.sent.clear();
        ASSERT_EQ(LbxCommand("M127.0.0.1", answer), 0);
        EXPECT_EQ(sockets.sent[0].address, kBoxAddress) << "other commands go to the box address";
    }
}

TEST_F(BoxCommandTest, PercentAcknowledgesTerminalDataAndGoesOnWaiting) {
    sockets.peer = [&](const SentDatagram& d) {
        if (d.type() != 6) return;
        sockets.arrive(datagram(3, 8, "\x05" "data"));
        sockets.arrive(datagram(6, 33, "follows at once"));
        sockets.arrive(ack(d.sequence()), 50);
    };
    ASSERT_EQ(LbxCommand("%", answer), 0) << errorText();
    EXPECT_EQ(acknowledged(), (std::vector<uint16_t>{8, 33}));
}

TEST_F(BoxCommandTest, TerminalDataInsteadOfAnAnswerEndsTheCommandWithoutAnError) {
    sockets.peer = [&](const SentDatagram& d) {
        if (d.type() != 6) return;
        sockets.arrive(datagram(3, 4, "\x05" "reply"));
        sockets.arrive(ack(d.sequence()));
    };
    EXPECT_EQ(LbxCommand("Q", answer), -1);
    EXPECT_EQ(errorText(), "None");
    EXPECT_EQ(acknowledged(), (std::vector<uint16_t>{4, 1})) << "with what follows at once";
}

TEST_F(BoxCommandTest, AWaitingDatagramIsTakenBeforeTheCommandIsSent) {
    const struct {
        const char* name;
        std::vector<Bytes> waiting;
        std::vector<uint16_t> acknowledgedFirst;
    } cases[] = {
        {"data and what follows", {datagram(3, 4, "\x05" "a"), datagram(6, 9, "b")}, {4, 9}},
        {"init", {datagram(2, 0, "")}, {0}},
        {"enciphered data is not acknowledged here",
         {rawDatagram(11, 4, kavex::encipherWithKey("\x05" "a", kavex::kDefaultCipherKey, 1))},
         {}},
        {"an answer is dropped", {datagram(6, 9, "stale")}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const Bytes& b : c.waiting) sockets.arrive(b);
        sockets.sent.clear();
        ASSERT_EQ(LbxCommand("M127.0.0.1", answer), 0) << errorText();
        EXPECT_EQ(acknowledged(), c.acknowledgedFirst);
        EXPECT_EQ(sockets.sent.back().type(), 6);
        EXPECT_EQ(sockets.waiting(), 0u);
    }
}

TEST_F(BoxCommandTest, FailuresOfTheExchange) {
    SetWinSockTimeOut(1);
    expectFailures(
        {
            {"error datagram",
             [&] {
                 sockets.peer = [&](const SentDatagram&) { sockets.arrive(datagram(5, 1, "")); };
             },
             96, "Error packet received: <>"},
            {"not sent", [&] { sockets.sendError = 10051; }, 77, "Error sending message: 10051"},
            {"read failure before sending", [&] { sockets.failRead(10040); }, 78,
             "Error receving message: 10040"},
            {"zero-length read", [&] { sockets.arriveEmpty(); }, 97,
             "WinSocket connection closed: <>"},
            {"no answer", [&] { sockets.peer = nullptr; }, 79, "WinSocket timeout expired: <>"},
        },
        [&] { return LbxCommand("Q", answer); });
}

TEST_F(BoxCommandTest, WithoutAnAnswerPercentWaitsFourSecondsAndOthersAreSentUdpTriesTimes) {
    const struct {
        const char* command;
        int32_t seconds;
        size_t sends;
    } cases[] = {{"%", 1, 1}, {"Q", 4, 2}};
    sockets.peer = nullptr;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        SetWinSockTimeOut(c.seconds);
        sockets.sent.clear();
        const uint32_t start = platform::tickCountMs();
        EXPECT_EQ(LbxCommand(c.command, answer), -1);
        EXPECT_GE(msSince(start), 4000u);
        EXPECT_EQ(errorText(), "WinSocket timeout expired: <>");
        ASSERT_EQ(sockets.sent.size(), c.sends);
        EXPECT_EQ(sockets.sent.front().bytes, sockets.sent.back().bytes) << "the same datagram";
    }
}

TEST_F(BoxCommandTest, ArgumentsAreCheckedAndTheAnswerEmptiedFirst) {
    std::strcpy(answer, "old");
    EXPECT_EQ(LbxCommand(std::string(128, 'Q').c_str(), answer), -1);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_STREQ(answer, "");
    ASSERT_EQ(LbxCommand(std::string(127, 'Q').c_str(), answer), 0) << errorText();
    EXPECT_EQ(sockets.sent.back().text(), std::string(127, 'Q'));
}

TEST_F(BoxCommandTest, EncipheredCommandsCarryTheCipherOfTheFixedTime) {
    // The cipher's worked vector of "@TIME" at 1700000000 with the default key.
    const Bytes vector{0xC0, 0x28, 0x3E, 0x4B, 0x7A, 0x8F, 0x9B, 0x04, 0xD7,
                       0x25, 0xAD, 0x06, 0x06, 0x8B, 0xB8, 0x45, 0x08, 0x9E};
    CryptLbxCmds(1);
    kavex::fixCipherTime(1700000000);
    ASSERT_EQ(LbxCommand("@TIME", answer), 0) << errorText();
    EXPECT_EQ(sockets.sent.back().bytes, rawDatagram(14, 1, vector));
    EXPECT_EQ(box.boxCommands.back(), "@TIME");
    // The answer comes back with the worked vector of "ABCDEFGHIJKLMNO" at 0.
    const Bytes answerVector{0x07, 0x2D, 0x62, 0xAB, 0x36, 0x5F, 0xF9, 0x0D, 0x37,
                             0x75, 0x87, 0xB9, 0x9D, 0xBD, 0xD6, 0xF7, 0x46, 0x27};
    CryptLbxCmds(0);
    sockets.peer = [&](const SentDatagram& d) {
        sockets.arrive(rawDatagram(14, d.sequence(), answerVector));
    };
    ASSERT_EQ(LbxCommand("Q", answer), 0) << errorText();
    EXPECT_EQ(sockets.sent.back().type(), 6) << "plain while CryptLbxCmds is off";
    EXPECT_STREQ(answer, "ABCDEFGHIJKLMNO");
}

TEST_F(BoxCommandTest, ResetSendsPercentThreeTimesWithoutReading) {
    box.acknowledgeCommands = false;
    sockets.arrive(datagram(3, 4, "\x05" "waiting"));
    ASSERT_EQ(LbxReset(), 0) << errorText();
    ASSERT_EQ(sockets.sent.size(), 3u);
    for (const SentDatagram& d : sockets.sent) {
        EXPECT_EQ(d.bytes, (Bytes{6, 0, 1, 0, '%', 0}));
        EXPECT_EQ(d.address, kBoxAddress);
    }
    EXPECT_EQ(sockets.waiting(), 1u) << "nothing was read";

    CryptLbxCmds(1);
    kavex::fixCipherTime(5);
    sockets.sent.clear();
    ASSERT_EQ(LbxReset(), 0);
    ASSERT_EQ(sockets.sent.size(), 3u);
    EXPECT_EQ(sockets.sent[0].bytes,
              rawDatagram(14, 2, kavex::encipherWithKey("%", kavex::kDefaultCipherKey, 5)));
    EXPECT_EQ(sockets.sent[2].bytes, sockets.sent[0].bytes);

    sockets.sendError = 10065;
    sockets.sendsBeforeError = 2;
    EXPECT_EQ(LbxReset(), -1);
    EXPECT_EQ(errorText(), "Error sending message: 10065");
}

}  // namespace
}  // namespace kavex_test
