// LbxCommand and LbxReset's work: commands to the network box itself, and "%", which applies the
// pending address and serial side and restarts the box.
#include <algorithm>
#include <string>

#include "errors.h"
#include "kavex.h"
#include "library_state.h"
#include "network_box_transport.h"
#include "platform/clock.h"

namespace kavex {
namespace {

constexpr const char* kApplyAndRestart = "%";
constexpr const char* kStatusRequest = "X";
constexpr uint32_t kShortestRestartWaitMs = 4000;
constexpr int kResetSends = 3;

}  // namespace

int NetworkBoxTransport::boxCommand(const std::string& command, char* answer) {
    ++sendSeq_;
    const std::vector<uint8_t> datagram = boxCommandDatagram(command);
    if (takeWaiting({kInitPacket, kDataPacket}, {kInitPacket}) == Received::Failed) return -1;
    if (command == kApplyAndRestart) return applySettings(datagram, answer);
    return sendWithTries(datagram, [&](const Datagram& d) {
        if (d.type == kInitPacket) {
            acknowledgeArrival(d);
            return Verdict::Keep;
        }
        if (isTerminalData(d.type)) {
            // Terminal data instead of an answer ends the command, with no error code.
            acknowledge(d.sequence);
            acknowledgeFollowers();
            return Verdict::Fail;
        }
        if (d.type == kAckPacket) return d.sequence == sendSeq_ ? Verdict::Succeed : Verdict::Keep;
        if (d.type == kErrorPacket) return errorPacketReceived();
        if (!isBoxAnswer(d.type)) return Verdict::Keep;
        std::string text = d.text;
        if (command == kStatusRequest && !text.empty()) text.pop_back();
        copyText(answer, KAVEX_LBX_ANSWER_SIZE, text);
        if (command.find('A') != std::string::npos) {
            // An address that does not convert leaves the pending one as it was.
            const uint32_t address = socket_->api().inetAddr(command.substr(1).c_str());
            if (address != platform::kInaddrNone) pendingBoxAddress_ = address;
        }
        if (command.find('C') != std::string::npos) {
            pendingSerialMode_ =
                command.find("C3") != std::string::npos ? kMultiDrop : kSingleTerminal;
        }
        return Verdict::Succeed;
    });
}

int NetworkBoxTransport::applySettings(const std::vector<uint8_t>& datagram, char* answer) {
    if (socket_->sendTo(datagram, destination_) != 0) return -1;
    // No pending address (before a box was ever selected) leaves the destination as it is.
    if (pendingBoxAddress_ != 0 && pendingBoxAddress_ != destination_.sin_addr.s_addr) {
        destination_.sin_addr.s_addr = pendingBoxAddress_;
    }
    boxSerialMode_ = pendingSerialMode_;
    const uint32_t waitMs =
        std::max(kShortestRestartWaitMs, static_cast<uint32_t>(state().winSockTimeout));
    const Outcome outcome = readFor(platform::tickCountMs(), waitMs, [&](const Datagram& d) {
        if (d.type == kInitPacket) {
            acknowledgeArrival(d);
            copyText(answer, KAVEX_LBX_ANSWER_SIZE, "UDP_INIT");
            return Verdict::Succeed;
        }
        if (isTerminalData(d.type)) {
            acknowledge(d.sequence);
            acknowledgeFollowers();
            return Verdict::Keep;
        }
        if (d.type == kAckPacket && d.sequence == sendSeq_) return Verdict::Succeed;
        if (d.type == kErrorPacket) return errorPacketReceived();
        return Verdict::Keep;
    });
    if (outcome == Outcome::Succeeded) return 0;
    if (outcome == Outcome::TimedOut) setError(ErrWinSockTimeout);
    return -1;
}

int NetworkBoxTransport::resetBox() {
    ++sendSeq_;
    const std::vector<uint8_t> datagram = boxCommandDatagram(kApplyAndRestart);
    for (int i = 0; i < kResetSends; ++i) {
        if (sendToBox(datagram) != 0) return -1;
    }
    return 0;
}

}  // namespace kavex
