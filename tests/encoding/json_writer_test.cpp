#include "encoding/json_reader.h"
#include "encoding/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace vanto {
namespace {

struct NumberCase {
    double value;
    const char* text;
};

TEST(JsonAppendNumber, WritesShortestRoundTripTextOrNull) {
    const NumberCase cases[] = {
        {std::numeric_limits<double>::quiet_NaN(), "null"},
        {std::numeric_limits<double>::infinity(), "null"},
        {-std::numeric_limits<double>::infinity(), "null"},
        {0.1, "0.1"},
        {48000.0, "48000"},
        {1e-7, "1e-07"},
        {1.0, "1"},
        {0.5, "0.5"},
        {120.0, "120"},
        {1e21, "1e+21"},
        {-0.0, "-0"},
        {-2.75, "-2.75"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
    };
    for (const NumberCase& c : cases) {
        std::string out = "x";
        jsonAppendNumber(out, c.value);
        EXPECT_EQ(out, std::string("x") + c.text) << "value " << c.value;
    }
}

TEST(JsonAppendNumber, TextReadsBackToTheIdenticalDouble) {
    const double values[] = {1.0 / 3.0, 2.0 / 3.0, 0.1 + 0.2, 123456789.123456789, 6.02214076e23, 1e-300};
    for (const double value : values) {
        std::string out;
        jsonAppendNumber(out, value);
        EXPECT_EQ(std::strtod(out.c_str(), nullptr), value) << out;
    }
}

struct QuotedCase {
    std::string text;
    const char* json;
};

TEST(JsonAppendQuoted, EscapesQuotesBackslashesAndControlBytesOnly) {
    const QuotedCase cases[] = {
        {"", R"("")"},
        {"plain text", R"("plain text")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"C:\\path\\", R"("C:\\path\\")"},
        {"a\tb", R"("a\tb")"},
        {"line\nnext\r", R"("line\nnext\r")"},
        {"\b\f", R"("\b\f")"},
        {"\x01\x1f", R"("\u0001\u001f")"},
        {"\x7f", "\"\x7f\""},
        {"/ slash", R"("/ slash")"},
        {"caf\xc3\xa9 \xe2\x82\xac", "\"caf\xc3\xa9 \xe2\x82\xac\""},
    };
    for (const QuotedCase& c : cases) {
        std::string out;
        jsonAppendQuoted(out, c.text.c_str());
        EXPECT_EQ(out, c.json);
    }
}

TEST(JsonAppendQuoted, NullTextIsWrittenAsEmptyString) {
    std::string out = "[";
    jsonAppendQuoted(out, nullptr);
    EXPECT_EQ(out, "[\"\"");
}

TEST(JsonAppendQuoted, BytesFormEscapesEmbeddedNul) {
    std::string out;
    jsonAppendQuotedBytes(out, "a\0b", 3);
    EXPECT_EQ(out, R"("a\u0000b")");
}

TEST(JsonAppendQuoted, ReplacesEveryByteOutsideWellFormedUtf8) {
    const std::string replacement = "?";
    const struct {
        std::string text;
        std::string json;
    } cases[] = {
        {"\xc2\xa0 \xdf\xbf", "\"\xc2\xa0 \xdf\xbf\""},               // two-byte sequences
        {"\xe0\xa0\x80\xed\x9f\xbf", "\"\xe0\xa0\x80\xed\x9f\xbf\""}, // the ends around the surrogates
        {"\xf0\x90\x80\x80\xf4\x8f\xbf\xbf", "\"\xf0\x90\x80\x80\xf4\x8f\xbf\xbf\""}, // U+10000 and U+10FFFF
        {"a\x80"
         "b",
         "\"a" + replacement + "b\""},                         // stray continuation byte
        {"\xff\xfe", "\"" + replacement + replacement + "\""}, // bytes never in UTF-8
        {"\xc0\xaf", "\"" + replacement + replacement + "\""}, // overlong "/"
        {"\xe0\x80\xaf", "\"" + replacement + replacement + replacement + "\""},
        {"\xed\xa0\x80", "\"" + replacement + replacement + replacement + "\""}, // encoded surrogate
        {"\xf4\x90\x80\x80", "\"" + replacement + replacement + replacement + replacement + "\""},
        {"\xe2\x82", "\"" + replacement + replacement + "\""},       // truncated by the end
        {"\xe2\x82\"", "\"" + replacement + replacement + "\\\"\""}, // truncated by a quote
    };
    for (const auto& c : cases) {
        std::string out;
        jsonAppendQuoted(out, c.text.c_str());
        EXPECT_EQ(out, c.json);
    }
}

// Every byte below 0x80 except the control bytes without a short escape must come back unchanged
// through the shared reader; those come back as the reader's "?" for any \u escape. A lone byte of
// 0x80 or above is no UTF-8 and comes back as "?" too.
TEST(JsonAppendQuoted, ReaderRestoresEveryByte) {
    std::string text;
    std::string expected;
    for (int byte = 1; byte < 256; ++byte) {
        text += static_cast<char>(byte);
        text += ' ';
        const bool hasShortEscape =
            byte == '\b' || byte == '\f' || byte == '\n' || byte == '\r' || byte == '\t';
        if (byte >= 0x80) {
            expected += '?';
        } else {
            expected += byte < 0x20 && !hasShortEscape ? '?' : static_cast<char>(byte);
        }
        expected += ' ';
    }
    std::string json;
    jsonAppendQuoted(json, text.c_str());
    for (const char ch : json.substr(1, json.size() - 2)) {
        EXPECT_GE(static_cast<unsigned char>(ch), 0x20) << "raw control byte in the output";
    }
    Reader reader = makeReader(json);
    std::string back;
    ASSERT_TRUE(parseString(reader, &back));
    EXPECT_EQ(back, expected);
    EXPECT_TRUE(atEndOfInput(reader));
}

} // namespace
} // namespace vanto
