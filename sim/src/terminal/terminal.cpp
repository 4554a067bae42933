// The engine's core: takes a command, hands it to the family that knows it, and paces the
// lines of a transfer.
#include "sim/terminal.h"

#include <array>

#include "terminal_state.h"

namespace sim {
namespace {

constexpr std::array<CommandFamily, 4> kFamilies = {logonCommand, clockConfigCommand, fileCommand,
                                                    loadCommand};
constexpr const char* kDefaultParameter = "0";
constexpr const char* kOvridModel = "Ovrid";

void remember(TerminalState& state, const std::string& text) {
    if (state.received.size() == Terminal::kReceivedLimit) state.received.pop_front();
    state.received.push_back(text);
}

Answer dispatch(TerminalState& state, const std::string& text) {
    for (CommandFamily family : kFamilies) {
        if (std::optional<Answer> answer = family(state, text)) return std::move(*answer);
    }
    return refused(text);
}

bool pacesTransfers(const TerminalState& state) {
    return state.pacedLink && !state.ovrid;
}

std::vector<std::string> nextPacedLine(TerminalState& state) {
    if (state.paced.lines.empty()) return {};
    std::string line = std::move(state.paced.lines.front());
    state.paced.lines.pop_front();
    return {std::move(line)};
}

// On a paced line the transfer waits for the CRs; elsewhere it follows the reply at once.
std::vector<std::string> send(TerminalState& state, Answer answer) {
    if (pacesTransfers(state)) {
        state.paced.lines.assign(answer.transfer.begin(), answer.transfer.end());
        state.paced.broken = answer.broken;
    } else {
        answer.lines.insert(answer.lines.end(), answer.transfer.begin(), answer.transfer.end());
    }
    return std::move(answer.lines);
}

std::vector<std::string> answer(TerminalState& state, const std::string& text) {
    if (state.load && text != "%%") return std::move(loadRecord(state, text).lines);
    if (text.empty()) return nextPacedLine(state);
    state.paced.clear();  // a new command abandons the transfer in progress
    return send(state, dispatch(state, text));
}

}  // namespace

TerminalState::TerminalState(TerminalConfig configuration)
    : config(std::move(configuration)),
      ovrid(config.model.find(kOvridModel) != std::string::npos),
      loggedOn(config.password.empty()),
      clockOffset(config.clockOffset),
      files(config.files) {
    if (!config.hostClock) config.hostClock = hostCivilNow;
    parameters.fill(kDefaultParameter);
    for (const auto& [number, value] : config.parameters) {
        if (number >= 0 && number < Terminal::kParameterCount) parameters[number] = value;
    }
    if (config.punchDays.days > 0) {
        for (auto& [name, records] : generatePunchDays(config.punchDays, terminalNow(*this))) {
            files['A'].try_emplace(name, std::move(records));
        }
    }
}

Terminal::Terminal(TerminalConfig config)
    : state_(std::make_unique<TerminalState>(std::move(config))) {}

Terminal::~Terminal() = default;

std::vector<std::string> Terminal::command(const std::string& text) {
    std::lock_guard lock(mutex_);
    remember(*state_, text);
    if (state_->faults.silent) return {};
    return answer(*state_, text);
}

bool Terminal::awaitsCarriageReturn() const {
    std::lock_guard lock(mutex_);
    return state_->paced.waiting();
}

void Terminal::setCarriageReturnPacing(bool paced) {
    std::lock_guard lock(mutex_);
    state_->pacedLink = paced;
}

std::string Terminal::model() const {
    std::lock_guard lock(mutex_);
    return state_->config.model;
}

bool Terminal::loggedOn() const {
    std::lock_guard lock(mutex_);
    return state_->loggedOn;
}

bool Terminal::loading() const {
    std::lock_guard lock(mutex_);
    return state_->load.has_value();
}

char Terminal::currentDrive() const {
    std::lock_guard lock(mutex_);
    return state_->drive;
}

CivilSeconds Terminal::now() const {
    std::lock_guard lock(mutex_);
    return terminalNow(*state_);
}

std::string Terminal::parameter(int number) const {
    std::lock_guard lock(mutex_);
    if (number < 0 || number >= kParameterCount) return {};
    return state_->parameters[number];
}

std::optional<Records> Terminal::file(char drive, const std::string& name) const {
    std::lock_guard lock(mutex_);
    const auto onDrive = state_->files.find(drive);
    if (onDrive == state_->files.end()) return std::nullopt;
    const auto found = onDrive->second.find(name);
    if (found == onDrive->second.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> Terminal::fileNames(char drive) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    const auto onDrive = state_->files.find(drive);
    if (onDrive == state_->files.end()) return names;
    for (const auto& entry : onDrive->second) names.push_back(entry.first);
    return names;
}

void Terminal::putFile(char drive, const std::string& name, Records records) {
    std::lock_guard lock(mutex_);
    state_->files[drive][name] = std::move(records);
}

Records Terminal::program() const {
    std::lock_guard lock(mutex_);
    return state_->program;
}

std::vector<std::string> Terminal::received() const {
    std::lock_guard lock(mutex_);
    return {state_->received.begin(), state_->received.end()};
}

TerminalFaults Terminal::faults() const {
    std::lock_guard lock(mutex_);
    return state_->faults;
}

void Terminal::setFaults(const TerminalFaults& faults) {
    std::lock_guard lock(mutex_);
    state_->faults = faults;
}

}  // namespace sim
