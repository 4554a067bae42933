// Transport of mode 6: the terminals behind a network box, reached with UDP datagrams. Keeps the
// link state: the socket, the ports, the box's address and serial side, the destination of the
// datagrams, the sequence numbers and the local adapters. The terminal exchange is in
// network_box_transport.cpp, the box's selection in box_selection.cpp and the commands to the
// box itself in box_commands.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapters.h"
#include "datagram.h"
#include "transport.h"
#include "udp_socket.h"

namespace kavex {

class NetworkBoxTransport final : public Transport {
public:
    // BoxSerialMode: how the box's serial side is used.
    static constexpr uint8_t kMultiDrop = 1;       // addressed terminals 1-254
    static constexpr uint8_t kSingleTerminal = 3;  // terminal 0 directly
    static constexpr uint8_t kNoBox = 255;         // no box selected yet

    // Loads and starts the socket library and lists the local adapters, with `port` as both the
    // local and the remote port; nullptr with LastError set (71, 7, 72, 73; 6, 8, 9, 32, 33, 34).
    static std::unique_ptr<NetworkBoxTransport> open(uint16_t port);

    NetworkBoxTransport(std::unique_ptr<UdpSocket> socket, AdapterTable adapters, uint16_t port);

    SendResult send(const std::string& command, char* reply) override;
    int post(const std::string& command) override;
    int readLine(char* line, uint32_t timeLimitMs) override;
    int takeReply(char* reply) override;
    int close() override;
    NetworkBoxTransport* networkBox() override { return this; }

    // SetIPAddress after its device checks: selects the box at `address` with the status
    // exchange; 0, or -1 with LastError set.
    int selectBox(const std::string& address);
    // LbxCommand after its checks: `answer` holds KAVEX_LBX_ANSWER_SIZE bytes, already emptied.
    int boxCommand(const std::string& command, char* answer);
    // LbxReset after its checks.
    int resetBox();

    void setRemotePort(uint16_t port);
    AdapterTable& adapters() { return adapters_; }
    uint8_t boxSerialMode() const { return boxSerialMode_; }
    // SetTerminal and ChgTerminal: the next reply is new whatever its sequence number.
    void forgetLastReply() {
        lastReplySeq_ = kNoReplySeq;
        held_.reset();
    }

private:
    static constexpr uint16_t kNoReplySeq = 0xFFFF;

    // What a handler of received datagrams decides.
    enum class Verdict { Keep, EndReading, Succeed, Fail };
    // How a reading ended.
    enum class Outcome { Succeeded, Failed, Ended, TimedOut };
    using Handler = std::function<Verdict(const Datagram&)>;

    // Reads one datagram; its sender becomes the destination.
    Received receive(Datagram& datagram);
    // Reads until `handle` decides or `limitMs` passed since `startMs`; pauses 1 ms whenever
    // nothing is waiting, after calling `idle`.
    Outcome readFor(uint32_t startMs, uint32_t limitMs, const Handler& handle,
                    const std::function<void()>& idle = {});
    // Acknowledges `sequence` to the destination, with the 4 ms pauses.
    void acknowledge(uint16_t sequence);
    // Acknowledges a datagram; an init datagram also makes LastReplySeq 0.
    void acknowledgeArrival(const Datagram& datagram);
    // The box refused: error 96.
    static Verdict errorPacketReceived();
    // Acknowledges every datagram waiting right now, whatever its type.
    void acknowledgeFollowers();
    // Takes one datagram already waiting; when its type is in `acknowledged`, acknowledges it and
    // those right behind it, and LastReplySeq becomes 0 when its type is in `resetting`.
    // Received::Failed with LastError set on a read failure.
    Received takeWaiting(std::initializer_list<uint16_t> acknowledged,
                         std::initializer_list<uint16_t> resetting);
    // SetIPAddress's flush before the status request: 0, or -1 with LastError set.
    int flushWaiting(uint32_t tryStartMs);
    // The reply rules for terminal data: false for a repeat or another terminal's reply;
    // otherwise the reply text and LastReplySeq takes the datagram's number.
    bool acceptReply(const Datagram& datagram, std::string& text);
    // The receive rules of a reply wait, for one datagram.
    Verdict replyRule(const Datagram& datagram, std::string& text);
    // The receive rules of readLine: as replyRule, except that a reply which overtook one still
    // missing is held (EndReading) until the one it overtook has been delivered.
    Verdict orderedReplyRule(const Datagram& datagram, std::string& text);
    // The terminal's text in a data datagram; false for another terminal's reply.
    bool replyText(const Datagram& datagram, std::string& text) const;
    // Delivers the held reply: LastReplySeq takes its number.
    std::string takeHeld();
    // Copies a delivered reply to `line`; error 93 for one longer than a reply line.
    static int deliver(const std::string& text, char* line);
    // Sends `bytes` to the box's address at the destination's port; 0, or -1 with 77 set.
    int sendToBox(const std::vector<uint8_t>& bytes);
    // Sends `bytes` up to UdpTries times, each followed by UdpTryTime of reading with `handle`;
    // 0, -1 with LastError set, or -1 with 79 after the last try.
    int sendWithTries(const std::vector<uint8_t>& bytes, const Handler& handle);
    std::vector<uint8_t> terminalDatagram(const std::string& command) const;
    std::vector<uint8_t> boxCommandDatagram(const std::string& command) const;
    // "%": sends to the current destination, applies the pending settings and waits.
    int applySettings(const std::vector<uint8_t>& datagram, char* answer);

    std::unique_ptr<UdpSocket> socket_;
    AdapterTable adapters_;
    uint16_t localPort_;
    uint16_t remotePort_;
    std::string boxAddress_;
    uint32_t boxAddressValue_ = 0;  // network order
    sockaddr_in destination_{};
    uint8_t boxSerialMode_ = kNoBox;
    uint8_t pendingSerialMode_ = kNoBox;
    uint32_t pendingBoxAddress_ = 0;  // network order
    uint8_t sendSeq_ = 0;
    uint16_t lastReplySeq_ = 0;
    // Datagrams may arrive out of order, and a record out of its place leaves the count and the
    // sum of a transfer's end line right: a reply numbered a little ahead of the next one waits
    // here, for at most a moment, so that the one it overtook goes first.
    struct HeldReply {
        uint16_t sequence = 0;
        std::string text;
    };
    std::optional<HeldReply> held_;
};

}  // namespace kavex
