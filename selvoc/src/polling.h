// Polling terminals and receiving the messages they deliver.
#pragma once

#include <cstddef>
#include <cstdint>

namespace selvoc {

constexpr int32_t kMessageReceived = 2;
constexpr int32_t kAcknowledged = 1;
constexpr int32_t kNoAnswer = 0;

// The longest text handed to the caller; its buffer holds this and the NUL.
constexpr size_t kTextLimit = 121;

// PollTerm: 2, 1, 0, -1 or -3; `text` (kTextLimit + 1 bytes) is written only on 2.
int32_t pollTerminal(int32_t address, char* text);

// PollAll: the address that delivered a message, 0, -1 or -3.
int32_t pollAll(char* text);

}  // namespace selvoc
