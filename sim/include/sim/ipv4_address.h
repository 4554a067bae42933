// Dotted IPv4 address texts, and the loopback network that is the only one the box may reach.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

// The address (host byte order) of a text in canonical dotted form ("127.0.0.2": four numbers
// 0-255 without leading zeros or blanks); nothing for any other text.
std::optional<uint32_t> parseDottedAddress(const std::string& text);
std::string dottedAddress(uint32_t address);
// In 127.0.0.0/8.
bool isLoopback(uint32_t address);
bool isLoopbackText(const std::string& text);

}  // namespace sim
