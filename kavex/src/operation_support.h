// Small pieces shared by the terminal operations (clock and configuration, files, sending).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kavex {

constexpr size_t kMaxFileName = 8;  // terminal file names are 1-8 characters
constexpr const char* kEot = "\x04";

// The library's reply buffer, where the operations let SendCommand put each reply so that
// GetError shows it.
char* lastReply();

// Sets `code` and gives -1, the failure result of the operations.
int32_t fail(int32_t code);

// Whether `text` (not null) has 1 to `limit` characters; never reads past `limit` + 1.
bool lengthWithin(const char* text, size_t limit);

// A text read as a decimal number as the C library reads it: leading blanks and a sign
// accepted, digits up to the first other character, 0 when there are none.
int64_t decimalValue(const char* text);

// The RS232 modes 3 and 4, where failed transfers are drained.
bool onDirectLine();

// Whether the terminal sends each line of a transfer only when asked with a lone CR: on a
// direct or relayed RS232 line, except the Ovrid model.
bool pacedTransfer();
// On a paced transfer, writes the lone CR that asks for the next line, outside the framing.
void askForNextLine();

// The wait count of WinSockTimeout, for the waits behind the network box.
int32_t boxWaitUnits();

// The wait count for one record of a transfer: the response time-out, or behind the network box
// WinSockTimeout where `boxWait` says so.
int32_t recordWaitUnits(bool boxWait);

// Empties the serial port's receive queue; nothing on transports without a port.
void discardReceived();

// Reads with n = 2 × PurgeWait until a read returns no line.
void longDrain();

// The error code and reply text of the moment, to be put back after a clean-up that sends or
// reads (so that GetError shows the line that caused the failure).
struct SavedError {
    SavedError();
    void restore() const;

    int32_t code;
    std::string reply;
};

}  // namespace kavex
