// Sending a framed, checksummed text message to one terminal or to all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace selvoc {

constexpr size_t kMessageLimit = 120;

// The exclusive-or of the text's bytes; 0x80 in place of 0, so that the checksum never ends the
// frame early.
uint8_t messageChecksum(std::string_view text);

// SendMsg: 0, -1 or -3. A null `text` is an empty text.
int32_t sendMessage(int32_t address, const char* text);

}  // namespace selvoc
