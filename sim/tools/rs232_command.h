// kavex-sim rs232: one simulated terminal on a direct RS232 line (connection mode 3).
#pragma once

#include "subcommand.h"

namespace sim::tools {

extern const Subcommand kRs232Command;

}  // namespace sim::tools
