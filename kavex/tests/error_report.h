// What GetError reports now, for the fixtures of every transport.
#pragma once

#include <cstdint>
#include <string>

#include "kavex.h"

namespace kavex_test {

inline std::string currentErrorText() {
    char text[KAVEX_ERROR_SIZE];
    GetError(text);
    return text;
}

inline int32_t currentErrorCode() {
    char text[KAVEX_ERROR_SIZE];
    return GetError(text);
}

}  // namespace kavex_test
