// kavex-sim box: the network box on a loopback UDP address (connection mode 6), with simulated
// terminals on its serial side and faults.
#pragma once

#include "subcommand.h"

namespace sim::tools {

extern const Subcommand kBoxCommand;

}  // namespace sim::tools
