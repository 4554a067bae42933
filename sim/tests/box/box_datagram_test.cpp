// The datagram codec of the network box: the little-endian header, plain payloads and the
// enciphered ones as the computer reads them.
#include "sim/box_datagram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cipher_algorithm.h"

namespace {

using sim::Datagram;
using Bytes = std::vector<uint8_t>;

const std::string kKey = kavex::kDefaultCipherKey;

TEST(BoxDatagramTest, HeaderIsTypeThenSequenceLittleEndian) {
    const Datagram datagram{.type = 0x0B, .sequence = 0x1234, .payload = {'h', 'i', 0}};
    const Bytes bytes = sim::encodeDatagram(datagram);
    EXPECT_EQ(bytes, (Bytes{0x0B, 0x00, 0x34, 0x12, 'h', 'i', 0}));
    EXPECT_EQ(sim::decodeDatagram(bytes.data(), bytes.size()), datagram);
}

TEST(BoxDatagramTest, FewerBytesThanTheHeaderAreNoDatagram) {
    const Bytes bytes{3, 0, 1};
    EXPECT_FALSE(sim::decodeDatagram(bytes.data(), bytes.size()));
    const Bytes header{4, 0, 9, 0};
    EXPECT_EQ(sim::decodeDatagram(header.data(), header.size()),
              (Datagram{.type = 4, .sequence = 9, .payload = {}}));
}

TEST(BoxDatagramTest, PlainPayloadIsTheTextAndOneZeroByte) {
    EXPECT_EQ(sim::encodeDatagram(sim::plainDatagram(6, 0, "X")), (Bytes{6, 0, 0, 0, 'X', 0}));
    EXPECT_EQ(sim::encodeDatagram(sim::emptyDatagram(4, 200)), (Bytes{4, 0, 200, 0, 0}));
}

TEST(BoxDatagramTest, PlainTextEndsAtTheFirstZeroByteOrThePayload) {
    struct Case {
        const char* name;
        Bytes payload;
        std::string text;
    };
    const Case cases[] = {
        {"zero-terminated", {'\x01', 'O', 'K', 0}, "\x01OK"},
        {"bytes after the zero", {'A', 0, 'B', 0}, "A"},
        {"no zero", {'A', 'B'}, "AB"},
        {"empty", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sim::payloadText(Datagram{.type = 3, .sequence = 1, .payload = c.payload}, kKey),
                  c.text);
    }
}

TEST(BoxDatagramTest, TypesMapBetweenPlainAndEnciphered) {
    EXPECT_EQ(sim::encipheredTypeOf(3), 11);
    EXPECT_EQ(sim::encipheredTypeOf(6), 14);
    EXPECT_EQ(sim::plainTypeOf(11), 3);
    EXPECT_EQ(sim::plainTypeOf(14), 6);
    for (const uint16_t type : {uint16_t{2}, uint16_t{4}, uint16_t{5}}) {
        EXPECT_EQ(sim::encipheredTypeOf(type), type);
        EXPECT_EQ(sim::plainTypeOf(type), type);
        EXPECT_FALSE(sim::isEnciphered(type));
    }
}

// The computer delimits an enciphered payload by its first zero byte, so the box sends none.
TEST(BoxDatagramTest, EncipheredPayloadHasNoZeroByteAndDeciphersAsTheComputerDoes) {
    const std::string texts[] = {"\x01@TIME 081530", std::string(127, 'R'), "C3"};
    for (const std::string& text : texts) {
        for (int64_t seconds = 1'450'000'000; seconds < 1'450'000'040; ++seconds) {
            SCOPED_TRACE(testing::Message() << "length " << text.size() << " at " << seconds);
            const Datagram datagram = sim::encipheredDatagram(3, 7, text, kKey, seconds);
            EXPECT_EQ(datagram.type, 11);
            EXPECT_EQ(datagram.sequence, 7);
            EXPECT_EQ(std::count(datagram.payload.begin(), datagram.payload.end(), 0), 0);
            EXPECT_EQ(
                kavex::decipherWithKey(datagram.payload.data(), datagram.payload.size(), kKey),
                text);
            EXPECT_EQ(sim::payloadText(datagram, kKey), text);
        }
    }
}

// The computer does not avoid zero bytes: the box deciphers over the datagram's whole length.
TEST(BoxDatagramTest, EncipheredPayloadWithZeroBytesIsDecipheredWhole) {
    const std::string text = "\x05@CFG 12";
    int withZero = 0;
    for (int64_t seconds = 0; seconds < 2000 && withZero < 5; ++seconds) {
        const Bytes payload = kavex::encipherWithKey(text, kKey, seconds);
        if (std::find(payload.begin(), payload.end(), 0) == payload.end()) continue;
        ++withZero;
        SCOPED_TRACE(seconds);
        EXPECT_EQ(sim::payloadText(Datagram{.type = 14, .sequence = 1, .payload = payload}, kKey),
                  text);
    }
    EXPECT_EQ(withZero, 5);
}

}  // namespace
