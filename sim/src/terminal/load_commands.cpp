// Loading files and the program: "@LOAD" and "@LOADP", then one record per line until 0x04.
#include "terminal_state.h"

namespace sim {
namespace {

constexpr int kMaxLoadNumber = 127;

struct LoadRequest {
    std::string name;
    bool append = false;  // the P option
};

// "name", "name P", "name n" or "name Pn", n from 0 to 127.
std::optional<LoadRequest> parseLoad(const std::string& body) {
    const size_t blank = body.find(' ');
    LoadRequest request{.name = body.substr(0, blank), .append = false};
    if (!isTerminalFileName(request.name)) return std::nullopt;
    if (blank == std::string::npos) return request;
    std::string option = body.substr(blank + 1);
    if (option.starts_with("P")) {
        request.append = true;
        option.erase(0, 1);
        if (option.empty()) return request;
    }
    if (!allDigits(option) || option.size() > 3 || std::stoi(option) > kMaxLoadNumber) {
        return std::nullopt;
    }
    return request;
}

Answer startFileLoad(TerminalState& state, const std::string& text) {
    const std::optional<LoadRequest> request = parseLoad(text.substr(6));
    if (!request || request->name == kConfigurationFile) return refused(text);
    DriveFiles& drive = state.files[state.drive];
    const bool exists = drive.contains(request->name);
    if (exists && state.ovrid) return reply(text + " EXISTS");
    if (!request->append || !exists) drive[request->name] = {};
    state.load =
        ActiveLoad{.program = false, .drive = state.drive, .name = request->name, .count = 0};
    return reply(text);
}

Answer startProgramLoad(TerminalState& state, const std::string& text) {
    state.program.clear();
    state.load = ActiveLoad{.program = true, .drive = state.drive, .name = {}, .count = 0};
    return reply(text);
}

}  // namespace

std::optional<Answer> loadCommand(TerminalState& state, const std::string& text) {
    if (text == "@LOADP") return startProgramLoad(state, text);
    if (text.starts_with("@LOAD ")) return startFileLoad(state, text);
    return std::nullopt;
}

// Records are stored as they come, so a load that is broken off leaves the part received.
Answer loadRecord(TerminalState& state, const std::string& text) {
    ActiveLoad& load = *state.load;
    if (text == std::string(1, kEot)) {
        const int64_t count = reportedCount(state, load.count);
        state.load.reset();
        return reply(std::to_string(count));
    }
    Records& target = load.program ? state.program : state.files[load.drive][load.name];
    target.push_back(text);
    ++load.count;
    return reply(text);
}

}  // namespace sim
