// The exports of the network box: SetIPAddress, LbxCommand, LbxReset, SetRemoteUDPPort and the
// local adapters. Each checks its arguments and the device, then leaves the work to the
// transport.
#include <cstring>
#include <string>

#include "errors.h"
#include "export_guard.h"
#include "kavex.h"
#include "library_state.h"
#include "network_box_transport.h"

namespace kavex {
namespace {

constexpr size_t kMaxBoxCommand = 127;

// The open network box; nullptr (with error 2 set) when the device is not one.
NetworkBoxTransport* openBox() {
    if (state().openMode == ModeNetworkBox && state().transport) {
        if (NetworkBoxTransport* box = state().transport->networkBox()) return box;
    }
    setError(ErrNotInitialized);
    return nullptr;
}

int32_t wrongParameters() {
    setError(ErrWrongParameters);
    return -1;
}

int32_t setIpAddress(const char* address) {
    clearReply();
    if (address == nullptr) return wrongParameters();
    LibraryState& s = state();
    s.lastError = 0;
    s.selectedTerminal = kNoTerminal;
    if (s.openMode == kNoDevice) {
        setError(ErrNotInitialized);
        return -1;
    }
    if (s.openMode != ModeNetworkBox) {
        setError(ErrWrongDevice);
        return -1;
    }
    // Bounded, so that an unterminated text is refused without being read past 16 characters.
    const size_t length = strnlen(address, 16);
    return openBox()->selectBox(std::string(address, length));
}

int32_t lbxCommand(const char* command, char* answer) {
    clearErrorAndReply();
    if (command == nullptr || answer == nullptr) return wrongParameters();
    answer[0] = '\0';
    NetworkBoxTransport* box = openBox();
    if (box == nullptr) return -1;
    if (strnlen(command, kMaxBoxCommand + 1) > kMaxBoxCommand) return wrongParameters();
    return box->boxCommand(command, answer);
}

int32_t lbxReset() {
    clearErrorAndReply();
    NetworkBoxTransport* box = openBox();
    return box == nullptr ? -1 : box->resetBox();
}

int32_t setRemoteUdpPort(int32_t port) {
    clearErrorAndReply();
    if (port < 0 || port > 65535) return wrongParameters();
    if (state().openMode == kNoDevice) {
        setError(ErrNotInitialized);
        return -1;
    }
    if (state().openMode != ModeNetworkBox) {
        setError(ErrWrongDevice);
        return -1;
    }
    openBox()->setRemotePort(static_cast<uint16_t>(port));
    return 0;
}

int32_t changeAdapter(const char* address) {
    clearErrorAndReply();
    if (address == nullptr) return wrongParameters();
    NetworkBoxTransport* box = openBox();
    if (box == nullptr) return -1;
    if (box->adapters().choose(address)) return 0;
    setError(ErrAdapter);
    return -1;
}

int32_t getLocalIpAddress(char* address) {
    clearErrorAndReply();
    if (address == nullptr) return wrongParameters();
    NetworkBoxTransport* box = openBox();
    if (box == nullptr) return -1;
    const AdapterTable& adapters = box->adapters();
    if (adapters.index < 0 || adapters.index > adapters.count()) {
        setError(ErrLocalAdapter);
        return -1;
    }
    copyText(address, KAVEX_ADDRESS_SIZE, adapters.chosen());
    return 0;
}

int32_t getAllIpAddress(char* addresses) {
    clearErrorAndReply();
    if (addresses == nullptr) return wrongParameters();
    NetworkBoxTransport* box = openBox();
    if (box == nullptr) return -1;
    copyText(addresses, KAVEX_ADDRESS_LIST_SIZE, box->adapters().joined());
    return 0;
}

}  // namespace
}  // namespace kavex

using namespace kavex;

extern "C" {

KAVEX_API int32_t SetIPAddress(const char* address) {
    return guarded([&] { return setIpAddress(address); });
}

KAVEX_API int32_t LbxCommand(const char* command, char* answer) {
    return guarded([&] { return lbxCommand(command, answer); });
}

KAVEX_API int32_t LbxReset(void) {
    return guarded([] { return lbxReset(); });
}

KAVEX_API int32_t SetRemoteUDPPort(int32_t port) {
    return guarded([&] { return setRemoteUdpPort(port); });
}

KAVEX_API int32_t ChangeAdapter(const char* address) {
    return guarded([&] { return changeAdapter(address); });
}

KAVEX_API int32_t GetLocalIPAddress(char* address) {
    return guarded([&] { return getLocalIpAddress(address); });
}

KAVEX_API int32_t GetAllIPAddress(char* addresses) {
    return guarded([&] { return getAllIpAddress(addresses); });
}

}  // extern "C"
