// The listing of the terminal's files, shared by ListFiles and the listing step of RecvFile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kavex {

// Lists the files matching `pattern` (at most 8 characters; "" for all) after the device and
// argument checks: `entries` gets the listing lines whole. The result is that of ListFiles.
int32_t listDirectory(const std::string& pattern, std::vector<std::string>& entries);

// `name` padded on the right with blanks to 8 characters.
std::string paddedName(const std::string& name);

}  // namespace kavex
