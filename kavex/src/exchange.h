// The command exchange that every terminal operation is built on.
#pragma once

#include <cstdint>

namespace kavex {

// Waits up to n × 500 ms for one reply line of the selected terminal into `line`
// (kReplyCapacity bytes); 0 when a line was read, -1 with LastError set otherwise.
int readReply(char* line, int32_t n);

// The wait count of ReadReply for a wait of `seconds`: 2 × seconds, held at INT32_MAX when
// the product does not fit.
int32_t waitUnits(int32_t seconds);

// Reads with n = 1 until a read returns no line.
void drainReplies();

// The device and terminal checks of the exchange and the terminal operations: 0, or -1 with
// error 2 (no device) or 4 (no terminal selected) set.
int requireTerminal();

int32_t sendCommand(const char* command, char* reply);
int32_t postCommand(const char* command);

}  // namespace kavex
