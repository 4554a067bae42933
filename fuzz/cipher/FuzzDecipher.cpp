// The cipher of the network box's datagrams on arbitrary payloads: deciphering any bytes never
// reads past them, and a text enciphered with the key comes back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cipher_algorithm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string key = kavex::kDefaultCipherKey;
    kavex::decipherWithKey(data, size, key);
    kavex::decipherWholePayload(data, size, key);

    // The input as a text without zero bytes (a zero ends a text on the wire), enciphered at a
    // time drawn from its first bytes.
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    if (text.empty())
        return 0;  // the first deciphered byte always belongs to the text: "" comes back as "\0"
    int64_t seconds = 0;
    for (size_t i = 0; i < size && i < 4; ++i)
        seconds = seconds * 256 + data[i];
    const std::vector<uint8_t> payload = kavex::encipherWithKey(text, key, seconds);
    if (kavex::decipherWholePayload(payload.data(), payload.size(), key) != text)
        std::abort();
    return 0;
}
