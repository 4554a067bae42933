// The datagrams exchanged with the network box: a 4-byte little-endian header (packet type and
// sequence number) and a payload that is either a text with its zero byte or, for the enciphered
// types, cipher blocks and their two selectors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kavex {

enum PacketType : uint16_t {
    kInitPacket = 2,
    kDataPacket = 3,
    kAckPacket = 4,
    kErrorPacket = 5,
    kBoxCommandPacket = 6,
    kCipherDataPacket = 11,
    kCipherBoxCommandPacket = 14,
};

constexpr size_t kHeaderSize = 4;
// The receive buffer: the header and up to 130 payload bytes.
constexpr size_t kReceiveCapacity = 134;

// A received datagram. `text` is the payload's text: a plain payload up to its zero byte or the
// datagram's end, whichever comes first; an enciphered one, delimited by the datagram's end,
// deciphered with the library's key.
struct Datagram {
    uint16_t type = 0;  // 0 also for a datagram too short to hold a header
    uint16_t sequence = 0;
    std::string text;
};

bool isTerminalData(uint16_t type);  // types 3 and 11
bool isBoxAnswer(uint16_t type);     // types 6 and 14

// A plain datagram: header, `text` and its zero byte.
std::vector<uint8_t> plainDatagram(uint16_t type, uint16_t sequence, const std::string& text);

// A datagram carrying `text` as `plainType`, or enciphered with the library's key as
// `cipherType` when `encipher` is set.
std::vector<uint8_t> textDatagram(uint16_t plainType, uint16_t cipherType, uint16_t sequence,
                                  const std::string& text, bool encipher);

// Reads the `size` bytes received; nothing past them is ever looked at.
Datagram parseDatagram(const uint8_t* bytes, size_t size);

}  // namespace kavex
