// The two port settings of the bus, the speed table and the timing table.
#pragma once

#include <optional>

namespace selvoc {

struct SpeedEntry {
    int baud;
    int charDelay;  // fine ticks waited after every byte
};

// The entry of ChgSpeedSlv's speed index 0-3; nothing for any other index.
std::optional<SpeedEntry> speedEntry(int speedIndex);

constexpr int kStartUpSpeedIndex = 3;  // 57600 baud: CharDelay at start-up on every line
constexpr int kWiredStartUpBaud = 57600;
constexpr int kRadioBaud = 19200;

// Rebuilds AddressSetting and DataSetting for `baud`: mark and space parity on a wired line, no
// parity on a radio line (RadioMode); 8 data bits, 1 stop bit, no flow control, DTR off, RTS on.
void buildPortSettings(int baud);

// Applies one of the two settings to the open port; false when the port refused it.
bool applyAddressSetting();
bool applyDataSetting();

// ReplyWait and EchoWait by RadioMode (radio 500/500, wired 1/3), then discards the transmit and
// the receive queue.
void resetTiming();

// A wired line at speed index 0 or 1 waits twice as long: ReplyWait 2, EchoWait 6.
void applySlowSpeedTiming(int speedIndex);

}  // namespace selvoc
