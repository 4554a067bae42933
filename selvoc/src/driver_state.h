// The one process-wide state record of the driver, and the accessor every module reaches it by.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/serial_port.h"

namespace selvoc {

constexpr size_t kReceiveBufferSize = 128;

struct DriverState {
    std::unique_ptr<platform::SerialPort> port;
    bool PortOpen = false;              // a port is open and fully configured
    int32_t reportedHandle = 0;         // what GetCOMHandle returns
    bool RadioMode = false;             // the line is a radio modem link
    bool EchoMode = false;              // every byte sent comes back and is read after sending
    uint8_t PollCode = 0;               // byte sent after the address on a first poll
    uint8_t MaxAddress = 0;             // highest address PollAll polls
    uint8_t WaitFactor = 1;             // multiplier of the first-reply waits
    int64_t Tick = 0;                   // counter counts in 1/950 s
    int64_t FineTick = 0;               // counter counts in 1/9500 s
    int CharDelay = 0;                  // fine ticks waited after every byte sent
    int ReplyWait = 0;                  // ticks waited for a reply byte
    int EchoWait = 0;                   // ticks waited for an echo and for a message's answer
    platform::LineSettings AddressSetting;
    platform::LineSettings DataSetting;
    // The setting the open port was last given, so that one already in force is not applied
    // again (a radio line's two settings are the same); none after opening or closing.
    std::optional<platform::LineSettings> settingInForce;
    uint8_t lastReceived = 0;           // the byte ReadByte delivered, 0 after a failed read
    uint8_t RetryCount = 0;             // repeats in the last exchange
    uint8_t LastPolled = 0;             // rotation pointer of PollAll
    std::array<uint8_t, kReceiveBufferSize> receiveBuffer{};
};

DriverState& driverState();

// Records the outcome of an attempt to open a port in the exported hComId (-1: failed).
void storePortHandle(int handle);

// Closes any open port and gives every value back its value at load, hComId included. The driver
// itself never calls this; tests start each case from it.
void resetDriverState();

}  // namespace selvoc
