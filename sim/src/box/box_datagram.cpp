#include "sim/box_datagram.h"

#include <algorithm>
#include <cstdio>

#include "cipher_algorithm.h"

namespace sim {
namespace {

// Enough seconds that some give a zero-free payload for any text: each does with a chance of
// about (255/256)^size, at least 60 percent for the longest payload of a datagram.
constexpr int64_t kSelectorSecondsToTry = 64;

void putLittleEndian(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

uint16_t littleEndianAt(const uint8_t* data) {
    return static_cast<uint16_t>(data[0] | (data[1] << 8));
}

bool hasZeroByte(const std::vector<uint8_t>& bytes) {
    return std::find(bytes.begin(), bytes.end(), uint8_t{0}) != bytes.end();
}

std::string plainText(const std::vector<uint8_t>& payload) {
    return std::string(payload.begin(), std::find(payload.begin(), payload.end(), uint8_t{0}));
}

}  // namespace

std::vector<uint8_t> encodeDatagram(const Datagram& datagram) {
    std::vector<uint8_t> bytes;
    bytes.reserve(kDatagramHeader + datagram.payload.size());
    putLittleEndian(bytes, datagram.type);
    putLittleEndian(bytes, datagram.sequence);
    bytes.insert(bytes.end(), datagram.payload.begin(), datagram.payload.end());
    return bytes;
}

std::optional<Datagram> decodeDatagram(const uint8_t* data, size_t size) {
    if (size < kDatagramHeader) return std::nullopt;
    return Datagram{.type = littleEndianAt(data),
                    .sequence = littleEndianAt(data + 2),
                    .payload = std::vector<uint8_t>(data + kDatagramHeader, data + size)};
}

Datagram plainDatagram(uint16_t type, uint16_t sequence, const std::string& text) {
    Datagram datagram{.type = type, .sequence = sequence, .payload = {text.begin(), text.end()}};
    datagram.payload.push_back(0);
    return datagram;
}

Datagram emptyDatagram(uint16_t type, uint16_t sequence) {
    return plainDatagram(type, sequence, "");
}

bool isEnciphered(uint16_t type) {
    return type == packet::kEncipheredData || type == packet::kEncipheredBoxCommand;
}

uint16_t encipheredTypeOf(uint16_t plainType) {
    if (plainType == packet::kData) return packet::kEncipheredData;
    if (plainType == packet::kBoxCommand) return packet::kEncipheredBoxCommand;
    return plainType;
}

uint16_t plainTypeOf(uint16_t type) {
    if (type == packet::kEncipheredData) return packet::kData;
    if (type == packet::kEncipheredBoxCommand) return packet::kBoxCommand;
    return type;
}

Datagram encipheredDatagram(uint16_t plainType, uint16_t sequence, const std::string& text,
                            const std::string& key, int64_t seconds) {
    std::vector<uint8_t> payload;
    for (int64_t tried = 0; tried < kSelectorSecondsToTry; ++tried) {
        payload = kavex::encipherWithKey(text, key, seconds + tried);
        if (!hasZeroByte(payload)) break;
    }
    return Datagram{
        .type = encipheredTypeOf(plainType), .sequence = sequence, .payload = std::move(payload)};
}

std::string payloadText(const Datagram& datagram, const std::string& key) {
    if (!isEnciphered(datagram.type)) return plainText(datagram.payload);
    return kavex::decipherWholePayload(datagram.payload.data(), datagram.payload.size(), key);
}

std::string describeDatagram(const Datagram& datagram) {
    std::string text = "type " + std::to_string(datagram.type) + " seq " +
                       std::to_string(datagram.sequence) + " \"";
    for (const uint8_t byte : datagram.payload) {
        if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
            text.push_back(static_cast<char>(byte));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text + "\"";
}

}  // namespace sim
