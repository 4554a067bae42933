// The options every kavex-sim subcommand with simulated terminals shares: where the link goes,
// and what the terminals are like. A subcommand with several terminals builds each with its
// number, which becomes the address field of its punch lines and varies its punch seed.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "fault_report.h"
#include "sim/line_device.h"
#include "sim/terminal.h"

namespace sim::tools {

struct LinkSettings {
    std::string folder;
    int port = 0;
};

struct TerminalSettings {
    TerminalConfig config;
    std::string filesFolder;
    std::map<int, std::string> modelOf;  // by terminal number, in place of config.model
    TerminalFaults faults;
};

// --dir and --port.
std::vector<Option> linkOptions(LinkSettings& settings);
// --model, --model-of, --password, --files, --punch-days, --seed, --clock-offset, --drives,
// --param, --no-recs, and the faults --silent-terminal, --break-after, --wrong-checksums,
// --wrong-counts.
std::vector<Option> terminalOptions(TerminalSettings& settings);

// The terminal `number`; its faults are counted in `report` when one is given.
std::shared_ptr<Terminal> buildTerminal(const TerminalSettings& settings, int number,
                                        FaultReport* report = nullptr);

// Puts `device` on the pseudo-terminal of `link`, announces it and runs until SIGINT or SIGTERM,
// then prints `report` when one is given. Throws UsageError when --dir or --port is missing.
int runOnPseudoTerminal(const LinkSettings& link, std::shared_ptr<LineDevice> device,
                        const FaultReport* report = nullptr);

// The options of several tables as one.
std::vector<Option> joined(std::vector<std::vector<Option>> tables);

}  // namespace sim::tools
