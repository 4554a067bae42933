// An output buffer of an exact size with guard bytes on both sides, for the C ABI tests: a call
// given data() may write its `size` bytes and nothing around them.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace abi_test {

class GuardedBuffer {
public:
    static constexpr size_t kGuard = 64;
    static constexpr unsigned char kPattern = 0xA5;

    explicit GuardedBuffer(size_t size) : size_(size), bytes_(size + 2 * kGuard, kPattern) {}

    char* data() { return reinterpret_cast<char*>(bytes_.data() + kGuard); }
    size_t size() const { return size_; }

    // Whether the guard bytes on both sides still hold the pattern.
    bool guardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i) {
            if (bytes_[i] != kPattern || bytes_[kGuard + size_ + i] != kPattern) return false;
        }
        return true;
    }

    // Whether the buffer itself was left as it was given (every byte still the pattern).
    bool untouched() const {
        for (size_t i = 0; i < size_; ++i) {
            if (bytes_[kGuard + i] != kPattern) return false;
        }
        return true;
    }

    // The text written, read no further than the buffer.
    std::string text() const {
        const char* start = reinterpret_cast<const char*>(bytes_.data() + kGuard);
        return std::string(start, strnlen(start, size_));
    }

private:
    size_t size_;
    std::vector<unsigned char> bytes_;
};

}  // namespace abi_test
