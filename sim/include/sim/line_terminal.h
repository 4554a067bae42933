// What answers command lines at the far end of an RS232 line: one simulated terminal, or a
// terminal that relays to others. The serial adapters cut the byte stream into lines and hand
// each line here; the answer is the list of reply lines to send, without their line ends.
#pragma once

#include <string>
#include <vector>

namespace sim {

class LineTerminal {
public:
    virtual ~LineTerminal() = default;

    // One received line without its carriage return. An empty line is a lone CR.
    virtual std::vector<std::string> command(const std::string& text) = 0;

    // True while a transfer waits for the computer's lone CR before its next line, so that the
    // line carrying that CR is no command (an echoing line does not repeat it).
    virtual bool awaitsCarriageReturn() const = 0;

    // On a line where the computer asks for each record of a transfer with a lone CR, the
    // terminal sends one line per CR; elsewhere it sends the whole transfer at once.
    virtual void setCarriageReturnPacing(bool paced) = 0;
};

}  // namespace sim
