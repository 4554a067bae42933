// What every fuzz target shares: the reading of its input front to back, and the check that
// aborts the run, so that libFuzzer keeps the input, when an invariant does not hold.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Past the end of the input every byte read is 0 and every run of bytes is empty.
class InputReader {
public:
    InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t byte() { return used_ < size_ ? data_[used_++] : 0; }
    std::vector<uint8_t> bytes(size_t count)
    {
        const size_t n = std::min(count, size_ - used_);
        std::vector<uint8_t> taken(data_ + used_, data_ + used_ + n);
        used_ += n;
        return taken;
    }
    std::string text(size_t count)
    {
        const std::vector<uint8_t> taken = bytes(count);
        return std::string(taken.begin(), taken.end());
    }
    // The rest, cut into pieces at every `separator` (an empty rest is no piece).
    std::vector<std::string> pieces(char separator)
    {
        std::vector<std::string> result;
        if (atEnd())
            return result;
        const std::string rest = text(size_ - used_);
        size_t start = 0;
        for (;;) {
            const size_t end = rest.find(separator, start);
            result.push_back(rest.substr(start, end - start));
            if (end == std::string::npos)
                return result;
            start = end + 1;
        }
    }
    bool atEnd() const { return used_ >= size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};

}  // namespace fuzz
