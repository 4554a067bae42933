// The set-up dialogue of the line driver in mode 2.
#pragma once

#include <cstdint>

#include "platform/serial_port.h"

namespace kavex {

// Sends the set-up texts, reads back what the driver answers as on a direct line and returns the
// StampLength it reveals: 6 or 12 when a line reports "TIME ON", 0 otherwise. Expects the device
// to be open in mode 3 while it runs.
int32_t detectLineDriverStamp(platform::SerialPort& port);

}  // namespace kavex
