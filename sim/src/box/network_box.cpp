#include "sim/network_box.h"

#include <cstdio>
#include <mutex>
#include <optional>
#include <stdexcept>

#include "udp_socket.h"

namespace sim {
namespace {

// How long the thread waits for a datagram before it looks at whether it should stop.
constexpr int kReceiveWaitMs = 10;

}  // namespace

// The engine's datagrams go to whoever sent the datagram being handled. The socket is replaced
// only on the box's thread (a move happens while a datagram is handled); sends may also come
// from a test's thread (a restart on demand), hence the lock.
class NetworkBox::UdpPort final : public BoxPort {
public:
    UdpPort(const std::string& address, uint16_t port) : socket_(address, port) {}

    void send(const Datagram& datagram) override {
        std::lock_guard lock(mutex_);
        if (!peer_) {
            std::fprintf(stderr, "network box: nobody to send %s to\n",
                         describeDatagram(datagram).c_str());
            return;
        }
        socket_.sendTo(encodeDatagram(datagram), *peer_);
    }

    bool moveTo(const std::string& address) override {
        std::lock_guard lock(mutex_);
        try {
            socket_ = UdpSocket(address, socket_.port());
            return true;
        } catch (const std::runtime_error& error) {
            std::fprintf(stderr, "network box: %s\n", error.what());
            return false;
        }
    }

    // On the box's thread only.
    std::optional<ReceivedBytes> receive(int timeoutMs) { return socket_.receive(timeoutMs); }

    void setPeer(const UdpPeer& peer) {
        std::lock_guard lock(mutex_);
        peer_ = peer;
    }

    std::string address() const {
        std::lock_guard lock(mutex_);
        return socket_.address();
    }

    uint16_t port() const {
        std::lock_guard lock(mutex_);
        return socket_.port();
    }

private:
    mutable std::mutex mutex_;
    UdpSocket socket_;
    std::optional<UdpPeer> peer_;
};

NetworkBox::NetworkBox(BoxConfig config)
    : port_(std::make_unique<UdpPort>(config.settings.address, config.port)) {
    engine_ = std::make_unique<BoxEngine>(std::move(config), *port_);
}

NetworkBox::~NetworkBox() {
    stop();
}

void NetworkBox::attach(int number, std::shared_ptr<LineTerminal> terminal) {
    engine_->attach(number, std::move(terminal));
}

void NetworkBox::start() {
    if (running_.exchange(true)) return;
    thread_ = std::thread(&NetworkBox::run, this);
}

void NetworkBox::stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
}

std::string NetworkBox::address() const {
    return port_->address();
}

uint16_t NetworkBox::port() const {
    return port_->port();
}

void NetworkBox::run() {
    while (running_) {
        const std::optional<ReceivedBytes> received = port_->receive(kReceiveWaitMs);
        if (!received) continue;
        const std::optional<Datagram> datagram =
            decodeDatagram(received->bytes.data(), received->bytes.size());
        if (!datagram) {
            std::fprintf(stderr, "network box: dropped %zu bytes from %s: no datagram header\n",
                         received->bytes.size(), received->from.text().c_str());
            continue;
        }
        port_->setPeer(received->from);
        engine_->receive(*datagram);
    }
}

}  // namespace sim
