// The socket under the network box transport for its fuzz target: a table of socket entry
// points whose reads hand out the datagrams of the input in order (then nothing waiting), whose
// sends are recorded, and whose other entries the transport must never call.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/sockets.h"

namespace fuzz {

using Bytes = std::vector<uint8_t>;

struct BoxArrival {
    enum class Kind { Datagram, Nothing, Empty, Failure };
    Kind kind = Kind::Datagram;
    Bytes bytes;
};

struct SentDatagram {
    Bytes bytes;
    sockaddr_in to{};
};

class BoxLink {
public:
    static BoxLink& instance();

    // Starts an input with these arrivals and nothing sent.
    void start(std::deque<BoxArrival> arrivals);

    const platform::SocketFunctions& api() const { return api_; }
    const std::vector<SentDatagram>& sent() const { return sent_; }

    // The entry points' work.
    int receive(char* buffer, int length, sockaddr* from, int* fromLength);
    int send(const char* buffer, int length, const sockaddr* to, int toLength);
    int lastError() const { return lastError_; }

private:
    BoxLink();

    platform::SocketFunctions api_{};
    std::deque<BoxArrival> arrivals_;
    std::vector<SentDatagram> sent_;
    int lastError_ = 0;
};

}  // namespace fuzz
