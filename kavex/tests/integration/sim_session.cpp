#include "sim_session.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "kavex.h"
#include "sim/bus_terminal.h"
#include "sim/radio_modem.h"
#include "sim/relay_terminal.h"
#include "sim/rs232_line.h"

namespace kavex_test {

uint16_t freeUdpPort() {
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(s);
    return ntohs(address.sin_port);
}

SimDevice makeDevice(int mode, int number, const sim::TerminalConfig& config) {
    SimDevice made;
    made.terminal = std::make_shared<sim::Terminal>(config);
    switch (mode) {
        case 0:
        case 1:
        case 5:
        case 8: {
            made.bus = std::make_shared<sim::SelvoBus>();
            made.bus->attach(static_cast<uint8_t>(number),
                             std::make_shared<sim::BusTerminal>(made.terminal));
            made.device = made.bus;
            if (mode == 8) made.device = std::make_shared<sim::RadioModem>(made.bus);
            break;
        }
        case 2:
            made.driver = std::make_shared<sim::LineDriver>(sim::TimeStamp::Short);
            made.driver->attach(number, made.terminal);
            made.device = made.driver;
            break;
        case 3:
            made.device = std::make_shared<sim::Rs232Line>(made.terminal);
            break;
        case 4: {
            // Terminal 0 is the relay itself; any other number is routed through a plain relay.
            auto relay = std::make_shared<sim::RelayTerminal>(
                number == 0 ? made.terminal : std::make_shared<sim::Terminal>());
            if (number != 0) relay->attach(number, made.terminal);
            made.device = std::make_shared<sim::Rs232Line>(relay);
            break;
        }
        default:
            throw std::invalid_argument("no simulated device for this mode");
    }
    return made;
}

SimDevice withModem(SimDevice device, const sim::ModemConfig& config) {
    device.modem = std::make_shared<sim::HayesModem>(device.device, config);
    device.device = device.modem;
    return device;
}

std::string lastError(int32_t* code) {
    char text[KAVEX_ERROR_SIZE];
    const int32_t c = GetError(text);
    if (code != nullptr) *code = c;
    return std::to_string(c) + " " + text;
}

int32_t errorCode() {
    int32_t code = 0;
    lastError(&code);
    return code;
}

SimSession::SimSession(SimDevice device) : device_(std::move(device)) {
    char pattern[] = "/tmp/kavex-ports-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("no temporary folder");
    folder_ = pattern;
    setenv("COM_PORT_DIR", folder_.c_str(), 1);
    link_ = std::make_unique<sim::PtyLink>(folder_, kPort, device_.device);
    link_->start();
}

SimSession::~SimSession() {
    link_.reset();
    unsetenv("COM_PORT_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace kavex_test
