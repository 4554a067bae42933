// DialNumber and HangUp: the AT dialogue with a dial-up modem on the RS232 line of modes 2, 3
// and 4. Every answer is read as one line into the reply buffer, so that GetError shows the last
// one. While the modem is talked to, AddressCheck is off, so that on a line-driver line its
// answers are read whole, without a terminal number.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "errors.h"
#include "exchange.h"
#include "export_guard.h"
#include "kavex.h"
#include "library_state.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "rs232_transport.h"
#include "transport.h"

namespace kavex {
namespace {

constexpr size_t kMaxInitLength = 32;
constexpr size_t kMaxNumberLength = 32;
constexpr int32_t kShortestCarrierWait = 45;  // seconds
constexpr int32_t kLongestCarrierWait = 120;
constexpr int kDialAnswerLines = 10;
constexpr int kHangUpAnswerLines = 2;

constexpr const char* kSetUpCommand = "ATE1Q0S7=";  // echo on, result codes on, carrier wait
constexpr const char* kPinEntry = "+CPIN=";
constexpr const char* kRefusal = "ERROR";
constexpr const char* kConnected = "CONNECT";
constexpr const char* kCarrier = "CARRIER";
constexpr const char* kDialFailures = "NO CARRIER:ERROR:NO DIAL TONE:BUSY:NO ANSWER";
constexpr const char* kHungUpAnswers = "OK:NO CARRIER";

// AddressCheck is off while the object lives and on again at every way out.
class AddressCheckOff {
public:
    AddressCheckOff() { state().addressCheck = false; }
    ~AddressCheckOff() { state().addressCheck = true; }
    AddressCheckOff(const AddressCheckOff&) = delete;
    AddressCheckOff& operator=(const AddressCheckOff&) = delete;
};

const char* answer() { return state().replyBuffer; }

// One answer line into the reply buffer, waiting up to n × 500 ms; 0 when a line came.
int readAnswer(int32_t n) { return readReply(state().replyBuffer, n); }

bool answerContains(const char* text) { return std::strstr(answer(), text) != nullptr; }

// Whether the answer is a piece of `list` (an empty answer is).
bool answerWithin(const char* list) { return std::strstr(list, answer()) != nullptr; }

int32_t fail(int32_t error, int32_t result) {
    setError(error);
    return result;
}

bool fitsIn(const char* text, size_t limit) { return strnlen(text, limit + 1) <= limit; }

// The device checks of both operations: a device is open, on an RS232 line.
bool modemLineOpen() {
    if (state().openMode == kNoDevice) {
        setError(ErrNotInitialized);
        return false;
    }
    if (!isRs232Mode(state().openMode)) {
        setError(ErrWrongDevice);
        return false;
    }
    return true;
}

bool asksForPin(const char* init) {
    std::string upper(init);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper.find(kPinEntry) != std::string::npos;
}

// The caller's initialisation text: its exact echo, then the modem's answer. 0, or the result
// of the failure.
int32_t initialise(platform::SerialPort& port, const char* init) {
    port.write(std::string(init) + '\r');
    if (readAnswer(2) != 0) return fail(ErrModemEcho, -1);
    if (std::strcmp(answer(), init) != 0) return fail(ErrModemInitReply, -1);
    if (asksForPin(init)) {
        readAnswer(20);  // a SIM takes its time; what it answers is not examined
    } else {
        readAnswer(1);   // the empty line before the answer
        if (readAnswer(2) == 0 && answerContains(kRefusal)) return fail(ErrModemInitReply, -2);
    }
    platform::sleepMs(100);
    port.purge(false, true);
    return 0;
}

// Reads the modem's answers to the dial command until one decides.
int32_t awaitConnection(int32_t n) {
    for (int i = 0; i < kDialAnswerLines; ++i) {
        if (readAnswer(n) != 0) return fail(ErrDialTimeout, -1);
        if (answer()[0] == '\0' || std::strcmp(answer(), kCarrier) == 0) continue;
        if (answerContains(kConnected)) {
            platform::sleepMs(250);
            return 0;
        }
        if (answerWithin(kDialFailures)) return fail(ErrBadDialReply, -1);
    }
    return fail(ErrDialTimeout, -1);
}

int32_t dialNumber(const char* init, const char* number, int32_t wait) {
    clearErrorAndReply();
    if (!modemLineOpen()) return -1;
    if ((init != nullptr && !fitsIn(init, kMaxInitLength)) || number == nullptr ||
        number[0] == '\0' || !fitsIn(number, kMaxNumberLength) || wait > kLongestCarrierWait) {
        return fail(ErrWrongParameters, -1);
    }
    wait = std::max(wait, kShortestCarrierWait);

    const AddressCheckOff addressCheckOff;
    Rs232Transport& line = *state().transport->rs232();
    line.talkingToModem();
    platform::SerialPort& port = *line.serialPort();
    const std::string setUp = kSetUpCommand + std::to_string(wait) + '\r';

    port.write(std::string("\r"));  // wakes the modem
    platform::sleepMs(1000);
    port.clearErrors();
    port.purge(false, true);
    port.write(setUp);
    platform::sleepMs(250);
    port.purge(false, true);

    if (init != nullptr && init[0] != '\0') {
        if (const int32_t result = initialise(port, init); result != 0) return result;
    }

    port.write(setUp);
    clearReply();
    if (readAnswer(2) != 0) return fail(ErrModemEcho, -2);
    if (answerContains(kRefusal)) return fail(ErrModemInit, -1);
    readAnswer(1);  // the rest of the answer; not examined
    readAnswer(1);

    const std::string dial = std::string("ATD") + number;
    port.write(dial + '\r');
    if (readAnswer(2) != 0) return fail(ErrModemEcho, -1);
    if (dial != answer()) return fail(ErrBadDialEcho, -1);
    const int32_t result = awaitConnection(waitUnits(wait) + 20);  // the carrier wait and 10 s more
    if (result == 0) line.callConnected();
    return result;
}

int32_t hangUp() {
    clearErrorAndReply();
    if (!modemLineOpen()) return -1;

    const AddressCheckOff addressCheckOff;
    Rs232Transport& line = *state().transport->rs232();
    line.talkingToModem();
    platform::SerialPort& port = *line.serialPort();

    if (state().openMode == ModeLineDriver) {
        platform::sleepMs(1000);
        port.write(std::string(">P0\r"));  // the line driver lets go of its terminal
        platform::sleepMs(100);
    }
    platform::sleepMs(1200);  // the guard time before the escape
    port.write(std::string("+++"));
    readAnswer(6);
    readAnswer(2);

    line.holdDtr(false);
    platform::sleepMs(500);
    line.holdDtr(true);
    platform::sleepMs(50);
    port.purge(false, true);
    platform::sleepMs(400);

    port.write(std::string("ATH\r"));
    readAnswer(2);  // the echo
    for (int i = 0; i < kHangUpAnswerLines; ++i) {
        if (readAnswer(4) != 0) return fail(ErrHangUp, -1);
        if (answerWithin(kHungUpAnswers)) {
            platform::sleepMs(200);
            port.purge(true, true);
            return 0;
        }
    }
    port.purge(true, true);
    return fail(ErrHangUp, -1);
}

}  // namespace
}  // namespace kavex

extern "C" {

KAVEX_API int32_t DialNumber(const char* init, const char* number, int32_t wait) {
    return kavex::guarded([&] { return kavex::dialNumber(init, number, wait); });
}

KAVEX_API int32_t HangUp(void) {
    return kavex::guarded([] { return kavex::hangUp(); });
}

}  // extern "C"
