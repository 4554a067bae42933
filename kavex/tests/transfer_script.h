// The terminal's side of listings and file transfers for the unit tests, on a ScriptedTerminal:
// a command of the script is answered with its first line, and the other lines follow one per
// lone CR when the transfer is paced (a direct or relayed line, not the Ovrid model) or all at
// once otherwise. 0x04 drops what is still queued and is answered with 0x04. A command outside
// the script gets no answer, nor does a lone CR with nothing queued.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "scripted_terminal.h"

namespace kavex_test {

using Lines = std::vector<std::string>;

class TransferScript {
public:
    bool paced = true;

    void on(const std::string& command, Lines lines) { scripts_[command] = std::move(lines); }
    void clear() {
        scripts_.clear();
        queued_.clear();
    }

    ScriptedTerminal::Handler handler() {
        return [this](const std::string& line) { return answer(line); };
    }

private:
    std::optional<std::string> answer(const std::string& line) {
        if (line == "\x04") {
            queued_.clear();
            return line;
        }
        if (line.empty()) {
            if (queued_.empty()) return std::nullopt;
            std::string next = queued_.front();
            queued_.pop_front();
            return next;
        }
        const auto found = scripts_.find(line);
        if (found == scripts_.end() || found->second.empty()) return std::nullopt;
        const Lines& lines = found->second;
        queued_.assign(lines.begin() + 1, lines.end());
        if (paced) return lines.front();
        std::string all = lines.front();
        for (const std::string& more : queued_) all += "\r" + more;
        queued_.clear();
        return all;
    }

    std::map<std::string, Lines> scripts_;
    std::deque<std::string> queued_;
};

// The sum of the record bytes modulo 32768, as the terminal reports it after "RECS ".
inline int32_t recordChecksum(const Lines& records) {
    int32_t sum = 0;
    for (const std::string& r : records) {
        for (const char c : r) sum = (sum + static_cast<unsigned char>(c)) % 32768;
    }
    return sum;
}

// A transfer as the terminal sends it: `head` (the echoed command), the records, and the end
// line with the count and, unless `withChecksum` is false, "RECS " and the checksum.
inline Lines transferLines(const std::string& head, const Lines& records,
                           bool withChecksum = true) {
    Lines lines{head};
    lines.insert(lines.end(), records.begin(), records.end());
    std::string end = "\x04" + std::to_string(records.size());
    if (withChecksum) end += " RECS " + std::to_string(recordChecksum(records));
    lines.push_back(end);
    return lines;
}

}  // namespace kavex_test
