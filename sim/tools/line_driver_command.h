// kavex-sim linedriver: the line driver of connection mode 2 with numbered simulated terminals.
#pragma once

#include "subcommand.h"

namespace sim::tools {

extern const Subcommand kLineDriverCommand;

}  // namespace sim::tools
