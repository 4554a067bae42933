// How many of the counted faults a kavex-sim run has injected: each device that was given
// faults adds how to tell its count, and when the run stops the total goes to standard output as
// "faults injected N", so that whoever started the devices knows the faults were met.
#pragma once

#include <functional>
#include <vector>

#include "sim/box_engine.h"
#include "sim/hayes_modem.h"
#include "sim/selvo_bus.h"
#include "sim/terminal.h"

namespace sim::tools {

class FaultReport {
public:
    // `injected` gives the faults injected so far; it is called from the stopping thread.
    void add(std::function<int()> injected);
    int total() const;
    void print() const;

private:
    std::vector<std::function<int()>> sources_;
};

// The counted faults used between `given` and `left`; the switches (silent, echo, ..) count
// nothing, a one-shot fault (a break, a dropped carrier) one when it happened.
int injectedFaults(const BusFaults& given, const BusFaults& left);
int injectedFaults(const TerminalFaults& given, const TerminalFaults& left);
int injectedFaults(const BoxFaults& given, const BoxFaults& left);
int injectedFaults(const ModemFaults& given, const ModemFaults& left);

}  // namespace sim::tools
