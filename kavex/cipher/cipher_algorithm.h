// The cipher of the network box's datagrams: a nibble transposition within 16-byte blocks and
// two XOR layers, chosen per datagram by two selector bytes carried at its end. Free of any
// library state, so that the simulated network box enciphers exactly as the library does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kavex {

constexpr size_t kKeyLength = 16;
constexpr const char* kDefaultCipherKey = "9C4E17B2F05A3D68";

// Enciphers `text` (its bytes and a terminating zero) with `key` (16 bytes; any other length
// gives an empty payload); the selectors are drawn from a generator seeded with `seconds` (the
// time in seconds since 1970).
std::vector<uint8_t> encipherWithKey(const std::string& text, const std::string& key,
                                     int64_t seconds);

// Deciphers a received payload of at most `size` bytes: it ends at its first zero byte, or at
// `size` when it has none. Returns the plain text up to its terminating zero (a zero in the first
// position belongs to the text).
std::string decipherWithKey(const uint8_t* payload, size_t size, const std::string& key);

// Deciphers a payload of exactly `length` bytes, zero bytes included: the cipher blocks and the
// two selectors. For a receiver that knows the datagram's length, as the network box does.
std::string decipherWholePayload(const uint8_t* payload, size_t length, const std::string& key);

}  // namespace kavex
