// The simulated network box on a UDP socket: bound to a loopback address and port, it runs a
// BoxEngine on a thread of its own, answering each datagram to where it came from. It never
// sends outside 127.0.0.0/8, even to a sender from there (the datagram is dropped, with a note
// on stderr).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "sim/box_engine.h"

namespace sim {

class NetworkBox {
public:
    // Binds config.settings.address (which must be in 127.0.0.0/8) and config.port (0: any free
    // port). Throws std::runtime_error when the socket cannot be made.
    explicit NetworkBox(BoxConfig config);
    ~NetworkBox();  // stops the thread

    NetworkBox(const NetworkBox&) = delete;
    NetworkBox& operator=(const NetworkBox&) = delete;

    // Before start(), or while the box runs: each call is taken under the engine's lock.
    void attach(int number, std::shared_ptr<LineTerminal> terminal);

    void start();
    void stop();

    // Where the box is bound now ("A" and "%" move it).
    std::string address() const;
    uint16_t port() const;

    // Faults, restarts on demand and inspection, all thread-safe.
    BoxEngine& engine() { return *engine_; }
    const BoxEngine& engine() const { return *engine_; }

private:
    class UdpPort;

    void run();

    std::unique_ptr<UdpPort> port_;
    std::unique_ptr<BoxEngine> engine_;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace sim
