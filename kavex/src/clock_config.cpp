// GetTime, SetTime, GetDate, SetDate, GetParameter, SetParameter, GetAllParams, SetAllParams and
// ChgDrv: one command each, sent with SendCommand; a setting is confirmed by the exact echo of
// its command, a reading comes back as the command word and the value.
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "errors.h"
#include "exchange.h"
#include "export_guard.h"
#include "kavex.h"
#include "library_state.h"
#include "operation_support.h"

namespace kavex {
namespace {

constexpr int32_t kParameterCount = 100;
constexpr size_t kMaxParameterValue = 32;
constexpr size_t kClockValueOffset = 6;      // "@TIME " and "@DATE "
constexpr size_t kParameterValueOffset = 8;  // "@CFG nn "
constexpr int32_t kTableFailureBase = 100;   // a table failure at parameter i gives i - 100

// February always allows 29: there is no leap-year rule.
constexpr std::array<int, 12> kMonthLengths{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool allDigits(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

int field(const char* text, size_t at, size_t width) {
    int value = 0;
    for (size_t i = at; i < at + width; ++i) value = value * 10 + (text[i] - '0');
    return value;
}

bool exactDigits(const char* text, size_t count) {
    return strnlen(text, count + 1) == count && allDigits(text, count);
}

// hhmmss with hours 0-23, minutes and seconds 0-59.
bool validTime(const char* text) {
    return exactDigits(text, 6) && field(text, 0, 2) <= 23 && field(text, 2, 2) <= 59 &&
           field(text, 4, 2) <= 59;
}

// wyymmdd with the day of the week 0-6, month 1-12 and a day the month has.
bool validDate(const char* text) {
    if (!exactDigits(text, 7) || field(text, 0, 1) > 6) return false;
    const int month = field(text, 3, 2);
    const int day = field(text, 5, 2);
    return month >= 1 && month <= 12 && day >= 1 && day <= kMonthLengths[month - 1];
}

std::string parameterCommand(int32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "@CFG %02d", number);
    return text;
}

// Sends `command` and requires its exact echo; else `ignored`.
int32_t confirmedSetting(const std::string& command, int32_t ignored) {
    if (sendCommand(command.c_str(), lastReply()) != 0) return -1;
    return command == lastReply() ? 0 : fail(ignored);
}

// The value of a reading: the reply after its first `offset` characters.
const char* valueAfter(size_t offset) {
    return std::strlen(lastReply()) >= offset + 1 ? lastReply() + offset : "";
}

// Reads a clock value into `out`; a reply too short to hold one is `ignored`.
int32_t readClock(const char* command, char* out, int32_t ignored) {
    clearErrorAndReply();
    if (out == nullptr) return fail(ErrWrongParameters);
    if (requireTerminal() != 0) return -1;
    if (sendCommand(command, lastReply()) != 0) return -1;
    if (std::strlen(lastReply()) < kClockValueOffset + 1) return fail(ignored);
    copyText(out, kReplyCapacity, valueAfter(kClockValueOffset));
    return 0;
}

// Sets the clock from `value` when `valid` accepts it.
int32_t setClock(const char* word, const char* value, bool (*valid)(const char*),
                 int32_t ignored) {
    clearErrorAndReply();
    if (value == nullptr) return fail(ErrWrongParameters);
    if (requireTerminal() != 0) return -1;
    if (!valid(value)) return fail(ErrWrongParameters);
    return confirmedSetting(std::string(word) + " " + value, ignored);
}

// One parameter read after the checks; the value goes into `out` of `capacity` bytes.
int32_t readParameter(int32_t number, char* out, size_t capacity) {
    if (sendCommand(parameterCommand(number).c_str(), lastReply()) != 0) return -1;
    copyText(out, capacity, valueAfter(kParameterValueOffset));
    return 0;
}

int32_t writeParameter(int32_t number, const char* value) {
    return confirmedSetting(parameterCommand(number) + " " + value, ErrConfigIgnored);
}

bool validParameterNumber(int32_t number) { return number >= 0 && number < kParameterCount; }

int32_t getParameter(int32_t number, char* value) {
    clearErrorAndReply();
    if (value == nullptr) return fail(ErrWrongParameters);
    if (requireTerminal() != 0) return -1;
    if (!validParameterNumber(number)) return fail(ErrWrongParameters);
    return readParameter(number, value, kReplyCapacity);
}

int32_t setParameter(int32_t number, const char* value) {
    clearErrorAndReply();
    const char* text = value == nullptr ? "" : value;
    if (strnlen(text, kMaxParameterValue + 1) > kMaxParameterValue) {
        return fail(ErrWrongParameters);
    }
    if (requireTerminal() != 0) return -1;
    if (!validParameterNumber(number)) return fail(ErrWrongParameters);
    return writeParameter(number, text);
}

// Runs `one` for every selected parameter; the first failure at parameter i gives i - 100.
template <typename One>
int32_t forEachSelected(const int32_t* selected, One one) {
    for (int32_t i = 0; i < kParameterCount; ++i) {
        if (selected[i] == 0) continue;
        if (one(i) != 0) return i - kTableFailureBase;
    }
    return 0;
}

int32_t getAllParams(const int32_t* selected, char* values) {
    clearErrorAndReply();
    if (selected == nullptr || values == nullptr) return fail(ErrWrongParameters);
    return forEachSelected(selected, [values](int32_t i) {
        clearErrorAndReply();
        if (requireTerminal() != 0) return -1;
        return readParameter(i, values + KAVEX_PARAMETER_SLOT_SIZE * i,
                             KAVEX_PARAMETER_SLOT_SIZE);
    });
}

int32_t setAllParams(const int32_t* selected, const char* values) {
    clearErrorAndReply();
    if (selected == nullptr || values == nullptr) return fail(ErrWrongParameters);
    return forEachSelected(selected, [values](int32_t i) {
        const char* slot = values + KAVEX_PARAMETER_SLOT_SIZE * i;
        // A value must end within its slot: the table is never read past its last slot.
        if (strnlen(slot, KAVEX_PARAMETER_SLOT_SIZE) == KAVEX_PARAMETER_SLOT_SIZE) {
            return fail(ErrWrongParameters);
        }
        clearErrorAndReply();
        if (requireTerminal() != 0) return -1;
        return writeParameter(i, slot);
    });
}

int32_t chgDrv(const char* drive) {
    clearErrorAndReply();
    if (requireTerminal() != 0) return -1;
    if (drive == nullptr || drive[0] < 'A' || drive[0] > 'C') return fail(ErrWrongParameters);
    return confirmedSetting(std::string("@CD ") + drive[0], ErrDriveNotAvailable);
}

}  // namespace
}  // namespace kavex

using namespace kavex;

extern "C" {

KAVEX_API int32_t GetTime(char* time) {
    return guarded([&] { return readClock("@TIME", time, ErrTimeIgnored); });
}

KAVEX_API int32_t SetTime(const char* time) {
    return guarded([&] { return setClock("@TIME", time, validTime, ErrTimeIgnored); });
}

KAVEX_API int32_t GetDate(char* date) {
    return guarded([&] { return readClock("@DATE", date, ErrDateIgnored); });
}

KAVEX_API int32_t SetDate(const char* date) {
    return guarded([&] { return setClock("@DATE", date, validDate, ErrDateIgnored); });
}

KAVEX_API int32_t GetParameter(int32_t number, char* value) {
    return guarded([&] { return getParameter(number, value); });
}

KAVEX_API int32_t SetParameter(int32_t number, const char* value) {
    return guarded([&] { return setParameter(number, value); });
}

KAVEX_API int32_t GetAllParams(const int32_t* selected, char* values) {
    return guarded([&] { return getAllParams(selected, values); });
}

KAVEX_API int32_t SetAllParams(const int32_t* selected, const char* values) {
    return guarded([&] { return setAllParams(selected, values); });
}

KAVEX_API int32_t ChgDrv(const char* drive) {
    return guarded([&] { return chgDrv(drive); });
}

}  // extern "C"
