// The relaying terminal of the indirect RS232 link: terminal 0 sits on the line and, after
// "LOGON nnn" (answered with its exact echo), passes every line on to terminal nnn (1-31) and
// that terminal's replies back. Put it behind an Rs232Line.
//
// Routing rules:
// - "LOGON nnn" while not routed: the echo and routing to nnn when terminal nnn is attached and
//   terminal 0 is logged on (".." while it still wants its password); "LOGON 000" is echoed and
//   keeps terminal 0; a number without a terminal, or a malformed one, gets "<command> ??".
// - "LOGOFF" while routed is not passed on as a command of its own: the routed terminal is logged
//   off too (its answer is dropped), the link returns to terminal 0, and terminal 0 answers the
//   LOGOFF itself: ".." when it wants a password, so the password that follows goes to it.
// - A silent terminal 0 answers no LOGON either.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "sim/line_terminal.h"
#include "sim/terminal.h"

namespace sim {

class RelayTerminal final : public LineTerminal {
public:
    static constexpr int kHighestRouted = 31;

    explicit RelayTerminal(std::shared_ptr<Terminal> relay);

    // Terminal `number` (1-31) behind the relay; throws std::invalid_argument for another number.
    void attach(int number, std::shared_ptr<Terminal> terminal);

    int routedTo() const;  // 0: the relay itself

    std::vector<std::string> command(const std::string& text) override;
    bool awaitsCarriageReturn() const override;
    void setCarriageReturnPacing(bool paced) override;

private:
    std::vector<std::string> logOn(const std::string& text);
    std::vector<std::string> returnToRelay();
    Terminal& current() const;

    const std::shared_ptr<Terminal> relay_;
    mutable std::mutex mutex_;
    std::map<int, std::shared_ptr<Terminal>> routed_;
    int routedTo_ = 0;
    bool paced_ = false;
};

}  // namespace sim
