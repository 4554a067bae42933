#include "sim/rs232_line.h"

#include <vector>

#include "serial_line_reader.h"

namespace sim {

Rs232Line::Rs232Line(std::shared_ptr<LineTerminal> terminal, bool echo)
    : terminal_(std::move(terminal)), reader_(std::make_unique<SerialLineReader>()), echo_(echo) {
    terminal_->setCarriageReturnPacing(true);
}

Rs232Line::~Rs232Line() = default;

void Rs232Line::received(const uint8_t* data, size_t size, int64_t /*nowNs*/, std::string& out) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    reader_->feed(data, size, lines);
    for (const std::string& line : lines) answer(line, out);
}

void Rs232Line::answer(const std::string& line, std::string& out) {
    const bool asksForRecord = line.empty() && terminal_->awaitsCarriageReturn();
    if (echo_ && !asksForRecord) out += line + '\r';
    for (const std::string& reply : terminal_->command(line)) out += reply + '\r';
}

bool Rs232Line::echo() const {
    std::lock_guard lock(mutex_);
    return echo_;
}

void Rs232Line::setEcho(bool echo) {
    std::lock_guard lock(mutex_);
    echo_ = echo;
}

}  // namespace sim
