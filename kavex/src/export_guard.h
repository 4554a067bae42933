// Every export runs its body through guarded(): nothing thrown inside ever crosses the C
// boundary; it becomes error 99 "Internal error".
#pragma once

#include <cstdint>
#include <exception>

#include "errors.h"

namespace kavex {

template <typename Body>
int32_t guarded(Body body) noexcept {
    try {
        return body();
    } catch (...) {
        setError(ErrInternal);
        return -1;
    }
}

}  // namespace kavex
