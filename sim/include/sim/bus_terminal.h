// A simulated terminal at an address of the Selvo bus: each message the bus hands it is one
// command, and each reply line is one message to deliver at the following polls. The bus frames
// them and puts the station's address before the text. Transfers are not paced. A new command
// drops the reply lines of the one before that are still waiting (all but one already handed to
// the bus), as the terminal stops a transfer when it is given something else to do.
#pragma once

#include <deque>
#include <memory>
#include <mutex>

#include "sim/bus_station.h"
#include "sim/line_terminal.h"

namespace sim {

class BusTerminal final : public BusStation {
public:
    explicit BusTerminal(std::shared_ptr<LineTerminal> terminal);

    void receive(const std::string& text) override;
    std::optional<std::string> pending() override;
    void delivered() override;

    std::vector<std::string> queued() const;  // reply lines not yet delivered

private:
    const std::shared_ptr<LineTerminal> terminal_;
    mutable std::mutex mutex_;
    std::deque<std::string> outgoing_;
    bool handedOut_ = false;  // the first of outgoing_ went out and awaits its acknowledgement
};

}  // namespace sim
