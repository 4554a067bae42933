#include "cipher.h"

#include <cstring>
#include <ctime>

#include "errors.h"
#include "export_guard.h"
#include "kavex.h"

namespace kavex {

CipherState& cipherState() {
    static CipherState instance;
    return instance;
}

void loadDefaultCipherKey() { cipherState().key = kDefaultCipherKey; }


std::vector<uint8_t> encipher(const std::string& text, int64_t seconds) {
    return encipherWithKey(text, cipherState().key, seconds);
}

namespace {
std::optional<int64_t> fixedTime;
}  // namespace

void fixCipherTime(std::optional<int64_t> seconds) { fixedTime = seconds; }

std::vector<uint8_t> encipher(const std::string& text) {
    if (fixedTime) return encipher(text, *fixedTime);
    const time_t now = std::time(nullptr);
    return encipher(text, now == static_cast<time_t>(-1) ? 0 : static_cast<int64_t>(now));
}

std::string decipher(const uint8_t* payload, size_t size) {
    return decipherWithKey(payload, size, cipherState().key);
}


}  // namespace kavex

extern "C" {

KAVEX_API int32_t SetEncryptKey(const char* key) {
    return kavex::guarded([&]() -> int32_t {
        kavex::setError(kavex::ErrNone);
        if (key == nullptr || strnlen(key, kavex::kKeyLength + 1) != kavex::kKeyLength) {
            kavex::setError(kavex::ErrWrongParameters);
            return -1;
        }
        kavex::cipherState().key = key;
        return 0;
    });
}

KAVEX_API int32_t CryptMessages(int32_t on) {
    kavex::cipherState().cryptMessages = on != 0;
    return 0;
}

KAVEX_API int32_t CryptLbxCmds(int32_t on) {
    kavex::cipherState().cryptLbxCmds = on != 0;
    return 0;
}

}  // extern "C"
