// The clock and calendar, the numbered parameters and the current drive.
#include <array>
#include <cstdio>

#include "terminal_state.h"

namespace sim {
namespace {

constexpr size_t kMaxParameterValue = 32;
// Days a month may have; February always takes 29, and a 29th that the year lacks becomes the
// 1st of March, as the clock chip rolls over.
constexpr std::array<int, 12> kMonthLengths = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int number(const std::string& text, size_t at, size_t length) {
    return std::stoi(text.substr(at, length));
}

Answer readTime(const TerminalState& state) {
    const CivilDateTime now = civilDateTime(terminalNow(state));
    char line[16];
    std::snprintf(line, sizeof line, "@TIME %02d%02d%02d", now.hour, now.minute, now.second);
    return reply(line);
}

Answer readDate(const TerminalState& state) {
    const CivilDateTime now = civilDateTime(terminalNow(state));
    char line[16];
    std::snprintf(line, sizeof line, "@DATE %d%02d%02d%02d", now.weekday, now.year % 100, now.month,
                  now.day);
    return reply(line);
}

void setClock(TerminalState& state, CivilSeconds wanted) {
    state.clockOffset = wanted - state.config.hostClock();
}

Answer setTime(TerminalState& state, const std::string& text) {
    const std::string digits = text.substr(6);
    if (digits.size() != 6 || !allDigits(digits)) return refused(text);
    const int hour = number(digits, 0, 2), minute = number(digits, 2, 2);
    const int second = number(digits, 4, 2);
    if (hour > 23 || minute > 59 || second > 59) return refused(text);
    const CivilDateTime now = civilDateTime(terminalNow(state));
    setClock(state, civilSeconds(now.year, now.month, now.day, hour, minute, second));
    return reply(text);
}

Answer setDate(TerminalState& state, const std::string& text) {
    const std::string digits = text.substr(6);
    if (digits.size() != 7 || !allDigits(digits)) return refused(text);
    const int weekday = number(digits, 0, 1), year = 2000 + number(digits, 1, 2);
    const int month = number(digits, 3, 2), day = number(digits, 5, 2);
    if (weekday > 6 || month < 1 || month > 12 || day < 1 || day > kMonthLengths[month - 1]) {
        return refused(text);
    }
    const CivilDateTime now = civilDateTime(terminalNow(state));
    const bool rollsOver = !isCalendarDay(year, month, day);
    setClock(state, civilSeconds(year, rollsOver ? 3 : month, rollsOver ? 1 : day, now.hour,
                                 now.minute, now.second));
    return reply(text);
}

// "@CFG nn" reads, "@CFG nn value" sets (the value may be empty, the blank before it stays).
Answer parameterCommand(TerminalState& state, const std::string& text) {
    const std::string digits = text.substr(5, 2);
    if (digits.size() != 2 || !allDigits(digits)) return refused(text);
    const int parameter = number(digits, 0, 2);
    if (text.size() == 7) return reply(text + " " + state.parameters[parameter]);
    if (text[7] != ' ' || text.size() - 8 > kMaxParameterValue) return refused(text);
    state.parameters[parameter] = text.substr(8);
    return reply(text);
}

// "@CD x" (the blank may be left out).
Answer changeDrive(TerminalState& state, const std::string& text) {
    const std::string rest = text.substr(3);
    const std::string letter = rest.size() == 2 && rest[0] == ' ' ? rest.substr(1) : rest;
    if (letter.size() != 1) return refused(text);
    if (state.config.drives.find(letter[0]) == std::string::npos) {
        return reply("Drive not available");
    }
    state.drive = letter[0];
    return reply(text);
}

}  // namespace

std::optional<Answer> clockConfigCommand(TerminalState& state, const std::string& text) {
    if (text == "@TIME") return readTime(state);
    if (text == "@DATE") return readDate(state);
    if (text.starts_with("@TIME ")) return setTime(state, text);
    if (text.starts_with("@DATE ")) return setDate(state, text);
    if (text.starts_with("@CFG ")) return parameterCommand(state, text);
    if (text.starts_with("@CD")) return changeDrive(state, text);
    return std::nullopt;
}

}  // namespace sim
