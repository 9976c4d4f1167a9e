#include "encoding/base64.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vanto {
namespace {

std::string encode(const std::string& bytes) {
    std::string out;
    base64Append(out, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return out;
}

std::string asText(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// RFC 4648, section 10.
TEST(Base64, MatchesTheRfcVectorsBothWays) {
    const struct {
        const char* bytes;
        const char* text;
    } cases[] = {{"", ""},
                 {"f", "Zg=="},
                 {"fo", "Zm8="},
                 {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="},
                 {"foobar", "Zm9vYmFy"}};
    for (const auto& c : cases) {
        EXPECT_EQ(encode(c.bytes), c.text);
        std::vector<uint8_t> decoded{9, 9};
        ASSERT_TRUE(base64Decode(c.text, decoded, 64)) << c.text;
        EXPECT_EQ(asText(decoded), c.bytes);
    }
}

TEST(Base64, AppendsToExistingText) {
    std::string out = "data:";
    const unsigned char bytes[] = {0xFF, 0xEF};
    base64Append(out, bytes, sizeof bytes);
    EXPECT_EQ(out, "data:/+8=");
    base64Append(out, nullptr, 0);
    EXPECT_EQ(out, "data:/+8=");
}

TEST(Base64, RoundTripsEveryLengthUpTo300) {
    std::mt19937 random(1234);
    for (std::size_t length = 0; length <= 300; ++length) {
        std::vector<uint8_t> bytes(length);
        for (uint8_t& byte : bytes) {
            byte = static_cast<uint8_t>(random());
        }
        std::string text;
        base64Append(text, bytes.data(), bytes.size());
        EXPECT_EQ(text.size(), (length + 2) / 3 * 4);
        std::vector<uint8_t> decoded;
        ASSERT_TRUE(base64Decode(text, decoded, length)) << "length " << length;
        EXPECT_EQ(decoded, bytes) << "length " << length;
    }
}

TEST(Base64, DigitValuesFollowTheStandardAlphabet) {
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(base64Digit(kBase64Alphabet[i]), i) << kBase64Alphabet[i];
    }
    for (const char ch :
         {'=', ' ', '-', '_', '\0', '\n', '.', static_cast<char>(0x80), static_cast<char>(0xFF)}) {
        EXPECT_EQ(base64Digit(ch), -1) << static_cast<int>(ch);
    }
}

TEST(Base64, DecodeRefusesMalformedText) {
    const char* cases[] = {
        "abc",      // length not a multiple of 4
        "Zm9",      //
        "Zm 9",     // whitespace
        "Zm9v\n",   //
        "Zg==Zm8=", // padding in a group before the last
        "Zm8=Zm9v", //
        "Z===",     // padding in the second position
        "====",     // padding in the first position
        "Zm=v",     // a digit after padding
        "Zm9$",     // outside the alphabet
        "Zm9-",     // URL-safe alphabet
    };
    for (const char* text : cases) {
        std::vector<uint8_t> out;
        EXPECT_FALSE(base64Decode(text, out, 1024)) << text;
    }
}

TEST(Base64, DecodeRefusesOversizedOutputBeforeDecoding) {
    std::vector<uint8_t> out;
    EXPECT_FALSE(base64Decode("Zm9v", out, 2));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(base64Decode("Zm9v", out, 3));
    EXPECT_FALSE(base64Decode("Zg==", out, 0));
    EXPECT_TRUE(base64Decode("Zg==", out, 1));
    EXPECT_EQ(asText(out), "f");
}

TEST(Base64, DecodeOfEmptyTextEmptiesTheOutput) {
    std::vector<uint8_t> out{1, 2, 3};
    ASSERT_TRUE(base64Decode("", out, 0));
    EXPECT_TRUE(out.empty());
}

} // namespace
} // namespace vanto
