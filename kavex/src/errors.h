// Error codes, their English messages and the two forms in which GetError reports them.
#pragma once

#include <cstdint>
#include <string>

namespace kavex {

enum KavexError : int32_t {
    ErrNone = 0,
    ErrAlreadyInitialized = 1,
    ErrNotInitialized = 2,
    ErrWrongParameters = 3,
    ErrNoTerminal = 4,
    ErrWrongDevice = 5,
    ErrLanBrickNotInitialized = 6,
    ErrNoWinSockFunctions = 7,
    ErrNetworkFailed = 8,
    ErrWinSock = 9,
    ErrSelvoNotFound = 10,
    ErrSelvoSpeed = 21,
    ErrRs232Open = 22,
    ErrRs232Setup = 23,
    ErrGetComState = 24,
    ErrSetComState = 25,
    ErrSetComTimeouts = 26,
    ErrFlushTransmit = 27,
    ErrFlushReceive = 28,
    ErrBadSelvoPort = 29,
    ErrCloseSelvo = 30,
    ErrCloseRs232 = 31,
    ErrHostNotFound = 32,
    ErrWsaInProgress = 33,
    ErrWsaFault = 34,
    ErrBadEndOfRecord = 35,
    ErrNoReply = 40,
    ErrWrongTerminal = 41,
    ErrCannotSend = 42,
    ErrEotIgnored = 45,
    ErrNoIdReply = 46,
    ErrCannotTalk = 47,
    ErrDriveNotAvailable = 48,
    ErrTimeIgnored = 49,
    ErrDateIgnored = 50,
    ErrConfigIgnored = 51,
    ErrDirIgnored = 52,
    ErrFilesOverflow = 53,
    ErrFilesMismatch = 54,
    ErrLoadIgnored = 55,
    ErrOpenFile = 56,
    ErrRecordTooLong = 57,
    ErrReadRecord = 58,
    ErrSendRecord = 59,
    ErrRecordsMismatch = 60,
    ErrRecordKeyNotFound = 61,
    ErrSendIgnored = 62,
    ErrRecordsOverflow = 64,
    ErrDelIgnored = 65,
    ErrCloseFile = 67,
    ErrBadChecksum = 68,
    ErrWindows = 70,
    ErrNoWinSock = 71,
    ErrWinSockStartup = 72,
    ErrWinSockVersion = 73,
    ErrCreateSocket = 74,
    ErrBindSocket = 75,
    ErrSocketMode = 76,
    ErrSendMessage = 77,
    ErrReceiveMessage = 78,
    ErrWinSockTimeout = 79,
    ErrBadLogoff = 80,
    ErrBadLogon = 81,
    ErrBadDialEcho = 82,
    ErrBadDialReply = 83,
    ErrHangUp = 84,
    ErrModemInit = 85,
    ErrModemInitReply = 86,
    ErrModemEcho = 87,
    ErrCannotReceive = 88,
    ErrConnectSocket = 89,
    ErrDialTimeout = 90,
    ErrNoLanbrick = 91,
    ErrInitPacket = 92,
    ErrRecordOverflow = 93,
    ErrWriteRecord = 94,
    ErrErrorPacket = 96,
    ErrConnectionClosed = 97,
    ErrCloseWinSock = 98,
    ErrInternal = 99,
    ErrAdapter = 101,
    ErrLocalAdapter = 102,
};

// The message of a code; empty for a code that has none.
const char* errorMessage(int32_t code);

// True for the codes reported by their formatted text alone.
bool isFormattedError(int32_t code);

// Sets LastError.
void setError(int32_t code);
// Sets LastError and ErrorText = message followed at once by the number ("%s%d").
void setErrorWithNumber(int32_t code, long number);
// Error 70: ErrorText = "Windows error:", one blank and the port's error flags.
void setWindowsError(uint32_t flags);

// What GetError writes for the current error.
std::string currentErrorText();

}  // namespace kavex
