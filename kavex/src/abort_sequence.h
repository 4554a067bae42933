// The abort sequences that end a failed transfer: they release the local file and the meter,
// stop the terminal's side with 0x04, and leave the error of the failing step with the reply
// line that caused it.
#pragma once

#include <cstdint>
#include <string>

namespace kavex {

class LocalFile;
class TransferMeter;

// What a transfer holds when it fails; either may be null.
struct TransferParts {
    LocalFile* file = nullptr;
    TransferMeter* meter = nullptr;
};

// Sends 0x04 to end what the terminal is sending: once behind the network box, else up to
// three times, stopping when a reply begins with 0x04.
void endTerminalTransfer();

// Receiving (ListFiles, RecvFile, ViewFile): closes the local file, deleting it when
// `deleteFile`, ends the terminal's transfer, empties a direct or relayed line, closes the
// meter. The error is `stepError`, or the one in force when it is 0. Gives -1.
int32_t abortReceiving(TransferParts parts, bool deleteFile, int32_t stepError);

// SendFile: closes the local file, ends the load with 0x04 (again while the reply carries the
// terminal's record count), deletes the partial file `name` on the terminal, closes the meter.
// The error is `stepError`, or the one in force when it is 0. Gives -1.
int32_t abortFileLoad(const std::string& name, TransferParts parts, int32_t stepError);

// SendPrg: as receiving, with nothing deleted and the line not emptied. Gives -1.
int32_t abortProgramLoad(TransferParts parts, int32_t stepError);

}  // namespace kavex
