#include "sim/ipv4_address.h"

#include <arpa/inet.h>

namespace sim {

std::optional<uint32_t> parseDottedAddress(const std::string& text) {
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1) return std::nullopt;
    const uint32_t value = ntohl(address.s_addr);
    if (dottedAddress(value) != text) return std::nullopt;
    return value;
}

std::string dottedAddress(uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

bool isLoopback(uint32_t address) {
    return (address >> 24) == 127;
}

bool isLoopbackText(const std::string& text) {
    const std::optional<uint32_t> address = parseDottedAddress(text);
    return address && isLoopback(*address);
}

}  // namespace sim
