#include "network_box_fixture.h"

#include "cipher.h"
#include "platform/clock.h"

namespace kavex_test {

ScriptedBox::ScriptedBox(ScriptedSockets& sockets) : sockets_(sockets) { install(); }

void ScriptedBox::install() {
    sockets_.peer = [this](const SentDatagram& datagram) { take(datagram); };
}

Bytes ScriptedBox::replyDatagram(uint8_t terminal, const std::string& line) {
    ++replySequence;
    const std::string text = multiDrop ? std::string(1, static_cast<char>(terminal)) + line
                                       : line + "\r";
    if (!encipherReplies) return datagram(3, replySequence, text);
    return rawDatagram(11, replySequence,
                       kavex::encipherWithKey(text, kavex::kDefaultCipherKey, cipherSeconds));
}

void ScriptedBox::take(const SentDatagram& sent) {
    const Bytes payload = sent.payload();
    const bool enciphered = sent.type() == 11 || sent.type() == 14;
    const std::string text =
        enciphered ? kavex::decipherWholePayload(payload.data(), payload.size(),
                                                 kavex::kDefaultCipherKey)
                   : sent.text();
    if (sent.type() == 6 || sent.type() == 14) {
        boxCommands.push_back(text);
        if (text == "X") {
            if (!status.empty()) sockets_.arrive(datagram(6, sent.sequence(), status), 0, address);
        } else if (acknowledgeCommands) {
            sockets_.arrive(ack(sent.sequence()), 0, address);
        }
        return;
    }
    if (sent.type() != 3 && sent.type() != 11) return;
    const uint8_t terminal = multiDrop && !text.empty() ? static_cast<uint8_t>(text[0]) : 0;
    std::string command = multiDrop && !text.empty() ? text.substr(1) : text;
    if (!multiDrop && !command.empty() && command.back() == '\r') command.pop_back();
    terminalCommands.push_back(command);
    if (acknowledgeData) sockets_.arrive(ack(sent.sequence()), 0, address);
    const auto found = replies.find(command);
    if (found != replies.end()) sockets_.arrive(replyDatagram(terminal, found->second), 0, address);
}

void NetworkBoxTest::TearDown() {
    ExitCOMM();
    CryptMessages(0);
    CryptLbxCmds(0);
    SetWinSockTimeOut(7);
    EnableMeter(0);
    SetMeterCallback(nullptr, nullptr);
    kavex::fixCipherTime(std::nullopt);
    kavex::loadDefaultCipherKey();
    EXPECT_EQ(sockets.loaded, 0) << "the socket library is unloaded with the device";
}

void NetworkBoxTest::open() {
    ASSERT_EQ(InitCOMM(kBoxPort, 6, 0, 0), kBoxPort) << errorText();
    ASSERT_EQ(ChangeAdapter("0.0.0.0"), 0) << errorText();
}

void NetworkBoxTest::selectBox(const std::string& status) {
    open();
    box.install();
    box.status = status;
    ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << errorText();
    sockets.sent.clear();
    box.boxCommands.clear();
}

void NetworkBoxTest::selectTerminalFive() {
    selectBox("V2.1 C3");
    ASSERT_EQ(ChgTerminal(5), 0) << errorText();
}

void NetworkBoxTest::expectFailures(const std::vector<FailureCase>& cases,
                                    const std::function<int32_t()>& call,
                                    const std::function<void()>& after) {
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        c.fault();
        EXPECT_EQ(call(), -1);
        EXPECT_EQ(errorCode(), c.error);
        EXPECT_EQ(errorText(), c.text);
        if (after) after();
    }
}

uint32_t NetworkBoxTest::msSince(uint32_t start) { return platform::tickCountMs() - start; }

std::vector<uint16_t> NetworkBoxTest::acknowledged() const {
    std::vector<uint16_t> sequences;
    for (const SentDatagram& d : sockets.sent) {
        if (d.type() == 4) {
            EXPECT_EQ(d.bytes.size(), 5u) << "an acknowledgement carries one zero byte";
            sequences.push_back(d.sequence());
        }
    }
    return sequences;
}

std::vector<SentDatagram> NetworkBoxTest::commandsSent() const {
    std::vector<SentDatagram> commands;
    for (const SentDatagram& d : sockets.sent) {
        if (d.type() != 4) commands.push_back(d);
    }
    return commands;
}

}  // namespace kavex_test
