#include "abort_sequence.h"

#include <cstring>

#include "errors.h"
#include "exchange.h"
#include "library_state.h"
#include "local_records.h"
#include "operation_support.h"
#include "transfer_meter.h"

namespace kavex {
namespace {

constexpr int kEndAttempts = 3;

bool carriesRecordCount(const char* reply) {
    return std::strchr(reply, kEot[0]) != nullptr && std::strstr(reply, "REC") != nullptr;
}

void closeFile(const TransferParts& parts, bool deleteFile) {
    if (parts.file == nullptr) return;
    if (deleteFile) {
        parts.file->discard();
    } else {
        parts.file->close();
    }
}

void closeMeter(const TransferParts& parts) {
    if (parts.meter != nullptr) parts.meter->close();
}

// Puts back what the failure left and sets the failing step's error, where it names one.
int32_t finish(const SavedError& saved, int32_t stepError) {
    saved.restore();
    if (stepError != 0) setError(stepError);
    return -1;
}

}  // namespace

void endTerminalTransfer() {
    const int attempts = state().openMode == ModeNetworkBox ? 1 : kEndAttempts;
    for (int i = 0; i < attempts; ++i) {
        if (sendCommand(kEot, lastReply()) == 0 && lastReply()[0] == kEot[0]) return;
    }
}

int32_t abortReceiving(TransferParts parts, bool deleteFile, int32_t stepError) {
    const SavedError saved;
    closeFile(parts, deleteFile);
    endTerminalTransfer();
    // The line is emptied before the error is put back, so that GetError shows the cause.
    if (onDirectLine()) {
        drainReplies();
        discardReceived();
    }
    closeMeter(parts);
    return finish(saved, stepError);
}

int32_t abortFileLoad(const std::string& name, TransferParts parts, int32_t stepError) {
    const SavedError saved;
    closeFile(parts, false);
    for (int i = 0; i < kEndAttempts; ++i) {
        if (sendCommand(kEot, lastReply()) != 0 || !carriesRecordCount(lastReply())) break;
    }
    sendCommand(("@DEL " + name).c_str(), lastReply());  // its reply is not examined
    closeMeter(parts);
    return finish(saved, stepError);
}

int32_t abortProgramLoad(TransferParts parts, int32_t stepError) {
    const SavedError saved;
    closeFile(parts, false);
    endTerminalTransfer();
    closeMeter(parts);
    return finish(saved, stepError);
}

}  // namespace kavex
