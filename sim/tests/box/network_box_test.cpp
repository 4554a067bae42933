// The network box over real loopback UDP: it answers from where it is bound, relays to a
// simulated terminal, moves when told, and never sends outside 127.0.0.0/8.
#include "sim/network_box.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "box_client.h"
#include "sim/terminal.h"
#include "udp_socket.h"

namespace {

using sim::Datagram;
using simtest::BoxAnswer;
using simtest::BoxClient;

Datagram boxCommand(uint16_t sequence, const std::string& text) {
    return sim::plainDatagram(sim::packet::kBoxCommand, sequence, text);
}

std::string described(const std::optional<BoxAnswer>& answer) {
    return answer ? sim::describeDatagram(answer->datagram) + " from " + answer->from : "nothing";
}

class NetworkBoxTest : public ::testing::Test {
protected:
    NetworkBoxTest() {
        sim::BoxConfig config;
        config.port = 0;
        box = std::make_unique<sim::NetworkBox>(config);
        sim::TerminalConfig terminalConfig;
        terminalConfig.hostClock = [] { return sim::civilSeconds(2015, 12, 31, 8, 15, 30); };
        box->attach(3, std::make_shared<sim::Terminal>(terminalConfig));
        box->start();
        from = "127.0.0.2:" + std::to_string(box->port());
    }

    // Sends to the box where it is bound now and waits for the next datagram.
    std::string exchange(const Datagram& datagram) {
        client.send(datagram, box->address(), box->port());
        return described(client.receive());
    }
    std::string expected(const Datagram& datagram, const std::string& sender) {
        return sim::describeDatagram(datagram) + " from " + sender;
    }

    std::unique_ptr<sim::NetworkBox> box;
    BoxClient client;
    std::string from;
};

TEST_F(NetworkBoxTest, SelectionMasterAndATerminalCommandRoundTrip) {
    ASSERT_TRUE(client.send(sim::emptyDatagram(sim::packet::kAck, 0), "127.0.0.2", box->port()));
    EXPECT_EQ(exchange(boxCommand(0, "X")),
              expected(boxCommand(0, "V2.1 C3 A127.0.0.2 M-\r"), from));
    EXPECT_EQ(exchange(boxCommand(1, "M127.0.0.1")), expected(boxCommand(1, "M127.0.0.1"), from));
    EXPECT_EQ(exchange(boxCommand(2, "%")),
              expected(sim::emptyDatagram(sim::packet::kAck, 2), from));

    EXPECT_EQ(exchange(sim::plainDatagram(sim::packet::kData, 3, "\x03@TIME")),
              expected(sim::emptyDatagram(sim::packet::kAck, 3), from));
    EXPECT_EQ(described(client.receive()),
              expected(sim::plainDatagram(sim::packet::kData, 1, "\x03@TIME 081530"), from));
    EXPECT_EQ(box->engine().unacknowledgedReplies(), std::vector<uint16_t>{1});

    client.send(sim::emptyDatagram(sim::packet::kAck, 1), "127.0.0.2", box->port());
    // The box handles datagrams in order: once the status is back, the acknowledgement was seen.
    EXPECT_EQ(exchange(boxCommand(0, "X")),
              expected(boxCommand(0, "V2.1 C3 A127.0.0.2 M127.0.0.1\r"), from));
    EXPECT_TRUE(box->engine().unacknowledgedReplies().empty());
}

TEST_F(NetworkBoxTest, PercentMovesTheBoxToItsNewAddress) {
    const std::string moved = "127.0.0.3:" + std::to_string(box->port());
    EXPECT_EQ(exchange(boxCommand(1, "A127.0.0.3")), expected(boxCommand(1, "A127.0.0.3"), from));
    EXPECT_EQ(exchange(boxCommand(2, "%")),
              expected(sim::emptyDatagram(sim::packet::kAck, 2), moved));
    EXPECT_EQ(box->address(), "127.0.0.3");
    EXPECT_EQ(exchange(boxCommand(0, "X")),
              expected(boxCommand(0, "V2.1 C3 A127.0.0.3 M-\r"), moved));
}

TEST(UdpSocketTest, BindsAndSendsOnlyWithinLoopback) {
    EXPECT_THROW(sim::UdpSocket("0.0.0.0", 0), std::runtime_error);
    EXPECT_THROW(sim::UdpSocket("192.0.2.1", 0), std::runtime_error);
    sim::UdpSocket socket("127.0.0.2", 0);
    testing::internal::CaptureStderr();
    // A documentation-only address: the check comes before any send, and the kernel would not
    // route a datagram from a loopback address there either.
    EXPECT_FALSE(socket.sendTo({4, 0, 0, 0, 0}, sim::UdpPeer{.address = 0xC0000201, .port = 8499}));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("refusing to send to 192.0.2.1:8499"),
              std::string::npos);
}

}  // namespace
