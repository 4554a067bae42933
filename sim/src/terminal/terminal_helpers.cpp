#include <algorithm>
#include <cstdio>

#include "terminal_state.h"

namespace sim {

bool isTerminalFileName(const std::string& name) {
    if (name.empty() || name.size() > 8) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x21 && byte <= 0x7E;
    });
}

bool allDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

CivilSeconds terminalNow(const TerminalState& state) {
    return state.config.hostClock() + state.clockOffset;
}

Records configurationRecords(const TerminalState& state) {
    Records records;
    for (int number = 0; number < Terminal::kParameterCount; ++number) {
        char head[4];
        std::snprintf(head, sizeof head, "%02d ", number);
        records.push_back(head + state.parameters[number]);
    }
    return records;
}

std::optional<Records> readFile(const TerminalState& state, const std::string& name) {
    if (name == kConfigurationFile) return configurationRecords(state);
    const auto onDrive = state.files.find(state.drive);
    if (onDrive == state.files.end()) return std::nullopt;
    const auto found = onDrive->second.find(name);
    if (found == onDrive->second.end()) return std::nullopt;
    return found->second;
}

int64_t reportedCount(TerminalState& state, int64_t count) {
    if (state.faults.wrongCounts <= 0) return count;
    --state.faults.wrongCounts;
    return count + 1;
}

}  // namespace sim
