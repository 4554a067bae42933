// The one process-wide state record of the library. Every export reads and writes it through
// state(); nothing else keeps state between calls except the transport that InitCOMM opened.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kavex.h"

namespace kavex {

class Transport;

constexpr int32_t kNoDevice = 255;
constexpr uint8_t kNoTerminal = 255;
constexpr size_t kReplyCapacity = 128;  // a reply line of up to 127 characters and its zero

enum ConnectionMode : int32_t {
    ModeSelvo0 = 0,
    ModeSelvo1 = 1,
    ModeLineDriver = 2,
    ModeRs232 = 3,
    ModeRs232Indirect = 4,
    ModeSelvo2 = 5,
    ModeNetworkBox = 6,
    ModeReserved7 = 7,
    ModeSelvoRadio = 8,
};

bool isSelvoMode(int32_t mode);
bool isRs232Mode(int32_t mode);

struct LibraryState {
    int32_t openMode = kNoDevice;
    uint8_t selectedTerminal = kNoTerminal;
    int32_t lastError = 0;
    char replyBuffer[kReplyCapacity] = {};
    std::string errorText;

    int32_t responseTimeout = 10;    // seconds
    int32_t winSockTimeout = 7000;   // milliseconds
    int32_t udpTryTime = 2000;       // milliseconds, fixed
    int32_t udpTries = 3;
    int32_t purgeWait = 1;           // seconds

    bool addressCheck = true;        // mode 2: replies carry the terminal number
    int32_t stampLength = 0;         // mode 2: characters between the number and the text

    std::string terminalPassword = "70346";
    bool echoFlag = false;
    bool ovridFlag = false;

    // Progress displays (meter.h): shown while meterEnabled is set and a callback is registered.
    bool meterEnabled = false;
    KavexMeterCallback meterCallback = nullptr;
    void* meterContext = nullptr;

    // File transfers. The record keys of the next RecvFile (setting one clears the other).
    int32_t recordKeyNumber = 0;
    std::string recordKeyText;
    // The host's turn every fourth record (transfer_meter.h): the counter is never reset, and
    // the host is known once a meter has been shown to it.
    uint32_t pumpCounter = 0;
    bool meterHostKnown = false;
    // Record limits of RecvFile, SendFile and SendPrg; fixed, lowered only by unit tests.
    struct RecordLimits {
        int32_t receive = 65000;
        int32_t sendFile = 500000;
        int32_t sendProgram = 10000;
    } recordLimits;

    // The device InitCOMM opened; empty while openMode is kNoDevice.
    std::unique_ptr<Transport> transport;
};

LibraryState& state();

// The clearing that almost every export does first: no error, empty reply buffer.
void clearErrorAndReply();
void clearReply();

// Copies text into a caller's buffer of `capacity` bytes, cut to fit, always zero-terminated.
void copyText(char* destination, size_t capacity, const std::string& text);

constexpr const char* kDefaultPassword = "70346";

}  // namespace kavex
