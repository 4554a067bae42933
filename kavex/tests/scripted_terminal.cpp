#include "scripted_terminal.h"

#include <cctype>
#include <cstdio>
#include <utility>

namespace kavex_test {
namespace {

constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kXon = 0x11;
constexpr uint8_t kXoff = 0x13;

bool startsWithNumber(const std::string& line) {
    if (line.size() < 3) return false;
    for (size_t i = 0; i < 3; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    }
    return true;
}

std::string threeDigits(int number) {
    char text[8];
    std::snprintf(text, sizeof text, "%03d", number);
    return text;
}

}  // namespace

ScriptedTerminal::ScriptedTerminal(std::shared_ptr<platform::MemoryLine> line)
    : line_(std::move(line)) {
    line_->peer = [this](platform::MemoryLine&, uint8_t byte) { take(byte); };
}

ScriptedTerminal::~ScriptedTerminal() { detach(); }

void ScriptedTerminal::detach() { line_->peer = nullptr; }

void ScriptedTerminal::take(uint8_t byte) {
    if (byte == kXon || byte == kXoff) return;
    if (byte != kCarriageReturn) {
        collected_.push_back(static_cast<char>(byte));
        return;
    }
    std::string line;
    line.swap(collected_);
    if (echo) send(line + '\r');
    answer(line);
}

void ScriptedTerminal::answer(const std::string& line) {
    const bool numbered = lineDriver && startsWithNumber(line);
    const std::string text = numbered ? line.substr(3) : line;
    lines.push_back(text);
    const std::optional<std::string> reply = handler ? handler(text) : std::nullopt;
    if (!reply) return;
    std::string prefix;
    if (numbered) prefix = (answerAs ? threeDigits(*answerAs) : line.substr(0, 3)) + stamp;
    send(prefix + *reply + '\r');
}

void ScriptedTerminal::send(const std::string& bytes) {
    if (replyDelayMs == 0) {
        line_->feed(bytes);
    } else {
        line_->feedAfter(replyDelayMs, bytes);
    }
}

ScriptedTerminal::Handler answering(std::map<std::string, std::string> table) {
    return [table = std::move(table)](const std::string& line) -> std::optional<std::string> {
        const auto found = table.find(line);
        if (found == table.end()) return std::nullopt;
        return found->second;
    };
}

std::map<std::string, std::string> logonAnswers(const std::string& model) {
    return {{"RING", "RING ??"}, {"\x04", "\x04"}, {"LOGOFF", "OK"}, {"%XI", model}};
}

}  // namespace kavex_test
