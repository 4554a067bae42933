// The faults of the box, as decisions taken one datagram at a time: each counter counts down as
// it is used.
#pragma once

#include <vector>

#include "sim/box_datagram.h"
#include "sim/box_engine.h"

namespace sim {

class BoxFaultInjector {
public:
    const BoxFaults& faults() const { return faults_; }
    void set(const BoxFaults& faults) { faults_ = faults; }

    bool notReady() const { return faults_.notReady; }
    // A received datagram is lost (silence counts too: nothing answers it). Called once for
    // every datagram received, before the other decisions about it.
    bool loseReceived();
    bool takeRestart();
    bool takeErrorAnswer();
    bool loseSent();
    bool takeRepeat();
    // The datagrams answering one terminal data datagram (acknowledgement first, then the
    // replies) as they go out: neighbours swapped when the fault says so.
    void reorderAnswer(std::vector<Datagram>& answer);

    BoxFaults faults_;

private:
    // Counts a fault down unless the datagram being handled is one of the first faultsAfter.
    bool take(int& counter);

    bool sparing_ = false;
};

}  // namespace sim
