// kavex-sim relay: a relaying terminal 0 and the terminals it relays to after "LOGON nnn" on an
// RS232 line (connection mode 4).
#pragma once

#include "subcommand.h"

namespace sim::tools {

extern const Subcommand kRelayCommand;

}  // namespace sim::tools
