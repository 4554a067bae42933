// The start of every frame the computer sends: an address byte under AddressSetting, then the
// byte after it under DataSetting.
#pragma once

#include <cstddef>
#include <cstdint>

namespace selvoc {

// Terminal addresses are one byte; polls go to 1-255, messages to 0-255 (0: every terminal).
constexpr int32_t kHighestAddress = 255;

// The longest answer read after a "T" or drained from the line, in bytes.
constexpr size_t kAnswerLimit = 123;

constexpr uint8_t kAckP = 'P';
constexpr uint8_t kAckQ = 'Q';
constexpr uint8_t kAckGrave = 0x60;
constexpr uint8_t kRepeatRequest = 'R';

// "P", "Q" or 0x60: the terminal acknowledges.
bool isAcknowledgement(uint8_t byte);

// Clears the line errors, then sends `address` as an address byte and `next` as a data byte.
// False when the port refused a byte.
bool sendAddressed(uint8_t address, uint8_t next);

// The start of a poll or a message: discards what is waiting to be read, then sendAddressed.
bool startAttempt(uint8_t address, uint8_t next);

}  // namespace selvoc
