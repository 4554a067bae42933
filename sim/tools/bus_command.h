// kavex-sim bus: a Selvo bus of echoing stations and simulated terminals on a pseudo-terminal,
// optionally behind a radio modem, with faults.
#pragma once

#include "subcommand.h"

namespace sim::tools {

extern const Subcommand kBusCommand;

}  // namespace sim::tools
