// The datagram layout: the little-endian header, plain payloads with their zero byte, and
// received datagrams read no further than their length.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cipher.h"
#include "datagram.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(Datagram, APlainDatagramIsTheHeaderTheTextAndAZeroByte) {
    EXPECT_EQ(kavex::plainDatagram(3, 0x1234, "AB"), (Bytes{3, 0, 0x34, 0x12, 'A', 'B', 0}));
    EXPECT_EQ(kavex::plainDatagram(0x0102, 255, ""), (Bytes{2, 1, 255, 0, 0}));
    kavex::loadDefaultCipherKey();
    kavex::fixCipherTime(0);
    const Bytes enciphered = kavex::textDatagram(6, 14, 9, "ABCDEFGHIJKLMNO", true);
    kavex::fixCipherTime(std::nullopt);
    const Bytes vector{0x07, 0x2D, 0x62, 0xAB, 0x36, 0x5F, 0xF9, 0x0D, 0x37,
                       0x75, 0x87, 0xB9, 0x9D, 0xBD, 0xD6, 0xF7, 0x46, 0x27};
    Bytes expected{14, 0, 9, 0};
    expected.insert(expected.end(), vector.begin(), vector.end());
    EXPECT_EQ(enciphered, expected) << "no zero byte follows an enciphered payload";
    EXPECT_EQ(kavex::textDatagram(6, 14, 9, "X", false), kavex::plainDatagram(6, 9, "X"));
}

TEST(Datagram, AReceivedDatagramIsReadNoFurtherThanItsLength) {
    // One buffer holds every datagram, as a receive buffer does: what follows each is stale.
    const Bytes buffer{3, 1, 0x02, 0x01, 'O', 'K', 0, 'S', 'T', 'A', 'L', 'E', 0};
    const struct {
        size_t size;
        uint16_t type, sequence;
        std::string text;
    } cases[] = {
        {0, 0, 0, ""},        {3, 0, 0, ""},          {4, 0x0103, 0x0102, ""},
        {5, 0x0103, 0x0102, "O"}, {7, 0x0103, 0x0102, "OK"}, {13, 0x0103, 0x0102, "OK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        // A copy of exactly `size` bytes, so that reading past it is caught by the sanitizer.
        const Bytes exact(buffer.begin(), buffer.begin() + static_cast<long>(c.size));
        const kavex::Datagram d = kavex::parseDatagram(exact.data(), exact.size());
        EXPECT_EQ(d.type, c.type);
        EXPECT_EQ(d.sequence, c.sequence);
        EXPECT_EQ(d.text, c.text);
    }
    EXPECT_EQ(kavex::parseDatagram(nullptr, 10).type, 0);
}

TEST(Datagram, AnEncipheredPayloadOfAnySizeIsDecipheredWithinTheDatagram) {
    kavex::loadDefaultCipherKey();
    for (size_t payload = 0; payload <= 40; ++payload) {
        SCOPED_TRACE(payload);
        Bytes bytes{11, 0, 1, 0};
        for (size_t i = 0; i < payload; ++i) bytes.push_back(static_cast<uint8_t>(0xA5 ^ i));
        const Bytes exact = bytes;
        const kavex::Datagram d = kavex::parseDatagram(exact.data(), exact.size());
        EXPECT_EQ(d.type, 11);
        EXPECT_LE(d.text.size(), payload < 2 ? 0 : payload - 2);
    }
}

}  // namespace
