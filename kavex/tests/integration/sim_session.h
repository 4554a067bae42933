// A simulated device on a pseudo-terminal reached as COM<port> through COM_PORT_DIR, for tests
// of the real libkavex.so: one factory per connection mode puts terminals behind the transport
// that mode talks to.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/hayes_modem.h"
#include "sim/line_driver.h"
#include "sim/pty_link.h"
#include "sim/selvo_bus.h"
#include "sim/terminal.h"

namespace kavex_test {

constexpr int kPort = 7;

struct SimDevice {
    std::shared_ptr<sim::LineDevice> device;
    std::shared_ptr<sim::Terminal> terminal;  // the terminal the test selects
    std::shared_ptr<sim::SelvoBus> bus;       // set for the Selvo modes
    std::shared_ptr<sim::LineDriver> driver;  // set for mode 2
    std::shared_ptr<sim::HayesModem> modem;   // set behind withModem()
};

// The device for `mode` with `config` as the selected terminal, at `number` on a bus, behind a
// line driver or behind a relay (the relay itself is a plain terminal of the default model).
SimDevice makeDevice(int mode, int number, const sim::TerminalConfig& config);

// `device` behind a dial-up modem: the modem becomes the device on the line.
SimDevice withModem(SimDevice device, const sim::ModemConfig& config = {});

// What GetError reports now: the code, a blank and the text (the code also into `code`).
std::string lastError(int32_t* code = nullptr);
int32_t errorCode();

// A UDP port no socket of this machine holds right now.
uint16_t freeUdpPort();

// A temporary COM_PORT_DIR with one device linked as COM<kPort>, running until destruction.
class SimSession {
public:
    explicit SimSession(SimDevice device);
    ~SimSession();

    SimDevice& device() { return device_; }

private:
    std::string folder_;
    SimDevice device_;
    std::unique_ptr<sim::PtyLink> link_;
};

}  // namespace kavex_test
