#include "frames.h"

#include "byte_io.h"
#include "driver_state.h"
#include "port_settings.h"

namespace selvoc {

bool isAcknowledgement(uint8_t byte) { return byte == kAckP || byte == kAckQ || byte == kAckGrave; }

bool sendAddressed(uint8_t address, uint8_t next) {
    clearLineErrors();
    applyAddressSetting();
    const bool addressSent = SendByte(address);
    applyDataSetting();
    const bool nextSent = SendByte(next);
    return addressSent && nextSent;
}

bool startAttempt(uint8_t address, uint8_t next) {
    DriverState& state = driverState();
    if (state.port) state.port->purge(false, true);
    return sendAddressed(address, next);
}

}  // namespace selvoc
