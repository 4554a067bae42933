// The computer's side of the network box in integration tests: a UDP socket on 127.0.0.1 that
// sends datagrams to the box and waits for its answers.
#pragma once

#include <optional>
#include <string>

#include "sim/box_datagram.h"
#include "sim/ipv4_address.h"
#include "udp_socket.h"

namespace simtest {

struct BoxAnswer {
    sim::Datagram datagram;
    std::string from;  // "127.0.0.2:8499"
};

class BoxClient {
public:
    BoxClient() : socket_("127.0.0.1", 0) {}

    bool send(const sim::Datagram& datagram, const std::string& address, uint16_t port) {
        const sim::UdpPeer to{.address = sim::parseDottedAddress(address).value_or(0),
                              .port = port};
        return socket_.sendTo(sim::encodeDatagram(datagram), to);
    }

    // The next datagram, waiting up to `timeoutMs` for it.
    std::optional<BoxAnswer> receive(int timeoutMs = 5000) {
        const std::optional<sim::ReceivedBytes> received = socket_.receive(timeoutMs);
        if (!received) return std::nullopt;
        const auto datagram = sim::decodeDatagram(received->bytes.data(), received->bytes.size());
        if (!datagram) return std::nullopt;
        return BoxAnswer{*datagram, received->from.text()};
    }

private:
    sim::UdpSocket socket_;
};

}  // namespace simtest
