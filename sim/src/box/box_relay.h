// The box's serial side: the terminals behind it, by number, and the text each command line
// brings back. Also the box's own sequence numbers for the reply lines and which of them the
// computer has not acknowledged yet.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../transport/serial_line_reader.h"
#include "sim/box_engine.h"
#include "sim/line_terminal.h"

namespace sim {

class TerminalRelay {
public:
    void attach(int number, std::shared_ptr<LineTerminal> terminal);

    // The payload texts of the reply datagrams for the text of one terminal data datagram.
    std::vector<std::string> relay(int serialSide, const std::string& text);

    // 1-255, then 1 again.
    uint16_t nextSequence();
    void awaitAcknowledgement(uint16_t sequence);
    void acknowledged(uint16_t sequence);
    const std::set<uint16_t>& unacknowledged() const { return unacknowledged_; }

    // Sequence numbers start again and a partial serial line is dropped.
    void restart();

private:
    std::vector<std::string> relayAddressed(const std::string& text);
    std::vector<std::string> relayDirect(const std::string& text);
    LineTerminal* terminalAt(int number) const;

    std::map<int, std::shared_ptr<LineTerminal>> terminals_;
    SerialLineReader directLine_;
    uint16_t lastSequence_ = 0;
    std::set<uint16_t> unacknowledged_;
};

}  // namespace sim
