// Wake-up, logon, password, identification and restart.
#include "terminal_state.h"

namespace sim {
namespace {

constexpr const char* kPasswordPrompt = "..";
constexpr const char* kPasswordCommand = "@PW ";
constexpr const char* kFirmware = " V3.20";

bool passwordWanted(const TerminalState& state) {
    return !state.config.password.empty() && !state.loggedOn;
}

Answer logOff(TerminalState& state) {
    state.loggedOn = state.config.password.empty();
    return reply(passwordWanted(state) ? kPasswordPrompt : "LOGOFF");
}

Answer password(TerminalState& state, const std::string& text) {
    const std::string given = text.substr(std::string(kPasswordCommand).size());
    if (!state.config.password.empty() && given != state.config.password) {
        return reply(kPasswordPrompt);
    }
    state.loggedOn = true;
    return reply(text);
}

Answer identification(const TerminalState& state) {
    if (passwordWanted(state)) return reply(kPasswordPrompt);
    return reply(state.config.model + kFirmware);
}

}  // namespace

void restart(TerminalState& state) {
    state.loggedOn = state.config.password.empty();
    state.load.reset();
    state.paced.clear();
}

std::optional<Answer> logonCommand(TerminalState& state, const std::string& text) {
    if (text == std::string(1, kEot)) return reply(std::string(1, kEot));
    if (text == "LOGOFF") return logOff(state);
    if (text.starts_with(kPasswordCommand)) return password(state, text);
    if (text == "%XI") return identification(state);
    if (text == "%%") {
        restart(state);
        return reply("RESTART");
    }
    return std::nullopt;
}

}  // namespace sim
