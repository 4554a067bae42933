#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cipher.h"
#include "kavex.h"

namespace {

using kavex::decipher;
using kavex::encipher;

struct Vector {
    std::string text;
    int64_t seconds;
    std::vector<uint8_t> payload;
};

// Worked out by hand-independent means from the cipher's definition, default key.
const Vector kVectors[] = {
    {"@TIME", 1700000000,
     {0xC0, 0x28, 0x3E, 0x4B, 0x7A, 0x8F, 0x9B, 0x04, 0xD7, 0x25, 0xAD, 0x06, 0x06, 0x8B, 0xB8,
      0x45, 0x08, 0x9E}},
    {"ABCDEFGHIJKLMNO", 0,
     {0x07, 0x2D, 0x62, 0xAB, 0x36, 0x5F, 0xF9, 0x0D, 0x37, 0x75, 0x87, 0xB9, 0x9D, 0xBD, 0xD6,
      0xF7, 0x46, 0x27}},
    {"\x05%XI", 1234567,
     {0x2A, 0xFE, 0xD9, 0x3C, 0xF2, 0x07, 0x75, 0x96, 0x10, 0xC2, 0xE7, 0x80, 0xF3, 0x1A, 0x21,
      0x13, 0xED, 0x83}},
};

class CipherTest : public ::testing::Test {
protected:
    void SetUp() override { kavex::loadDefaultCipherKey(); }
    void TearDown() override { kavex::loadDefaultCipherKey(); }
};

TEST_F(CipherTest, WorkedVectorsWithTheDefaultKey) {
    for (const auto& v : kVectors) {
        EXPECT_EQ(encipher(v.text, v.seconds), v.payload) << v.text;
        EXPECT_EQ(decipher(v.payload.data(), v.payload.size()), v.text) << v.text;
    }
}

TEST_F(CipherTest, PayloadIsWholeBlocksAndTwoSelectors) {
    const struct {
        size_t textLength;
        size_t payloadSize;
    } cases[] = {{0, 18}, {15, 18}, {16, 34}, {31, 34}, {32, 50}, {127, 130}};
    for (const auto& c : cases) {
        const auto payload = encipher(std::string(c.textLength, 'x'), 42);
        EXPECT_EQ(payload.size(), c.payloadSize) << c.textLength;
        EXPECT_GE(payload[payload.size() - 1], 1) << "selectors lie in 1-255";
        EXPECT_GE(payload[payload.size() - 2], 1);
    }
}

TEST_F(CipherTest, RoundTripForAnyKeyAndTimeWhenThePayloadHasNoZero) {
    std::mt19937 random(7);
    int checked = 0;
    for (int i = 0; i < 2000; ++i) {
        std::string key(16, ' ');
        for (char& c : key) c = static_cast<char>(33 + random() % 94);
        ASSERT_EQ(SetEncryptKey(key.c_str()), 0);
        std::string text(random() % 128, ' ');
        for (char& c : text) c = static_cast<char>(1 + random() % 255);
        const auto payload = encipher(text, static_cast<int64_t>(random()));
        if (std::find(payload.begin(), payload.end(), 0) != payload.end()) continue;
        ++checked;
        // An empty text keeps its zero: a zero in the first position does not end the text.
        ASSERT_EQ(std::string(decipher(payload.data(), payload.size()).c_str()), text) << i;
    }
    EXPECT_GT(checked, 100);
}

TEST_F(CipherTest, DecipherStaysWithinTheDatagram) {
    // No zero byte anywhere: the payload ends where the datagram ends, and a length that is not
    // whole blocks is deciphered without touching anything past it.
    std::vector<uint8_t> payload(21, 0x5A);
    const std::string text = decipher(payload.data(), payload.size());
    EXPECT_LE(text.size(), 19u);
    EXPECT_EQ(decipher(payload.data(), 1), "");
    EXPECT_EQ(decipher(nullptr, 10), "");
}

TEST_F(CipherTest, KeyMustHaveSixteenCharacters) {
    char error[KAVEX_ERROR_SIZE];
    EXPECT_EQ(SetEncryptKey("0123456789ABCDE"), -1);
    EXPECT_EQ(GetError(error), 3);
    EXPECT_EQ(SetEncryptKey("0123456789ABCDEFG"), -1);
    EXPECT_EQ(SetEncryptKey(nullptr), -1);
    EXPECT_EQ(kavex::cipherState().key, kavex::kDefaultCipherKey) << "a refused key changes nothing";
    EXPECT_EQ(SetEncryptKey("0123456789ABCDEF"), 0);
    EXPECT_EQ(GetError(error), 0);
    EXPECT_EQ(kavex::cipherState().key, "0123456789ABCDEF");
    InitCOMM(1, 9, 0, 0);  // refused, but still restores the default key
    EXPECT_EQ(kavex::cipherState().key, kavex::kDefaultCipherKey);
}

TEST_F(CipherTest, SwitchesTakeAnyNonZeroValue) {
    EXPECT_EQ(CryptMessages(5), 0);
    EXPECT_TRUE(kavex::cipherState().cryptMessages);
    EXPECT_EQ(CryptLbxCmds(-1), 0);
    EXPECT_TRUE(kavex::cipherState().cryptLbxCmds);
    CryptMessages(0);
    CryptLbxCmds(0);
    EXPECT_FALSE(kavex::cipherState().cryptMessages);
    EXPECT_FALSE(kavex::cipherState().cryptLbxCmds);
}

}  // namespace
