// A terminal for unit tests on an in-memory serial line. It collects the bytes the library writes
// until a carriage return and answers each line through a handler, synchronously or after a
// delay. The flow-control bytes 0x11 and 0x13 are dropped from what it collects, so raw writes
// such as 0x11 or 0x13 alone and the wrapped identification request become ordinary lines.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/memory_port.h"

namespace kavex_test {

class ScriptedTerminal {
public:
    // Gets a line without its carriage return (after the terminal number behind a line driver);
    // gives the reply text, or nothing for no answer.
    using Handler = std::function<std::optional<std::string>(const std::string& line)>;

    // Installs the terminal as the line's peer; detach() (or the destructor) removes it.
    explicit ScriptedTerminal(std::shared_ptr<platform::MemoryLine> line);
    ~ScriptedTerminal();
    ScriptedTerminal(const ScriptedTerminal&) = delete;
    ScriptedTerminal& operator=(const ScriptedTerminal&) = delete;
    void detach();

    Handler handler;
    // Echoes each line, with its carriage return, before the reply.
    bool echo = false;
    // Behind a line driver: a line "nnn<text>" reaches the handler as <text>, and the reply goes
    // back as "nnn", `stamp` and the text. Lines without the three digits (the driver's own
    // set-up texts) reach the handler whole and are answered without a prefix.
    bool lineDriver = false;
    std::string stamp;
    // Puts this number on replies instead of the addressed one.
    std::optional<int> answerAs;
    // Replies arrive this many milliseconds after the line that asks for them.
    uint32_t replyDelayMs = 0;

    // Every line received, in order, as the handler saw it.
    std::vector<std::string> lines;

private:
    void take(uint8_t byte);
    void answer(const std::string& line);
    void send(const std::string& bytes);

    std::shared_ptr<platform::MemoryLine> line_;
    std::string collected_;
};

// A handler answering each line that `table` holds with its text; any other line gets no answer.
ScriptedTerminal::Handler answering(std::map<std::string, std::string> table);

// The answers of a terminal that logs on without a password and names `model` when identified:
// "RING" answered as an unknown command ("RING ??"), 0x04 by a line holding 0x04, "LOGOFF" by
// "OK", "%XI" by `model`.
std::map<std::string, std::string> logonAnswers(const std::string& model);

}  // namespace kavex_test
