// The box's serial side: the terminals behind it, by number, and the reply lines each command
// line brings back.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../transport/serial_line_reader.h"
#include "sim/box_engine.h"
#include "sim/line_terminal.h"

namespace sim {

struct RelayResult {
    bool carriedCommand = false;  // a whole command line went onto the serial side
    std::vector<std::string> replies;  // the payload texts of the reply datagrams
};

class TerminalRelay {
public:
    void attach(int number, std::shared_ptr<LineTerminal> terminal);

    // The text of one terminal data datagram.
    RelayResult relay(int serialSide, const std::string& text);

    // A partial serial line is dropped.
    void restart();

private:
    RelayResult relayAddressed(const std::string& text);
    RelayResult relayDirect(const std::string& text);
    LineTerminal* terminalAt(int number) const;

    std::map<int, std::shared_ptr<LineTerminal>> terminals_;
    SerialLineReader directLine_;
};

}  // namespace sim
