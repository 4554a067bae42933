// The datagrams between the computer and the network box: a 2-byte packet type and a 2-byte
// sequence number, both little-endian, then the payload. A plain payload is a text and one zero
// byte; an enciphered one (types 11 and 14) is the cipher blocks and two selector bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

namespace packet {
inline constexpr uint16_t kInit = 2;
inline constexpr uint16_t kData = 3;
inline constexpr uint16_t kAck = 4;
inline constexpr uint16_t kError = 5;
inline constexpr uint16_t kBoxCommand = 6;
inline constexpr uint16_t kEncipheredData = 11;
inline constexpr uint16_t kEncipheredBoxCommand = 14;
}  // namespace packet

inline constexpr size_t kDatagramHeader = 4;

struct Datagram {
    uint16_t type = 0;
    uint16_t sequence = 0;
    std::vector<uint8_t> payload;

    bool operator==(const Datagram&) const = default;
};

std::vector<uint8_t> encodeDatagram(const Datagram& datagram);
// Nothing for fewer bytes than the header.
std::optional<Datagram> decodeDatagram(const uint8_t* data, size_t size);

// `text` and a zero byte.
Datagram plainDatagram(uint16_t type, uint16_t sequence, const std::string& text);
// Type 4 carrying `sequence`, payload one zero byte; type 5 and the init datagram look alike.
Datagram emptyDatagram(uint16_t type, uint16_t sequence);

bool isEnciphered(uint16_t type);
// 11 for 3 and 14 for 6; the other way round with `plainTypeOf`.
uint16_t encipheredTypeOf(uint16_t plainType);
uint16_t plainTypeOf(uint16_t type);

// `text` enciphered with `key`, its selectors drawn from `seconds`. The computer finds the end
// of an enciphered payload at its first zero byte, so when a second's selectors give a zero byte
// the following seconds are tried until one gives none.
Datagram encipheredDatagram(uint16_t plainType, uint16_t sequence, const std::string& text,
                            const std::string& key, int64_t seconds);

// The text a datagram carries: deciphered with `key` (over the whole payload, zero bytes
// included) for types 11 and 14, otherwise the payload up to its first zero byte (all of it when
// there is none).
std::string payloadText(const Datagram& datagram, const std::string& key);

// "type 3 seq 7 \"text\"" with bytes outside printable ASCII as \xNN, for stderr and test output.
std::string describeDatagram(const Datagram& datagram);

}  // namespace sim
