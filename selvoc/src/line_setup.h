// Opening the bus's port, changing its speed and closing it.
#pragma once

#include <cstdint>

namespace selvoc {

enum class StartUpKind {
    Slv,  // polls with code 3; line kind 8 makes the line a radio link
    Net,  // polls with code 6; the radio flag stays as it was
};

constexpr int32_t kRadioLineKind = 8;
constexpr int32_t kSlowLineKind = 3;  // first-reply waits nine times longer

// InitSlv / InitNET: the start-up result (1016, 760, 1000, 744 or 1) or a negative result.
int32_t startUp(StartUpKind kind, int32_t port, int32_t lineKind, int32_t maxAddress);

// ChgSpeedSlv: 0, or -1 / -3 / -4.
int32_t changeSpeed(int32_t speedIndex);

// ResetSlv: 0, or -1 when no port is open or the close failed.
int32_t closeLine();

}  // namespace selvoc
