#include "operation_support.h"

#include <cstdlib>
#include <cstring>

#include "errors.h"
#include "exchange.h"
#include "library_state.h"
#include "platform/serial_port.h"
#include "rs232_transport.h"
#include "transport.h"

namespace kavex {

char* lastReply() { return state().replyBuffer; }

int32_t fail(int32_t code) {
    setError(code);
    return -1;
}

bool lengthWithin(const char* text, size_t limit) {
    const size_t length = strnlen(text, limit + 1);
    return length >= 1 && length <= limit;
}

int64_t decimalValue(const char* text) { return std::strtoll(text, nullptr, 10); }

bool onDirectLine() {
    return state().openMode == ModeRs232 || state().openMode == ModeRs232Indirect;
}

bool pacedTransfer() { return onDirectLine() && !state().ovridFlag; }

void askForNextLine() {
    if (!pacedTransfer()) return;
    if (platform::SerialPort* port = state().transport->serialPort()) port->write(std::string("\r"));
}

int32_t boxWaitUnits() {
    const int32_t units = state().winSockTimeout / 500;
    return units > 0 ? units : 1;
}

int32_t recordWaitUnits(bool boxWait) {
    if (boxWait && state().openMode == ModeNetworkBox) return boxWaitUnits();
    return waitUnits(state().responseTimeout);
}

void discardReceived() {
    if (state().transport == nullptr) return;
    if (Rs232Transport* line = state().transport->rs232()) {
        line->purge(false, true);
    } else if (platform::SerialPort* port = state().transport->serialPort()) {
        port->purge(false, true);
    }
}

void longDrain() {
    char line[kReplyCapacity];
    while (readReply(line, waitUnits(state().purgeWait)) == 0) {
    }
}

SavedError::SavedError() : code(state().lastError), reply(state().replyBuffer) {}

void SavedError::restore() const {
    state().lastError = code;
    copyText(state().replyBuffer, kReplyCapacity, reply);
}

}  // namespace kavex
