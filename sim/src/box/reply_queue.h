// The reply lines on their way to the computer. The computer acknowledges each one as it reads
// it, some milliseconds apart, so the box keeps at most kWindow of them unacknowledged and sends
// the next ones as acknowledgements come: a long transfer never floods the computer's socket.
// The box's sequence numbers run 1-255 and then 1 again (0 is the init datagram's).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "sim/box_datagram.h"

namespace sim {

class ReplyQueue {
public:
    static constexpr size_t kWindow = 32;

    uint16_t nextSequence();
    // The replies to a new command take the place of whatever was still waiting or
    // unacknowledged: the terminal has given up the transfer before.
    void replace(std::vector<Datagram> replies);
    // The replies that may go out now; they count as unacknowledged from then on.
    std::vector<Datagram> sendable();
    // An acknowledgement also settles every reply sent before the one it names, which the
    // computer will never acknowledge now.
    void acknowledged(uint16_t sequence);
    std::vector<uint16_t> unacknowledged() const;

    // Sequence numbers start again; nothing waits.
    void restart();

private:
    std::deque<Datagram> waiting_;
    std::deque<uint16_t> unacknowledged_;  // in the order sent
    uint16_t lastSequence_ = 0;
};

}  // namespace sim
