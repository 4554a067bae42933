#include "errors.h"

#include <algorithm>
#include <array>
#include <string>

#include "library_state.h"

namespace kavex {
namespace {

struct ErrorEntry {
    int32_t code;
    const char* message;
};

constexpr std::array<ErrorEntry, 95> kMessages{{
    {1, "Device already initialized"}, {2, "Device not initialized"},
    {3, "Wrong parameters"}, {4, "No terminal selected"},
    {5, "Wrong communication device"}, {6, "Lan Brick device not initialized"},
    {7, "No required WinSocket functions"}, {8, "The Network subsystem has failed"},
    {9, "Winsocket error"}, {10, "SELVO dll not found"},
    {11, "SELVO com port not found"}, {12, "Wrong SELVO parameters"},
    {13, "SELVO com port not available"}, {14, "SELVO already initialized"},
    {15, "Bad SELVO timeout"}, {16, "Unable to set SELVO port state"},
    {17, "Unable to set SELVO port touts"}, {18, "Unable to set SELVO port mask"},
    {19, "SELVO OS not supported"}, {20, "Unable to setup SELVO port"},
    {21, "Wrong SELVO speed"}, {22, "Unable to open RS232 com port"},
    {23, "Unable to setup RS232 com port"}, {24, "Unable to get com state"},
    {25, "Unable to set com state"}, {26, "Unable to set com timeouts"},
    {27, "Unable to flush transm. queue"}, {28, "Unable to flush receive queue"},
    {29, "Bad SELVO port ID"}, {30, "Unable to close SELVO port"},
    {31, "Unable to close RS232 port"}, {32, "Author. Answer Host not found"},
    {33, "WSA in Progress"}, {34, "WSA fault"},
    {35, "Bad RS232 end of record"}, {40, "No reply from terminal"},
    {41, "Reply from wrong terminal"}, {42, "Cannot send a message"},
    {43, "Reset command ignored"}, {44, "Reset not performed"},
    {45, "EOT command ignored"}, {46, "No reply to ID request"},
    {47, "Cannot talk with terminal"}, {48, "Drive not available"},
    {49, "Time command ignored"}, {50, "Date command ignored"},
    {51, "Configuration command ignored"}, {52, "Dir command ignored"},
    {53, "Files counter overflow"}, {54, "Files number does not match"},
    {55, "Load command ignored"}, {56, "Not able to open file"},
    {57, "Record too long"}, {58, "Error reading record"},
    {59, "Error sending record"}, {60, "Records number does not match"},
    {61, "Record key not found"}, {62, "Send command ignored"},
    {64, "Records number overflow"}, {65, "Del command ignored"},
    {66, "Bad reply to ID request"}, {67, "Not able to close file"},
    {68, "Bad file checksum"}, {69, "Bad RAM-Card format"},
    {70, "Standard Windows error"}, {71, "WINSOCK dll not found"},
    {72, "Error in WinSocket startup: "}, {73, "Error in WinSocket version: "},
    {74, "Error creating socket: "}, {75, "Error binding socket: "},
    {76, "Error setting socket mode: "}, {77, "Error sending message: "},
    {78, "Error receving message: "}, {79, "WinSocket timeout expired"},
    {80, "Bad reply to LOGOFF"}, {81, "Bad reply to LOGON"},
    {82, "Bad echo to dial command"}, {83, "Bad reply to dial command"},
    {84, "Not able to hangup"}, {85, "Not able to initialize modem"},
    {86, "Bad modem initialization reply"}, {87, "Bad modem echo"},
    {88, "Cannot receive a message"}, {89, "Error connecting socket: "},
    {90, "Modem timeout after dial"}, {91, "No selected Lanbrick"},
    {92, "Init packet received"}, {93, "Record buffer overflow"},
    {94, "Error writing record"}, {96, "Error packet received"},
    {97, "WinSocket connection closed"}, {98, "Error closing WinSocket: "},
    {99, "Internal error"}, {101, "IP Adapter error"},
    {102, "Local IP Adapter not found"},
}};

}  // namespace

const char* errorMessage(int32_t code) {
    const auto* entry = std::find_if(kMessages.begin(), kMessages.end(),
                                     [code](const ErrorEntry& e) { return e.code == code; });
    return entry == kMessages.end() ? "" : entry->message;
}

bool isFormattedError(int32_t code) {
    return code == 70 || (code >= 72 && code <= 78) || code == 89 || code == 98;
}

void setError(int32_t code) { state().lastError = code; }

void setErrorWithNumber(int32_t code, long number) {
    state().lastError = code;
    state().errorText = std::string(errorMessage(code)) + std::to_string(number);
}

void setWindowsError(uint32_t flags) {
    state().lastError = ErrWindows;
    state().errorText = "Windows error: " + std::to_string(flags);
}

std::string currentErrorText() {
    const LibraryState& s = state();
    if (s.lastError == 0) return "None";
    if (isFormattedError(s.lastError)) return s.errorText;
    return std::string(errorMessage(s.lastError)) + ": <" + s.replyBuffer + ">";
}

}  // namespace kavex
