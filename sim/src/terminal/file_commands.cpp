// Listing, typed and keyed reads and deletion of the files of the current drive.
#include <algorithm>
#include <numeric>

#include "terminal_state.h"

namespace sim {
namespace {

constexpr int kChecksumModulus = 32768;
constexpr size_t kNameWidth = 8;

std::string padded(const std::string& name) {
    return name.size() >= kNameWidth ? name : name + std::string(kNameWidth - name.size(), ' ');
}

// A pattern is laid over the name padded to 8: "?" matches any character, "*" the rest, a
// shorter pattern the beginning.
bool matches(const std::string& pattern, const std::string& name) {
    const std::string full = padded(name);
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '*') return true;
        if (i >= full.size() || (pattern[i] != '?' && pattern[i] != full[i])) return false;
    }
    return true;
}

int byteSum(const std::string& record) {
    return std::accumulate(record.begin(), record.end(), 0, [](int sum, char c) {
        return (sum + static_cast<unsigned char>(c)) % kChecksumModulus;
    });
}

std::string directoryEntry(const TerminalState& state, const std::string& name,
                           const Records& records) {
    size_t size = records.size();
    if (!state.ovrid) {
        size = 0;
        for (const std::string& record : records) size += record.size() + 2;  // CR LF
    }
    return padded(name) + " " + std::to_string(size);
}

std::vector<std::string> directoryEntries(const TerminalState& state, const std::string& pattern) {
    std::vector<std::string> names = {kConfigurationFile};
    if (const auto onDrive = state.files.find(state.drive); onDrive != state.files.end()) {
        for (const auto& entry : onDrive->second) names.push_back(entry.first);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> entries;
    for (const std::string& name : names) {
        if (matches(pattern, name))
            entries.push_back(directoryEntry(state, name, *readFile(state, name)));
    }
    return entries;
}

std::string endLine(TerminalState& state, int64_t count, int checksum) {
    std::string line = kEot + std::to_string(reportedCount(state, count));
    if (!state.config.checksumInEndLine) return line;
    if (state.faults.wrongChecksums > 0) {
        --state.faults.wrongChecksums;
        checksum = (checksum + 1) % kChecksumModulus;
    }
    return line + " RECS " + std::to_string(checksum);
}

// The broken-line fault: the transfer stops once this many records have gone out.
bool lineBreaks(TerminalState& state, int64_t sent) {
    if (state.faults.breakAfterRecords < 0 || sent < state.faults.breakAfterRecords) return false;
    state.faults.breakAfterRecords = -1;
    return true;
}

Answer broken(Answer answer) {
    answer.broken = true;
    return answer;
}

// `head` is the reply line, carrying `recordsInHead` records (the first of a keyed read); the
// records follow, then the end line, whose checksum covers the records after the head.
Answer transfer(TerminalState& state, std::string head, int64_t recordsInHead,
                Records::const_iterator first, Records::const_iterator last) {
    Answer answer = reply(std::move(head));
    int64_t sent = recordsInHead;
    int checksum = 0;
    for (auto record = first; record != last; ++record, ++sent) {
        if (lineBreaks(state, sent)) return broken(std::move(answer));
        answer.transfer.push_back(*record);
        checksum = (checksum + byteSum(*record)) % kChecksumModulus;
    }
    if (lineBreaks(state, sent)) return broken(std::move(answer));
    answer.transfer.push_back(endLine(state, sent, checksum));
    return answer;
}

// The entry lines of the files matching `pattern`, then the end line with their number.
std::vector<std::string> listingLines(TerminalState& state, const std::string& pattern) {
    std::vector<std::string> lines = directoryEntries(state, pattern);
    const auto count = static_cast<int64_t>(lines.size());
    lines.push_back(kEot + std::to_string(reportedCount(state, count)));
    return lines;
}

Answer listing(TerminalState& state, const std::string& text, const std::string& pattern) {
    if (pattern.size() == kNameWidth && !state.ovrid) {
        const std::vector<std::string> entries = directoryEntries(state, pattern);
        return entries.empty() ? notFound(text) : reply("@DIR " + entries.front());
    }
    Answer answer = reply(text);
    for (std::string& line : listingLines(state, pattern)) answer.lines.push_back(std::move(line));
    return answer;
}

// The "DIR" the application posts: the entries and the end line, without a heading.
Answer postedListing(TerminalState& state, const std::string& text) {
    return Answer{.lines = listingLines(state, text.size() > 4 ? text.substr(4) : ""),
                  .transfer = {}};
}

Answer typeFile(TerminalState& state, const std::string& text) {
    const std::optional<Records> records = readFile(state, text.substr(6));
    if (!records) return notFound(text);
    return transfer(state, text, 0, records->begin(), records->end());
}

struct KeyedRead {
    std::string name;
    std::optional<int64_t> fromRecord;  // "@DBL n name D"
    std::string key;                    // "@DBL key name"
};

std::optional<KeyedRead> parseKeyedRead(const std::string& text) {
    const std::string body = text.substr(5);
    if (body.size() > 2 && body.ends_with(" D")) {
        const std::string inner = body.substr(0, body.size() - 2);
        const size_t blank = inner.find(' ');
        const std::string number = inner.substr(0, blank);
        if (blank != std::string::npos && allDigits(number) && number.size() < 10) {
            return KeyedRead{
                .name = inner.substr(blank + 1), .fromRecord = std::stoll(number), .key = {}};
        }
    }
    const size_t blank = body.rfind(' ');
    if (blank == std::string::npos || blank == 0) return std::nullopt;
    return KeyedRead{
        .name = body.substr(blank + 1), .fromRecord = std::nullopt, .key = body.substr(0, blank)};
}

// The record the reply carries: number n (from 1), or the first that begins with the key.
Records::const_iterator firstRequested(const KeyedRead& request, const Records& records) {
    if (!request.fromRecord) {
        return std::find_if(records.begin(), records.end(), [&](const std::string& record) {
            return record.starts_with(request.key);
        });
    }
    if (*request.fromRecord > static_cast<int64_t>(records.size())) return records.end();
    return records.begin() + (*request.fromRecord - 1);
}

Answer keyedRead(TerminalState& state, const std::string& text) {
    const std::optional<KeyedRead> request = parseKeyedRead(text);
    if (!request || (request->fromRecord && *request->fromRecord < 1)) return refused(text);
    const std::optional<Records> records = readFile(state, request->name);
    if (!records) return notFound(text);
    const auto first = firstRequested(*request, *records);
    if (first == records->end()) return notFound(text);
    return transfer(state, text + " " + *first, 1, first + 1, records->end());
}

Answer deleteFile(TerminalState& state, const std::string& text) {
    const std::string name = text.substr(5);
    if (name == kConfigurationFile) return refused(text);
    const auto onDrive = state.files.find(state.drive);
    if (onDrive == state.files.end() || onDrive->second.erase(name) == 0) return notFound(text);
    return reply(text);
}

}  // namespace

std::optional<Answer> fileCommand(TerminalState& state, const std::string& text) {
    if (text == "@DIR") return listing(state, text, "");
    if (text.starts_with("@DIR ")) return listing(state, text, text.substr(5));
    if (text == "DIR" || text.starts_with("DIR ")) return postedListing(state, text);
    if (text.starts_with("@TYPE ")) return typeFile(state, text);
    if (text.starts_with("@DBL ")) return keyedRead(state, text);
    if (text.starts_with("@DEL ")) return deleteFile(state, text);
    return std::nullopt;
}

}  // namespace sim
