// How a LineSettings becomes termios flags (exposed for the port layer's own tests).
#pragma once

#include <termios.h>

#include "platform/serial_port.h"

namespace platform {

// Fills `tio` for raw reads with the settings; false for a baud or size the port cannot take.
bool encodeLineSettings(const LineSettings& settings, termios& tio);

}  // namespace platform
