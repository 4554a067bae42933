// SetTerminal, ChgTerminal and SetPassword: selecting a terminal, the wake-up and logon
// dialogue of each connection mode, the password prompt and the model identification.
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "errors.h"
#include "exchange.h"
#include "export_guard.h"
#include "kavex.h"
#include "library_state.h"
#include "network_box_transport.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "selvo_transport.h"
#include "transport.h"

namespace kavex {
namespace {

constexpr const char* kEot = "\x04";
constexpr const char* kIdentifyBetweenXon = "\x11%XI\x11";
constexpr const char* kPasswordPrompt = "..";
constexpr int kWakeUpPolls = 10;
constexpr int kPollAcknowledged = 1;
constexpr int kPollMessage = 2;
constexpr int32_t kIndirectMaxTerminal = 31;

struct Model {
    const char* name;
    bool ovrid;
};

// Searched in this order; the first found decides.
constexpr std::array<Model, 6> kModels{{{"Pello", false},
                                         {"Ovrid", true},
                                         {"Kestrum", false},
                                         {"Dorva+", false},
                                         {"Tirel", false},
                                         {"QR7", false}}};

char* reply() { return state().replyBuffer; }

std::string numbered(const char* word, int32_t terminal) {
    char text[32];
    std::snprintf(text, sizeof text, "%s %03d", word, terminal);
    return text;
}

std::string lineDriverSwitch(int32_t terminal) {
    char text[16];
    std::snprintf(text, sizeof text, ">PS%03d\r", terminal);
    return text;
}

int32_t parameterFailure() {
    state().selectedTerminal = kNoTerminal;
    setError(ErrWrongParameters);
    return -1;
}

// Sends the password; true when the terminal echoes the command exactly.
bool passwordAccepted() {
    const std::string command = "@PW " + state().terminalPassword;
    return sendCommand(command.c_str(), reply()) == 0 && command == reply();
}

bool recognisedModel(const char* text) {
    for (const Model& model : kModels) {
        if (std::strstr(text, model.name) != nullptr) {
            if (model.ovrid) state().ovridFlag = true;
            return true;
        }
    }
    return false;
}

bool identifyTerminal() {
    if (sendCommand("%XI", reply()) != 0) return false;
    if (std::strcmp(reply(), kPasswordPrompt) == 0 && passwordAccepted()) return true;
    return recognisedModel(reply());
}

// The password step: a refusal restores the error code from before it and deselects.
int32_t passwordStep() {
    const int32_t remembered = state().lastError;
    if (passwordAccepted()) return 0;
    state().lastError = remembered;
    state().selectedTerminal = kNoTerminal;
    return -1;
}

// Modes 3 and 4: identification between XON bytes, EOT, LOGOFF and the password prompt.
int32_t logonDialogue() {
    postCommand(kIdentifyBetweenXon);
    readReply(reply(), 4);
    if (sendCommand(kEot, reply()) != 0) {
        setError(ErrEotIgnored);
        return -1;
    }
    drainReplies();
    if (sendCommand("LOGOFF", reply()) != 0) {
        setError(ErrBadLogoff);
        return -1;
    }
    if (std::strcmp(reply(), kPasswordPrompt) == 0) return passwordStep();
    return 0;
}

int32_t identificationResult() { return identifyTerminal() ? 0 : -2; }

int32_t wakeSelvoTerminal(SelvoTransport& bus, int32_t terminal) {
    bus.sendMessage(terminal, kEot);
    platform::sleepMs(50);
    char message[kReplyCapacity];
    for (int attempt = 0; attempt < kWakeUpPolls; ++attempt) {
        const int32_t r = bus.poll(terminal, message);
        if (r == kPollAcknowledged) return identificationResult();
        if (r == kPollMessage) bus.poll(terminal, message);
    }
    state().selectedTerminal = kNoTerminal;
    setError(ErrCannotTalk);
    return -1;
}

int32_t logOnThroughLineDriver(platform::SerialPort& port, int32_t terminal) {
    port.write(std::string("\x11"));
    drainReplies();
    port.purge(false, true);
    port.write(lineDriverSwitch(terminal));
    platform::sleepMs(100);
    if (sendCommand(kEot, reply()) != 0) {
        setError(ErrEotIgnored);
        return -1;
    }
    return identificationResult();
}

int32_t logOnDirect() {
    postCommand("RING");
    readReply(reply(), 2);
    state().echoFlag = std::strcmp(reply(), "RING") == 0;
    if (logonDialogue() != 0) return -1;
    return identificationResult();
}

int32_t logOnIndirect(int32_t terminal) {
    if (logonDialogue() != 0) return -1;
    if (!identifyTerminal()) return -2;
    if (terminal == 0) return 0;
    const std::string routing = numbered("LOGON", terminal);
    if (sendCommand(routing.c_str(), reply()) != 0) return -1;
    if (routing != reply()) {
        setError(ErrBadLogon);
        return -1;
    }
    readReply(reply(), 1);
    return identificationResult();
}

// Mode 6: the next reply counts as new, and the box's serial side decides the numbers; 0, or
// -1 with the error set (91 when no box was selected).
int32_t checkTerminalBehindBox(NetworkBoxTransport& box, int32_t terminal) {
    box.forgetLastReply();
    switch (box.boxSerialMode()) {
        case NetworkBoxTransport::kNoBox:
            state().selectedTerminal = kNoTerminal;
            setError(ErrNoLanbrick);
            return -1;
        case NetworkBoxTransport::kMultiDrop:
            return terminal >= 1 ? 0 : parameterFailure();
        default:
            return terminal == 0 ? 0 : parameterFailure();
    }
}

// Mode 6: EOT until the terminal answers with EOT or stops answering, then identification. A
// terminal that keeps answering something else (a transfer still running) is given a bounded
// number of EOTs, so that the selection cannot hang.
constexpr int kBoxWakeUpLimit = 100;

int32_t logOnBehindBox() {
    postCommand(kEot);
    for (int sent = 1; sent < kBoxWakeUpLimit; ++sent) {
        if (readReply(reply(), 1) != 0 || reply()[0] == '\x04') break;
        postCommand(kEot);
    }
    return identificationResult();
}

// Whether `terminal` is a number the open mode can address.
bool terminalFitsMode(int32_t mode, int32_t terminal) {
    if (isSelvoMode(mode) || mode == ModeLineDriver) return terminal >= 1;
    if (mode == ModeRs232) return terminal == 0;
    if (mode == ModeRs232Indirect) return terminal <= kIndirectMaxTerminal;
    return true;
}

// The selection steps SetTerminal and ChgTerminal share: a device must be open, the number is
// stored once it is in range, and it must suit the mode (behind a box, the box's serial side).
// 0 when the number is taken, -1 with the error set.
int32_t takeTerminalNumber(int32_t terminal) {
    LibraryState& s = state();
    if (s.openMode == kNoDevice) {
        setError(ErrNotInitialized);
        return -1;
    }
    if (terminal < 0 || terminal > 254) return parameterFailure();
    s.selectedTerminal = static_cast<uint8_t>(terminal);
    if (NetworkBoxTransport* box = s.transport->networkBox()) {
        return checkTerminalBehindBox(*box, terminal);
    }
    return terminalFitsMode(s.openMode, terminal) ? 0 : parameterFailure();
}

int32_t setTerminal(int32_t terminal) {
    LibraryState& s = state();
    s.lastError = 0;
    s.ovridFlag = false;
    s.echoFlag = false;
    clearReply();
    if (takeTerminalNumber(terminal) != 0) return -1;
    if (s.transport->networkBox() != nullptr) return logOnBehindBox();
    if (SelvoTransport* bus = s.transport->selvo()) return wakeSelvoTerminal(*bus, terminal);
    switch (s.openMode) {
        case ModeLineDriver: return logOnThroughLineDriver(*s.transport->serialPort(), terminal);
        case ModeRs232: return logOnDirect();
        default: return logOnIndirect(terminal);
    }
}

int32_t chgTerminal(int32_t terminal) {
    LibraryState& s = state();
    clearErrorAndReply();
    if (takeTerminalNumber(terminal) != 0) return -1;
    if (s.openMode == ModeLineDriver) {
        platform::SerialPort& port = *s.transport->serialPort();
        port.write(std::string("\x11"));
        platform::sleepMs(2000);
        port.purge(false, true);
        port.write(lineDriverSwitch(terminal));
        platform::sleepMs(100);
    } else if (s.openMode == ModeRs232Indirect) {
        const std::string routing = terminal == 0 ? "LOGOFF" : numbered("LOGON", terminal);
        sendCommand(routing.c_str(), reply());  // the relay's answer is not examined
    }
    return 0;
}

}  // namespace
}  // namespace kavex

extern "C" {

KAVEX_API int32_t SetTerminal(int32_t terminal) {
    return kavex::guarded([&] { return kavex::setTerminal(terminal); });
}

KAVEX_API int32_t ChgTerminal(int32_t terminal) {
    return kavex::guarded([&] { return kavex::chgTerminal(terminal); });
}

KAVEX_API int32_t SetPassword(const char* password) {
    if (password == nullptr) return -1;
    const size_t length = strnlen(password, 6);
    if (length < 1 || length > 5) return -1;
    kavex::state().terminalPassword = password;
    return 0;
}

}  // extern "C"
