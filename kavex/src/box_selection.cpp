// SetIPAddress's work: the box's address, the socket, and the status exchange that selects the
// box, shown as the connection window of the meter callback.
#include <string>

#include "errors.h"
#include "library_state.h"
#include "meter.h"
#include "network_box_transport.h"
#include "platform/clock.h"

namespace kavex {
namespace {

constexpr size_t kShortestAddress = 7;   // "0.0.0.0"
constexpr size_t kLongestAddress = 15;   // "255.255.255.255"
constexpr uint32_t kBeforeStatusMs = 100;
constexpr uint32_t kAfterSelectionMs = 500;
constexpr uint32_t kProgressStepMs = 50;

// The connection window: the box address, the status lines and the elapsed time against
// WinSockTimeout, shown while the meter is.
class ConnectionWindow {
public:
    explicit ConnectionWindow(int32_t timeoutMs)
        : meter_("Connecting.....", timeoutMs), timeoutMs_(timeoutMs) {}

    void status(const std::string& text) { meter_.status(text); }

    void followTime() {
        if (!meter_.shown()) return;
        const uint32_t elapsed = platform::tickCountMs() - startMs_;
        if (elapsed - shownMs_ < kProgressStepMs) return;
        shownMs_ = elapsed;
        meter_.elapsed(static_cast<int32_t>(elapsed), timeoutMs_);
    }

    void selected() {
        meter_.status("OK !");
        meter_.elapsed(static_cast<int32_t>(int64_t{timeoutMs_} * 8 / 10), timeoutMs_);
    }

private:
    MeterWindow meter_;
    int32_t timeoutMs_;
    uint32_t startMs_ = platform::tickCountMs();
    uint32_t shownMs_ = 0;
};

}  // namespace

int NetworkBoxTransport::flushWaiting(uint32_t tryStartMs) {
    const uint32_t limitMs = static_cast<uint32_t>(state().udpTryTime);
    while (platform::tickCountMs() - tryStartMs <= limitMs) {
        Datagram datagram;
        const Received received = receive(datagram);
        if (received == Received::Nothing) return 0;
        if (received == Received::Failed) return -1;
        if (datagram.type == kErrorPacket) {
            setError(ErrErrorPacket);
            return -1;
        }
        if (datagram.type == kInitPacket || isTerminalData(datagram.type)) {
            acknowledgeArrival(datagram);
            acknowledgeFollowers();
        }
    }
    return 0;
}

int NetworkBoxTransport::selectBox(const std::string& address) {
    boxSerialMode_ = kMultiDrop;
    pendingSerialMode_ = kMultiDrop;
    const platform::SocketFunctions& api = socket_->api();
    const uint32_t value = api.inetAddr(address.c_str());
    in_addr converted{};
    converted.s_addr = value;
    const char* back = api.inetNtoa(converted);
    if (address.size() < kShortestAddress || address.size() > kLongestAddress ||
        value == platform::kInaddrNone || back == nullptr || address != back) {
        setError(ErrWrongParameters);
        return -1;
    }
    boxAddress_ = address;
    boxAddressValue_ = value;

    socket_->closeSocket();
    if (socket_->open(api.inetAddr(adapters_.chosen().c_str()), localPort_) != 0) return -1;
    destination_ = socketAddress(boxAddressValue_, remotePort_);

    const LibraryState& s = state();
    ConnectionWindow window(s.winSockTimeout);
    const std::vector<uint8_t> statusRequest = plainDatagram(kBoxCommandPacket, 0, "X");
    for (int32_t attempt = 0; attempt < s.udpTries; ++attempt) {
        window.status(boxAddress_);
        window.status("Connect Socket");
        const uint32_t tryStartMs = platform::tickCountMs();
        acknowledge(0);
        if (flushWaiting(tryStartMs) != 0) return -1;
        platform::sleepMs(kBeforeStatusMs);
        if (socket_->sendTo(statusRequest, destination_) != 0) return -1;
        window.status("Status Request");
        std::string status;
        const Outcome outcome = readFor(
            platform::tickCountMs(), static_cast<uint32_t>(s.udpTryTime),
            [&](const Datagram& d) {
                if (d.type == kInitPacket || isTerminalData(d.type)) {
                    acknowledgeArrival(d);
                    window.status("Data..");
                    return Verdict::Keep;
                }
                if (d.type == kErrorPacket) return errorPacketReceived();
                if (isBoxAnswer(d.type) && d.text.find('V') != std::string::npos) {
                    status = d.text;
                    return Verdict::Succeed;
                }
                return Verdict::Keep;
            },
            [&] { window.followTime(); });
        if (outcome == Outcome::Failed) return -1;
        if (outcome == Outcome::Succeeded) {
            window.selected();
            platform::sleepMs(kAfterSelectionMs);
            boxSerialMode_ = status.find("C3") != std::string::npos ? kMultiDrop : kSingleTerminal;
            pendingSerialMode_ = boxSerialMode_;
            pendingBoxAddress_ = boxAddressValue_;
            return 0;
        }
    }
    setError(ErrWinSockTimeout);
    return -1;
}

}  // namespace kavex
