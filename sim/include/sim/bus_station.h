// What sits at one address of the Selvo bus. The bus handles the framing, polling and checksums;
// a station only sees the texts addressed to it and hands out texts of its own, so that a simple
// queue, an echo or a whole terminal can stand at any address.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Called by the bus, on the thread that runs the line, one call at a time.
class BusStation {
public:
    virtual ~BusStation() = default;
    // A framed message addressed to this station (address 0 reaches every station).
    virtual void receive(const std::string& text) = 0;
    // The text to deliver at the next poll, without the leading address byte; nullopt when
    // there is none. Stays the same until delivered() is called, so a repeated poll gets it again.
    virtual std::optional<std::string> pending() = 0;
    // The computer acknowledged the text last handed out by pending().
    virtual void delivered() = 0;
};

// A station that keeps what it receives and delivers the texts queued for it, oldest first. An
// echoing station also queues every text it receives as its own reply. Safe to inspect and feed
// from another thread while the bus runs.
class QueueStation final : public BusStation {
public:
    explicit QueueStation(bool echoesReceived = false) : echoesReceived_(echoesReceived) {}

    void receive(const std::string& text) override;
    std::optional<std::string> pending() override;
    void delivered() override;

    void queue(const std::string& text);
    std::vector<std::string> received() const;  // every text received, in order
    std::vector<std::string> queued() const;    // texts still waiting for delivery

private:
    const bool echoesReceived_;
    mutable std::mutex mutex_;
    std::vector<std::string> received_;
    std::deque<std::string> outgoing_;
};

}  // namespace sim
