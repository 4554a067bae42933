// The network box transport: opening and closing, the datagram reading shared by every exchange,
// acknowledgements, and the terminal exchange (SendCommand, PostCommand, the reply waits).
#include "network_box_transport.h"

#include <algorithm>

#include "cipher.h"
#include "errors.h"
#include "library_state.h"
#include "platform/clock.h"

namespace kavex {
namespace {

constexpr uint32_t kAckPauseMs = 4;
constexpr uint32_t kIdlePauseMs = 1;
constexpr int kTakeReplyReads = 7;
constexpr char kCarriageReturn = '\r';

bool among(std::initializer_list<uint16_t> types, uint16_t type) {
    return std::find(types.begin(), types.end(), type) != types.end();
}

// A failed acknowledgement is no error of the exchange that sends it, nor is the read that ends
// the followers: both leave the error as it was.
class KeptError {
public:
    KeptError() : code_(state().lastError), text_(state().errorText) {}
    ~KeptError() {
        state().lastError = code_;
        state().errorText = text_;
    }

private:
    int32_t code_;
    std::string text_;
};

}  // namespace

std::unique_ptr<NetworkBoxTransport> NetworkBoxTransport::open(uint16_t port) {
    std::unique_ptr<UdpSocket> socket = UdpSocket::start();
    if (!socket) return nullptr;
    AdapterTable adapters;
    if (enumerateAdapters(socket->api(), adapters) != 0) {
        socket->cleanup();
        return nullptr;
    }
    return std::make_unique<NetworkBoxTransport>(std::move(socket), std::move(adapters), port);
}

NetworkBoxTransport::NetworkBoxTransport(std::unique_ptr<UdpSocket> socket, AdapterTable adapters,
                                         uint16_t port)
    : socket_(std::move(socket)),
      adapters_(std::move(adapters)),
      localPort_(port),
      remotePort_(port),
      destination_(socketAddress(0, port)) {}

int NetworkBoxTransport::close() {
    if (!socket_->isOpen()) return 0;
    socket_->closeSocket();
    if (!socket_->cleanup()) {
        setErrorWithNumber(ErrCloseWinSock, socket_->lastError());
        return -1;
    }
    return 0;
}

void NetworkBoxTransport::setRemotePort(uint16_t port) {
    remotePort_ = port;
    destination_.sin_port = htons(port);
}

Received NetworkBoxTransport::receive(Datagram& datagram) {
    sockaddr_in from{};
    const Received received = socket_->receive(datagram, from);
    if (received == Received::Datagram) destination_ = from;
    return received;
}

NetworkBoxTransport::Outcome NetworkBoxTransport::readFor(uint32_t startMs, uint32_t limitMs,
                                                          const Handler& handle,
                                                          const std::function<void()>& idle) {
    for (;;) {
        Datagram datagram;
        switch (receive(datagram)) {
            case Received::Failed: return Outcome::Failed;
            case Received::Nothing:
                if (idle) idle();
                platform::sleepMs(kIdlePauseMs);
                break;
            case Received::Datagram:
                switch (handle(datagram)) {
                    case Verdict::Keep: break;
                    case Verdict::EndReading: return Outcome::Ended;
                    case Verdict::Succeed: return Outcome::Succeeded;
                    case Verdict::Fail: return Outcome::Failed;
                }
                break;
        }
        if (platform::tickCountMs() - startMs > limitMs) return Outcome::TimedOut;
    }
}

void NetworkBoxTransport::acknowledge(uint16_t sequence) {
    const KeptError kept;
    platform::sleepMs(kAckPauseMs);
    if (socket_->sendTo(plainDatagram(kAckPacket, sequence, {}), destination_) == 0) {
        platform::sleepMs(kAckPauseMs);
    }
}

void NetworkBoxTransport::acknowledgeArrival(const Datagram& datagram) {
    if (datagram.type == kInitPacket) lastReplySeq_ = 0;
    acknowledge(datagram.sequence);
}

NetworkBoxTransport::Verdict NetworkBoxTransport::errorPacketReceived() {
    setError(ErrErrorPacket);
    return Verdict::Fail;
}

void NetworkBoxTransport::acknowledgeFollowers() {
    const KeptError kept;
    Datagram datagram;
    while (receive(datagram) == Received::Datagram) acknowledge(datagram.sequence);
}

Received NetworkBoxTransport::takeWaiting(std::initializer_list<uint16_t> acknowledged,
                                          std::initializer_list<uint16_t> resetting) {
    Datagram datagram;
    const Received received = receive(datagram);
    if (received != Received::Datagram) return received;
    if (among(acknowledged, datagram.type)) {
        if (among(resetting, datagram.type)) lastReplySeq_ = 0;
        acknowledge(datagram.sequence);
        acknowledgeFollowers();
    }
    return received;
}

bool NetworkBoxTransport::acceptReply(const Datagram& datagram, std::string& text) {
    if (datagram.sequence == lastReplySeq_) return false;
    if (boxSerialMode_ == kMultiDrop) {
        if (datagram.text.empty() ||
            static_cast<uint8_t>(datagram.text[0]) != state().selectedTerminal) {
            return false;
        }
        text = datagram.text.substr(1);
    } else {
        text = datagram.text;
        if (!text.empty()) text.pop_back();  // the terminal's carriage return
    }
    lastReplySeq_ = datagram.sequence;
    return true;
}

NetworkBoxTransport::Verdict NetworkBoxTransport::replyRule(const Datagram& datagram,
                                                            std::string& text) {
    if (datagram.type == kInitPacket) {
        acknowledgeArrival(datagram);
        return Verdict::Keep;
    }
    if (isTerminalData(datagram.type)) {
        acknowledge(datagram.sequence);
        return acceptReply(datagram, text) ? Verdict::Succeed : Verdict::Keep;
    }
    if (datagram.type == kErrorPacket) return errorPacketReceived();
    platform::sleepMs(kIdlePauseMs);
    return Verdict::Keep;
}

int NetworkBoxTransport::deliver(const std::string& text, char* line) {
    if (text.size() >= kReplyCapacity) {
        setError(ErrRecordOverflow);
        return -1;
    }
    copyText(line, kReplyCapacity, text);
    return 0;
}

int NetworkBoxTransport::sendToBox(const std::vector<uint8_t>& bytes) {
    destination_.sin_addr.s_addr = boxAddressValue_;
    return socket_->sendTo(bytes, destination_);
}

int NetworkBoxTransport::sendWithTries(const std::vector<uint8_t>& bytes, const Handler& handle) {
    const LibraryState& s = state();
    for (int32_t attempt = 0; attempt < s.udpTries; ++attempt) {
        if (sendToBox(bytes) != 0) return -1;
        const Outcome outcome =
            readFor(platform::tickCountMs(), static_cast<uint32_t>(s.udpTryTime), handle);
        if (outcome == Outcome::Succeeded) return 0;
        if (outcome == Outcome::Failed) return -1;
    }
    setError(ErrWinSockTimeout);
    return -1;
}

std::vector<uint8_t> NetworkBoxTransport::terminalDatagram(const std::string& command) const {
    const std::string text = boxSerialMode_ == kMultiDrop
                                 ? static_cast<char>(state().selectedTerminal) + command
                                 : command + kCarriageReturn;
    return textDatagram(kDataPacket, kCipherDataPacket, sendSeq_, text,
                        cipherState().cryptMessages);
}

std::vector<uint8_t> NetworkBoxTransport::boxCommandDatagram(const std::string& command) const {
    return textDatagram(kBoxCommandPacket, kCipherBoxCommandPacket, sendSeq_, command,
                        cipherState().cryptLbxCmds);
}

// The datagram exchange of SendCommand: the reply may come back before the acknowledgement.
SendResult NetworkBoxTransport::send(const std::string& command, char* reply) {
    ++sendSeq_;
    if (takeWaiting({kInitPacket, kDataPacket, kCipherDataPacket},
                    {kDataPacket, kCipherDataPacket}) == Received::Failed) {
        return SendResult::Failed;
    }
    const std::vector<uint8_t> datagram = terminalDatagram(command);
    std::string text;
    bool delivered = false;
    const int sent = sendWithTries(datagram, [&](const Datagram& d) {
        if (d.type == kAckPacket) return d.sequence == sendSeq_ ? Verdict::Succeed : Verdict::Keep;
        if (d.type == kInitPacket) {
            // The box restarted: the command is sent again, and an init datagram is no reply.
            acknowledgeArrival(d);
            return Verdict::EndReading;
        }
        if (isTerminalData(d.type)) {
            acknowledge(d.sequence);
            delivered = acceptReply(d, text);
            return delivered ? Verdict::Succeed : Verdict::EndReading;
        }
        if (d.type == kErrorPacket) return errorPacketReceived();
        platform::sleepMs(kIdlePauseMs);
        return Verdict::Keep;
    });
    if (sent != 0) return SendResult::Failed;
    if (!delivered) return SendResult::Sent;
    return deliver(text, reply) == 0 ? SendResult::ReplyDelivered : SendResult::Failed;
}

int NetworkBoxTransport::post(const std::string& command) {
    ++sendSeq_;
    return sendWithTries(terminalDatagram(command), [&](const Datagram& d) {
        if (d.type == kAckPacket) return d.sequence == sendSeq_ ? Verdict::Succeed : Verdict::Keep;
        if (d.type == kInitPacket || isTerminalData(d.type)) {
            acknowledgeArrival(d);
            return Verdict::EndReading;
        }
        if (d.type == kErrorPacket) return errorPacketReceived();
        platform::sleepMs(kIdlePauseMs);
        return Verdict::Keep;
    });
}

int NetworkBoxTransport::readLine(char* line, uint32_t timeLimitMs) {
    std::string text;
    const Outcome outcome = readFor(platform::tickCountMs(), timeLimitMs,
                                    [&](const Datagram& d) { return replyRule(d, text); });
    if (outcome == Outcome::Succeeded) return deliver(text, line);
    if (outcome == Outcome::TimedOut) setError(ErrWinSockTimeout);
    return -1;
}

int NetworkBoxTransport::takeReply(char* reply) {
    for (int read = 0; read < kTakeReplyReads; ++read) {
        Datagram datagram;
        const Received received = receive(datagram);
        if (received == Received::Failed) return -1;
        if (received == Received::Nothing) continue;
        std::string text;
        const Verdict verdict = replyRule(datagram, text);
        if (verdict == Verdict::Succeed) return deliver(text, reply);
        if (verdict == Verdict::Fail) return -1;
    }
    setError(ErrWinSockTimeout);
    return -1;
}

}  // namespace kavex
