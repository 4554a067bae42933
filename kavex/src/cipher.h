// The cipher of the network box's datagrams: a nibble transposition within 16-byte blocks and
// two XOR layers, chosen per datagram by two selector bytes carried at its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kavex {

constexpr size_t kKeyLength = 16;
constexpr const char* kDefaultCipherKey = "9C4E17B2F05A3D68";

struct CipherState {
    std::string key = kDefaultCipherKey;
    bool cryptMessages = false;
    bool cryptLbxCmds = false;
};

CipherState& cipherState();
void loadDefaultCipherKey();

// Enciphers `text` (its bytes and a terminating zero) with the current key; the selectors are
// drawn from a generator seeded with `seconds` (the time of day in seconds since 1970).
std::vector<uint8_t> encipher(const std::string& text, int64_t seconds);
std::vector<uint8_t> encipher(const std::string& text);

// Deciphers a received payload of at most `size` bytes: it ends at its first zero byte, or at
// `size` when it has none. Returns the plain text up to its terminating zero (a zero in the first
// position belongs to the text).
std::string decipher(const uint8_t* payload, size_t size);

}  // namespace kavex
