// The options that put a simulated Hayes-style modem in front of the device of a serial-side
// subcommand (rs232, linedriver, relay), so that the library dials it before talking to the
// terminals behind it.
#pragma once

#include <memory>
#include <vector>

#include "command_line.h"
#include "fault_report.h"
#include "sim/hayes_modem.h"
#include "sim/line_device.h"

namespace sim::tools {

struct ModemSettings {
    bool enabled = false;
    ModemConfig config;
    ModemFaults faults;
};

// --modem and the --modem-... options, each of which also puts the modem in front.
std::vector<Option> modemOptions(ModemSettings& settings);

// `device` behind the modem when it is enabled, else `device` itself; the modem's faults are
// counted in `report` when one is given.
std::shared_ptr<LineDevice> behindModem(const ModemSettings& settings,
                                        std::shared_ptr<LineDevice> device,
                                        FaultReport* report = nullptr);

}  // namespace sim::tools
