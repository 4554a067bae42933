// The negative results of the exports. Success values are given where they are produced.
#pragma once

#include <cstdint>

namespace selvoc {

constexpr int32_t kFailed = -1;             // bad argument, refused, not answered, too many repeats
constexpr int32_t kOpenFailed = -2;         // the port could not be opened or never fell quiet
constexpr int32_t kPortAlreadyOpen = -3;    // a start-up while a port is open
constexpr int32_t kNoPortOpen = -3;         // any other operation without an open port
constexpr int32_t kTimingFailed = -4;       // no positive reply wait, or a speed the port refused
constexpr int32_t kSettingRefused = -5;     // the port refused AddressSetting
constexpr int32_t kTimeoutsRefused = -6;    // the port refused the time-outs
constexpr int32_t kNoCounter = -7;          // no high-resolution counter
constexpr int32_t kBuffersRefused = -9;     // the port refused the buffer sizes

}  // namespace selvoc
