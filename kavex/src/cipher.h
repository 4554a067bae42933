// The library's cipher state and the cipher applied with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cipher_algorithm.h"

namespace kavex {

struct CipherState {
    std::string key = kDefaultCipherKey;
    bool cryptMessages = false;
    bool cryptLbxCmds = false;
};

CipherState& cipherState();
void loadDefaultCipherKey();

// The cipher with the library's key; without `seconds`, the current time draws the selectors.
std::vector<uint8_t> encipher(const std::string& text, int64_t seconds);
std::vector<uint8_t> encipher(const std::string& text);
std::string decipher(const uint8_t* payload, size_t size);

// Tests: encipher() draws its selectors as at `seconds` instead of the current time; nullopt
// gives the clock back.
void fixCipherTime(std::optional<int64_t> seconds);

}  // namespace kavex
