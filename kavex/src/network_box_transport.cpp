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
// How long a reply that overtook another waits for it; datagrams overtaking each other on the
// way arrive close together.
constexpr uint32_t kHoldMs = 100;
// A reply this many numbers ahead of the last one, or fewer, has overtaken the ones between.
constexpr uint16_t kReorderWindow = 8;
constexpr uint16_t kUnknownSeq = 0xFFFF;  // LastReplySeq after SetTerminal

// The box numbers its replies 1 to 255 and then 1 again; 0 after 255 is taken as next too.
bool follows(uint16_t last, uint16_t sequence) {
    return sequence == static_cast<uint16_t>(last + 1) || (last == 255 && sequence <= 1);
}

// Whether `sequence` is a few numbers past the one after `last`. Nothing is known after a
// restart or a new terminal (`last` 0 or unknown): then every reply is taken as it comes.
bool overtook(uint16_t last, uint16_t sequence) {
    if (last == 0 || last == kUnknownSeq || follows(last, sequence)) return false;
    const auto ahead = static_cast<uint16_t>((sequence - last) & 0xFF);
    return ahead >= 2 && ahead <= kReorderWindow;
}

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

bool NetworkBoxTransport::replyText(const Datagram& datagram, std::string& text) const {
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
    return true;
}

bool NetworkBoxTransport::acceptReply(const Datagram& datagram, std::string& text) {
    if (datagram.sequence == lastReplySeq_ || !replyText(datagram, text)) return false;
    lastReplySeq_ = datagram.sequence;
    return true;
}

std::string NetworkBoxTransport::takeHeld() {
    lastReplySeq_ = held_->sequence;
    std::string text = std::move(held_->text);
    held_.reset();
    return text;
}

NetworkBoxTransport::Verdict NetworkBoxTransport::orderedReplyRule(const Datagram& datagram,
                                                                   std::string& text) {
    if (!isTerminalData(datagram.type)) return replyRule(datagram, text);
    acknowledge(datagram.sequence);
    std::string arrived;
    const bool repeat = datagram.sequence == lastReplySeq_ ||
                        (held_ && datagram.sequence == held_->sequence);
    if (repeat || !replyText(datagram, arrived)) return Verdict::Keep;
    if (!held_) {
        if (overtook(lastReplySeq_, datagram.sequence)) {
            held_ = HeldReply{.sequence = datagram.sequence, .text = std::move(arrived)};
            return Verdict::EndReading;
        }
        lastReplySeq_ = datagram.sequence;
        text = std::move(arrived);
        return Verdict::Succeed;
    }
    // Holding: the older of the two goes first, the other is held.
    const auto distance = [this](uint16_t sequence) { return (sequence - lastReplySeq_) & 0xFF; };
    if (follows(lastReplySeq_, datagram.sequence) || distance(datagram.sequence) < distance(held_->sequence)) {
        lastReplySeq_ = datagram.sequence;
        text = std::move(arrived);
        return Verdict::Succeed;
    }
    text = takeHeld();
    held_ = HeldReply{.sequence = datagram.sequence, .text = std::move(arrived)};
    return Verdict::Succeed;
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
    held_.reset();  // a new command: what the terminal sent before is no reply to it
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
    held_.reset();
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
    if (held_ && follows(lastReplySeq_, held_->sequence)) return deliver(takeHeld(), line);
    const uint32_t startMs = platform::tickCountMs();
    std::string text;
    for (;;) {
        const uint32_t elapsed = platform::tickCountMs() - startMs;
        const uint32_t left = elapsed < timeLimitMs ? timeLimitMs - elapsed : 0;
        const Outcome outcome =
            readFor(platform::tickCountMs(), held_ ? std::min(left, kHoldMs) : left,
                    [&](const Datagram& d) { return orderedReplyRule(d, text); });
        switch (outcome) {
            case Outcome::Succeeded: return deliver(text, line);
            case Outcome::Failed: return -1;
            case Outcome::Ended: break;  // a reply is held: read on for the one it overtook
            case Outcome::TimedOut:
                // The reply overtaken never came: the held one is the next there is.
                if (held_) return deliver(takeHeld(), line);
                setError(ErrWinSockTimeout);
                return -1;
        }
    }
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
