// The cipher itself, free of the library's state: the simulated network box uses it too.
#include "cipher_algorithm.h"

#include <algorithm>
#include <array>
#include <cstring>


namespace kavex {
namespace {

constexpr size_t kBlock = 16;
constexpr std::array<uint8_t, 32> kTransposition{24, 11, 3,  29, 1,  16, 8,  18, 12, 15, 28,
                                                 31, 2,  27, 30, 23, 7,  13, 4,  6,  20, 9,
                                                 5,  0,  10, 14, 19, 26, 22, 25, 21, 17};

using Table = std::array<uint8_t, 32>;
using KeyStream = std::array<uint8_t, kBlock>;

// The pseudo-random generator of the platform C runtime, which the box reproduces.
class Generator {
public:
    explicit Generator(uint32_t seed) : state_(seed) {}
    uint32_t draw() {
        state_ = state_ * 214013u + 2531011u;
        return (state_ >> 16) & 0x7FFF;
    }

private:
    uint32_t state_;
};

Table transpositionTable(uint8_t selector) {
    Table p{};
    unsigned s = selector;
    for (size_t j = 0; j < 32; j += 2) p[j] = kTransposition[s++ % 32];
    for (size_t j = 31; j < 32; j -= 2) p[j] = kTransposition[s++ % 32];
    return p;
}

KeyStream keyStream(const Table& p, const std::string& key) {
    KeyStream k{};
    for (size_t i = 0; i < kBlock; ++i) {
        const uint8_t a = p[2 * i];
        const uint8_t b = p[2 * i + 1];
        const auto keyA = static_cast<uint8_t>(key[a / 2]);
        const auto keyB = static_cast<uint8_t>(key[b / 2]);
        const uint8_t lo = (a % 2 != 0) ? keyA >> 4 : keyA & 0x0F;
        const uint8_t hi = (b % 2 != 0) ? keyB & 0xF0 : static_cast<uint8_t>((keyB & 0x0F) << 4);
        const auto swapped = static_cast<uint8_t>((b % 16) * 16 + b / 16);
        k[i] = static_cast<uint8_t>((hi | lo) ^ swapped);
    }
    return k;
}

uint8_t nibble(const uint8_t* block, uint8_t n) {
    return (n % 2 == 0) ? block[n / 2] & 0x0F : block[n / 2] >> 4;
}

void putNibble(uint8_t* block, uint8_t n, uint8_t value) {
    uint8_t& byte = block[n / 2];
    byte = (n % 2 == 0) ? static_cast<uint8_t>((byte & 0xF0) | value)
                        : static_cast<uint8_t>((byte & 0x0F) | (value << 4));
}

uint8_t positionMask(size_t j) { return static_cast<uint8_t>((2 * j + 2) & 0xFF); }

// The plain blocks: the text, its zero, then filler up to a whole number of blocks.
std::vector<uint8_t> plainBlocks(const std::string& text) {
    const size_t withZero = text.size() + 1;
    const size_t size = (withZero + kBlock - 1) / kBlock * kBlock;
    std::vector<uint8_t> plain(size, 0);
    std::copy(text.begin(), text.end(), plain.begin());
    Generator filler(255);
    for (size_t i = withZero + 1; i < size; ++i) {
        plain[i] = static_cast<uint8_t>(256 - (filler.draw() & 0xFF));
    }
    return plain;
}

}  // namespace

std::vector<uint8_t> encipherWithKey(const std::string& text, const std::string& key,
                                     int64_t seconds) {
    if (key.size() != kKeyLength) return {};
    Generator selectors(static_cast<uint32_t>(seconds));
    const auto s1 = static_cast<uint8_t>(selectors.draw() % 255 + 1);
    const auto s2 = static_cast<uint8_t>(selectors.draw() % 255 + 1);
    const KeyStream k = keyStream(transpositionTable(s1), key);
    const Table p = transpositionTable(s2);
    const std::vector<uint8_t> plain = plainBlocks(text);
    std::vector<uint8_t> out(plain.size() + 2);
    for (size_t j = 0; j < plain.size(); ++j) {
        const uint8_t* block = plain.data() + kBlock * (j / kBlock);
        const size_t n = 2 * j;
        const auto byte = static_cast<uint8_t>(nibble(block, p[n % 32]) |
                                               (nibble(block, p[(n + 1) % 32]) << 4));
        out[j] = static_cast<uint8_t>(byte ^ positionMask(j) ^ k[j % kBlock]);
    }
    out[plain.size()] = s2;
    out[plain.size() + 1] = s1;
    return out;
}

std::string decipherWithKey(const uint8_t* payload, size_t size, const std::string& key) {
    const size_t length = payload == nullptr ? 0 : strnlen(reinterpret_cast<const char*>(payload), size);
    return decipherWholePayload(payload, length, key);
}

std::string decipherWholePayload(const uint8_t* payload, size_t length, const std::string& key) {
    if (key.size() != kKeyLength || payload == nullptr || length < 2) return {};
    const size_t m = length - 2;
    const KeyStream k = keyStream(transpositionTable(payload[length - 1]), key);
    const Table p = transpositionTable(payload[length - 2]);
    std::vector<uint8_t> work(m, 0);
    for (size_t j = 0; j < m; ++j) {
        const auto byte = static_cast<uint8_t>(payload[j] ^ k[j % kBlock] ^ positionMask(j));
        const size_t start = kBlock * (j / kBlock);
        const size_t n = 2 * j;
        // A block cut short by the datagram's end only takes the nibbles that fall inside it.
        for (const auto& [index, value] : {std::pair{p[n % 32], byte & 0x0F},
                                           std::pair{p[(n + 1) % 32], byte >> 4}}) {
            if (start + index / 2 < m) putNibble(work.data() + start, index, static_cast<uint8_t>(value));
        }
    }
    size_t end = 1;
    while (end < m && work[end] != 0) ++end;
    return std::string(work.begin(), work.begin() + static_cast<long>(std::min(end, m)));
}

}  // namespace kavex
