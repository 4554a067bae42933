// ListFiles and DeleFile: the terminal's listing of its files, and deleting one.
#include "file_listing.h"

#include <cstring>

#include "abort_sequence.h"
#include "errors.h"
#include "exchange.h"
#include "export_guard.h"
#include "kavex.h"
#include "library_state.h"
#include "operation_support.h"

namespace kavex {
namespace {

constexpr int32_t kListingWaitUnits = 20;  // 10 s for one listing line
constexpr size_t kSingleEntryOffset = 5;   // "@DIR " before the entry of a whole name

int32_t listingWait() {
    return state().openMode == ModeNetworkBox ? boxWaitUnits() : kListingWaitUnits;
}

// Reads listing lines up to the end line, whose count must equal the lines stored.
int32_t readListing(std::vector<std::string>& entries) {
    char* line = lastReply();
    for (;;) {
        if (readReply(line, listingWait()) != 0) return -1;
        if (line[0] == kEot[0]) break;
        if (entries.size() >= KAVEX_LIST_MAX_ENTRIES) {
            return abortReceiving({}, false, ErrFilesOverflow);
        }
        entries.emplace_back(line);
    }
    if (decimalValue(line + 1) != static_cast<int64_t>(entries.size())) {
        return fail(ErrFilesMismatch);
    }
    return static_cast<int32_t>(entries.size());
}

int32_t listFiles(const char* pattern, char* out) {
    clearErrorAndReply();
    if (requireTerminal() != 0) return -1;
    if (out == nullptr) return fail(ErrWrongParameters);
    const char* text = pattern == nullptr ? "" : pattern;
    if (strnlen(text, kMaxFileName + 1) > kMaxFileName) return fail(ErrWrongParameters);
    std::vector<std::string> entries;
    const int32_t count = listDirectory(text, entries);
    for (size_t i = 0; i < entries.size(); ++i) {
        copyText(out + KAVEX_LIST_ENTRY_SIZE * i, KAVEX_LIST_ENTRY_SIZE, entries[i]);
    }
    return count;
}

int32_t deleFile(const char* name) {
    clearErrorAndReply();
    if (name == nullptr) return fail(ErrWrongParameters);
    if (requireTerminal() != 0) return -1;
    if (!lengthWithin(name, kMaxFileName)) return fail(ErrWrongParameters);
    const std::string command = std::string("@DEL ") + name;
    if (sendCommand(command.c_str(), lastReply()) != 0) return -1;
    return command == lastReply() ? 0 : fail(ErrDelIgnored);
}

}  // namespace

std::string paddedName(const std::string& name) {
    return name.size() >= kMaxFileName ? name : name + std::string(kMaxFileName - name.size(), ' ');
}

int32_t listDirectory(const std::string& pattern, std::vector<std::string>& entries) {
    entries.clear();
    const std::string command = pattern.empty() ? "@DIR" : "@DIR " + pattern;
    if (sendCommand(command.c_str(), lastReply()) != 0) return -1;
    if (std::strncmp(lastReply(), command.c_str(), 3) != 0) return fail(ErrDirIgnored);
    if (!state().ovridFlag && pattern.size() == kMaxFileName) {
        // A whole name: the reply itself answers.
        if (std::strstr(lastReply(), "?*") != nullptr) return 0;
        const size_t length = std::strlen(lastReply());
        entries.emplace_back(length > kSingleEntryOffset ? lastReply() + kSingleEntryOffset : "");
        return 1;
    }
    return readListing(entries);
}

}  // namespace kavex

using namespace kavex;

extern "C" {

KAVEX_API int32_t ListFiles(const char* pattern, char* entries) {
    return guarded([&] { return listFiles(pattern, entries); });
}

KAVEX_API int32_t DeleFile(const char* name) {
    return guarded([&] { return deleFile(name); });
}

}  // extern "C"
