#include "datagram.h"

#include <cstring>

#include "cipher.h"

namespace kavex {
namespace {

void putHeader(std::vector<uint8_t>& bytes, uint16_t type, uint16_t sequence) {
    bytes.push_back(static_cast<uint8_t>(type & 0xFF));
    bytes.push_back(static_cast<uint8_t>(type >> 8));
    bytes.push_back(static_cast<uint8_t>(sequence & 0xFF));
    bytes.push_back(static_cast<uint8_t>(sequence >> 8));
}

uint16_t littleEndian(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

}  // namespace

bool isTerminalData(uint16_t type) { return type == kDataPacket || type == kCipherDataPacket; }

bool isBoxAnswer(uint16_t type) {
    return type == kBoxCommandPacket || type == kCipherBoxCommandPacket;
}

std::vector<uint8_t> plainDatagram(uint16_t type, uint16_t sequence, const std::string& text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(kHeaderSize + text.size() + 1);
    putHeader(bytes, type, sequence);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

std::vector<uint8_t> textDatagram(uint16_t plainType, uint16_t cipherType, uint16_t sequence,
                                  const std::string& text, bool encipherIt) {
    if (!encipherIt) return plainDatagram(plainType, sequence, text);
    const std::vector<uint8_t> payload = encipher(text);
    std::vector<uint8_t> bytes;
    bytes.reserve(kHeaderSize + payload.size());
    putHeader(bytes, cipherType, sequence);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

Datagram parseDatagram(const uint8_t* bytes, size_t size) {
    Datagram datagram;
    if (bytes == nullptr || size < kHeaderSize) return datagram;
    datagram.type = littleEndian(bytes);
    datagram.sequence = littleEndian(bytes + 2);
    const uint8_t* payload = bytes + kHeaderSize;
    const size_t payloadSize = size - kHeaderSize;
    if (datagram.type == kCipherDataPacket || datagram.type == kCipherBoxCommandPacket) {
        // The cipher blocks may hold zero bytes, so the payload is delimited by the datagram's
        // length, less the zero bytes a sender may put after it: a selector is never zero.
        size_t length = payloadSize;
        while (length > 0 && payload[length - 1] == 0) --length;
        datagram.text = decipherWholePayload(payload, length, cipherState().key);
    } else {
        const void* zero = std::memchr(payload, 0, payloadSize);
        const size_t length =
            zero != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - payload)
                            : payloadSize;
        datagram.text.assign(reinterpret_cast<const char*>(payload), length);
    }
    return datagram;
}

}  // namespace kavex
