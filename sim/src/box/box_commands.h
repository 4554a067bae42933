// The box commands: the status, the settings to be (master, address, serial side) and their
// application at "%". No datagrams here, only what each command text asks for.
#pragma once

#include <string>

#include "sim/box_engine.h"

namespace sim {

struct CommandOutcome {
    enum class Action {
        Status,  // answer with status()
        Echo,    // answer with the command text
        Refuse,  // answer with an error datagram
        Apply,   // "%": apply the settings to be and restart
    };
    Action action = Action::Refuse;
    std::string reason;  // Refuse: why, for stderr
};

class BoxCommands {
public:
    BoxCommands(BoxSettings settings, std::string version);

    CommandOutcome handle(const std::string& command);
    // The settings to be become the settings; returns them.
    const BoxSettings& apply();
    // The settings to be fall back to the settings, as at a restart.
    void forgetPending();
    // After a failed move: the box stays at `address`.
    void stayAt(const std::string& address);

    std::string status(bool ready) const;
    const BoxSettings& current() const { return current_; }
    const BoxSettings& pending() const { return pending_; }

private:
    CommandOutcome setMaster(const std::string& address);
    CommandOutcome setAddress(const std::string& address);

    BoxSettings current_;
    BoxSettings pending_;
    const std::string version_;
};

}  // namespace sim
