// InitCOMM and ExitCOMM: opening and closing the device of each connection mode.
#include <cstdint>
#include <memory>

#include "cipher.h"
#include "errors.h"
#include "export_guard.h"
#include "kavex.h"
#include "library_state.h"
#include "line_driver_setup.h"
#include "network_box_transport.h"
#include "rs232_transport.h"
#include "selvo_binding.h"
#include "selvo_transport.h"

extern "C" {
KAVEX_API int hCommId = -1;
}

namespace kavex {
namespace {

bool contains(std::initializer_list<int32_t> allowed, int32_t value) {
    for (int32_t a : allowed) {
        if (a == value) return true;
    }
    return false;
}

// Whether baud and format are allowed in `mode`; mode 7 takes anything (it is never opened).
bool argumentsAllowed(int32_t mode, int32_t baud, int32_t format) {
    switch (mode) {
        case ModeSelvo0:
        case ModeSelvo1:
        case ModeSelvo2:
            return contains({0, 9600, 19200, 38400, 57600}, baud) && contains({-1, 0}, format);
        case ModeSelvoRadio:
            return baud == 19200 && contains({-1, 0}, format);
        case ModeLineDriver:
            return contains({2400, 9600, 19200, 38400}, baud) && format >= 0 && format <= 4;
        case ModeRs232:
        case ModeRs232Indirect:
            return contains({1200, 2400, 4800, 9600, 19200, 38400}, baud) && format >= 0 &&
                   format <= 4;
        case ModeNetworkBox:
            return baud == 0 && format == 0;
        default:
            return true;
    }
}

bool portAllowed(int32_t mode, int32_t port) {
    return mode == ModeNetworkBox ? port >= 1 : port >= 1 && port <= 500;
}

int32_t resultForPort(int32_t port) {
    switch (port) {
        case 1: return 1016;
        case 2: return 760;
        case 3: return 1000;
        case 4: return 744;
        default: return 1;
    }
}

int32_t speedIndexForBaud(int32_t baud) {
    switch (baud) {
        case 9600: return 0;
        case 19200: return 1;
        case 38400: return 2;
        case 57600: return 3;
        default: return -1;
    }
}

int32_t lineKindForMode(int32_t mode) { return mode == ModeSelvo2 ? 2 : mode; }

void markOpen(int32_t mode, std::unique_ptr<Transport> transport) {
    state().transport = std::move(transport);
    state().openMode = mode;
}

int32_t openSelvo(int32_t port, int32_t mode, int32_t baud, int32_t format) {
    const SelvoApi* api = selvoApi();
    if (api == nullptr) {
        setError(ErrSelvoNotFound);
        return -1;
    }
    const int32_t r = api->InitSlv(port, lineKindForMode(mode), 254, format);
    if (r <= 0) {
        setError(11 - r);
        return -1;
    }
    const int32_t speed = speedIndexForBaud(baud);
    if (speed >= 0 && api->ChgSpeedSlv(speed) < 0) {
        setError(ErrSelvoSpeed);  // the driver's port stays open
        return -1;
    }
    markOpen(mode, std::make_unique<SelvoTransport>(*api));
    return r;
}

int32_t openRs232(int32_t port, int32_t mode, int32_t baud, int32_t format) {
    std::unique_ptr<Rs232Transport> transport = Rs232Transport::open(port, baud, format);
    if (!transport) return -1;
    platform::SerialPort* serial = transport->serialPort();
    if (mode == ModeLineDriver) {
        markOpen(ModeRs232, std::move(transport));
        state().stampLength = detectLineDriverStamp(*serial);
        state().lastError = 0;  // the set-up's last read ends on silence by design
    } else {
        markOpen(mode, std::move(transport));
    }
    serial->purge(true, true);
    state().openMode = mode;
    return resultForPort(port);
}

// The UDP port is taken as 16 bits, for the local and the remote port and as the result.
int32_t openNetworkBox(int32_t port) {
    const auto udpPort = static_cast<uint16_t>(port);
    std::unique_ptr<NetworkBoxTransport> transport = NetworkBoxTransport::open(udpPort);
    if (!transport) return -1;
    markOpen(ModeNetworkBox, std::move(transport));
    return udpPort;
}

int32_t initComm(int32_t port, int32_t mode, int32_t baud, int32_t format) {
    LibraryState& s = state();
    clearReply();
    // The first adapter again, also for a network box that stays open because this call is
    // refused.
    if (s.transport) {
        if (NetworkBoxTransport* box = s.transport->networkBox()) box->adapters().index = 0;
    }
    s.terminalPassword = kDefaultPassword;
    loadDefaultCipherKey();
    s.lastError = 0;
    s.stampLength = 0;
    if (s.openMode != kNoDevice) {
        setError(ErrAlreadyInitialized);
        return -1;
    }
    if (mode < 0 || mode > 8 || !portAllowed(mode, port) || !argumentsAllowed(mode, baud, format)) {
        setError(ErrWrongParameters);
        return -1;
    }
    if (mode == ModeReserved7) return -1;
    if (isSelvoMode(mode)) return openSelvo(port, mode, baud, format);
    if (isRs232Mode(mode)) return openRs232(port, mode, baud, format);
    return openNetworkBox(port);
}

int32_t exitComm() {
    clearErrorAndReply();
    LibraryState& s = state();
    if (s.openMode == kNoDevice) {
        setError(ErrNotInitialized);
        return -1;
    }
    if (s.transport->close() != 0) return -1;
    s.transport.reset();
    s.openMode = kNoDevice;
    s.selectedTerminal = kNoTerminal;
    return 0;
}

}  // namespace
}  // namespace kavex

extern "C" {

KAVEX_API int32_t InitCOMM(int32_t port, int32_t mode, int32_t baud, int32_t format) {
    return kavex::guarded([&] { return kavex::initComm(port, mode, baud, format); });
}

KAVEX_API int32_t ExitCOMM(void) {
    return kavex::guarded([] { return kavex::exitComm(); });
}

}  // extern "C"
