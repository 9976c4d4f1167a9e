#include "encoding/json_reader.h"

#include "support/exact_buffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace vanto {
namespace {

using test::ExactBuffer;

// Every case reads from a buffer that ends at a guard page, so any over-read crashes the test.
struct ReaderOver {
    explicit ReaderOver(std::string_view text) : buffer(text), reader{buffer.begin(), buffer.end()} {}
    std::size_t consumed() const { return static_cast<std::size_t>(reader.cursor - buffer.begin()); }
    ExactBuffer buffer;
    Reader reader;
};

struct StringCase {
    const char* input;
    bool ok;
    std::string expected;
};

TEST(ParseString, DecodesEscapesAndTakesOtherBytesAsTheyStand) {
    const StringCase cases[] = {
        {R"("abc")", true, "abc"},
        {" \t\r\n\"x\"", true, "x"},
        {R"("")", true, ""},
        {R"("a\"b\\c\/d")", true, "a\"b\\c/d"},
        {R"("\b\f\n\r\t")", true, "\b\f\n\r\t"},
        {R"("\q")", true, "q"},
        {R"("\u00e9!")", true, "?!"},
        {R"("\ud83d\ude00")", true, "??"},
        {"\"raw\ttab\x01 caf\xc3\xa9\"", true, "raw\ttab\x01 caf\xc3\xa9"},
        {R"("unterminated)", false, ""},
        {R"("ends in backslash\)", false, ""},
        {R"("\u12")", false, ""}, // the escape swallows the closing quote
        {R"(abc)", false, ""},
        {"", false, ""},
        {"   ", false, ""},
    };
    for (const StringCase& c : cases) {
        ReaderOver over(c.input);
        std::string out = "stale";
        EXPECT_EQ(parseString(over.reader, &out), c.ok) << c.input;
        if (c.ok) {
            EXPECT_EQ(out, c.expected) << c.input;
            EXPECT_EQ(over.consumed(), over.buffer.size()) << c.input;
        }
    }
}

TEST(ParseString, SkipsWithoutStoringWhenOutIsNull) {
    ReaderOver over(R"("skip \"me\"" ,)");
    ASSERT_TRUE(parseString(over.reader, nullptr));
    EXPECT_TRUE(consumeChar(over.reader, ','));
}

// The reference for numbers is strtod itself on a terminated copy, in the "C" locale the test
// process runs in: the reader must accept exactly what it accepts and stop where it stops.
TEST(ParseNumber, AcceptsExactlyWhatStrtodAccepts) {
    const char* inputs[] = {
        "0",
        "-0",
        "42",
        "-1.5e3",
        "+1",
        ".5",
        "5.",
        "1e-07",
        "1E+21",
        "0x1p4",
        "0X1.8P1",
        "0x",
        "0xg",
        "inf",
        "-INF",
        "infinity",
        "infinit",
        "nan",
        "NaN(abc_1)",
        "nan(",
        "1e999",
        "-1e-999",
        "1e",
        "1e+",
        "+-1",
        "1.2.3",
        "1_000",
        "1(2)",
        "\v7",
        "\f 8",
        "1.5x",
        "12,5",
        "-",
        ".",
        "e5",
        "abc",
        "true",
        "}",
        "",
        "007",
        "0.000000000000000000000000000000000000000000000000000000000000000000000000000000000000001",
        "123456789012345678901234567890123456789012345678901234567890123",   // 63 bytes
        "1234567890123456789012345678901234567890123456789012345678901234",  // 64 bytes
        "12345678901234567890123456789012345678901234567890123456789012345", // 65 bytes
        "1.0000000000000000000000000000000000000000000000000000000000000000000000000001e2xyz",
    };
    for (const char* input : inputs) {
        char* stop = nullptr;
        const double reference = std::strtod(input, &stop);
        const std::size_t referenceConsumed = static_cast<std::size_t>(stop - input);

        ReaderOver over(input);
        double value = -12345.0;
        const bool ok = parseNumber(over.reader, &value);
        EXPECT_EQ(ok, referenceConsumed > 0) << '"' << input << '"';
        if (ok) {
            EXPECT_EQ(over.consumed(), referenceConsumed) << input;
            if (std::isnan(reference)) {
                EXPECT_TRUE(std::isnan(value)) << input;
            } else {
                EXPECT_EQ(value, reference) << input;
            }
        } else {
            EXPECT_EQ(value, -12345.0) << input;
        }
    }
}

TEST(ParseNumber, ReadsNumbersThatEndExactlyAtTheEndOfTheBuffer) {
    const struct {
        const char* input;
        double expected;
    } cases[] = {{"7", 7.0},       {"123", 123.0}, {" 1e5", 1e5},
                 {"-0.25", -0.25}, {"0x1p3", 8.0}, {"inf", INFINITY}};
    for (const auto& c : cases) {
        ReaderOver over(c.input);
        double value = 0.0;
        ASSERT_TRUE(parseNumber(over.reader, &value)) << c.input;
        EXPECT_EQ(value, c.expected) << c.input;
        EXPECT_EQ(over.reader.cursor, over.reader.end) << c.input;
    }
}

TEST(ParseNumber, NanWithPayloadAtTheEndOfTheBuffer) {
    ReaderOver over("nan(1a)");
    double value = 0.0;
    ASSERT_TRUE(parseNumber(over.reader, &value));
    EXPECT_TRUE(std::isnan(value));
    EXPECT_EQ(over.reader.cursor, over.reader.end);
}

TEST(ParseNumber, LeavesTheCursorOnFailureSoAnotherValueKindCanBeTried) {
    ReaderOver over("  \"text\"");
    EXPECT_FALSE(parseNumber(over.reader, nullptr));
    std::string text;
    ASSERT_TRUE(parseString(over.reader, &text));
    EXPECT_EQ(text, "text");
}

TEST(ParseNumber, AcceptsNullOutput) {
    ReaderOver over("12.5]");
    ASSERT_TRUE(parseNumber(over.reader, nullptr));
    EXPECT_TRUE(consumeChar(over.reader, ']'));
}

struct SkipCase {
    const char* input;
    bool ok;
};

TEST(SkipValue, ConsumesOneWellFormedValue) {
    const SkipCase cases[] = {
        {R"({"a":[1,true,false,null,"x",{"b":{}}],"c":-2.5e3})", true},
        {" { \"a\" : 1 , \"b\" : [ ] } ", true},
        {"{ }", true},
        {"[ ]", true},
        {"\"str\"", true},
        {"true", true},
        {"null", true},
        {"-12", true},
        {"nan", true},
        {"[1,2,]", false},
        {R"({"a":1,})", false},
        {R"({"a" 1})", false},
        {R"({"a":})", false},
        {R"({a:1})", false},
        {"[1 2]", false},
        {"[1;2]", false},
        {"[1,2", false},
        {R"({"a":1)", false},
        {"tru", false},
        {"nul", false},
        {"fals", false},
        {"\"open", false},
        {"", false},
        {"   ", false},
        {"]", false},
        {",", false},
    };
    for (const SkipCase& c : cases) {
        ReaderOver over(c.input);
        const bool ok = skipValue(over.reader, 1);
        EXPECT_EQ(ok, c.ok) << c.input;
        if (ok) {
            EXPECT_TRUE(atEndOfInput(over.reader)) << c.input;
        }
    }
}

TEST(SkipValue, StopsRightAfterTheValue) {
    ReaderOver over(R"([1,{"k":"v"}] , 5)");
    ASSERT_TRUE(skipValue(over.reader, 1));
    EXPECT_TRUE(consumeChar(over.reader, ','));
    ASSERT_TRUE(skipValue(over.reader, 1));
    EXPECT_TRUE(atEndOfInput(over.reader));
}

std::string nestedArrays(int levels, const std::string& inner) {
    return std::string(levels, '[') + inner + std::string(levels, ']');
}

std::string nestedObjects(int levels, const std::string& inner) {
    std::string text;
    for (int i = 0; i < levels; ++i) {
        text += "{\"k\":";
    }
    return text + inner + std::string(levels, '}');
}

// Values skipped at depth 1 may nest down to depth 32: 31 arrays around a number put the number at
// depth 32, 32 empty arrays put the innermost array there.
TEST(SkipValue, RefusesNestingBelowDepth32) {
    const struct {
        std::string input;
        bool ok;
    } cases[] = {
        {nestedArrays(31, "1"), true},    {nestedArrays(32, "1"), false},  {nestedArrays(33, "1"), false},
        {nestedArrays(31, ""), true},     {nestedArrays(32, ""), true},    {nestedArrays(33, ""), false},
        {nestedObjects(31, "1"), true},   {nestedObjects(32, "1"), false}, {nestedObjects(33, "1"), false},
        {nestedObjects(32, "{}"), false}, {nestedObjects(31, "{}"), true},
    };
    for (const auto& c : cases) {
        ReaderOver over(c.input);
        EXPECT_EQ(skipValue(over.reader, 1), c.ok) << c.input;
    }
}

TEST(SkipValue, RefusesADepthAlreadyBeyondTheLimit) {
    ReaderOver over("1");
    EXPECT_FALSE(skipValue(over.reader, kJsonMaxDepth + 1));
}

TEST(ParseLiteral, NeedsTheWholeLiteralBeforeTheEnd) {
    ReaderOver partial("tru");
    EXPECT_FALSE(parseLiteral(partial.reader, "true"));
    EXPECT_EQ(partial.consumed(), 0u);

    ReaderOver whole(" true");
    EXPECT_TRUE(parseLiteral(whole.reader, "true"));
    EXPECT_EQ(whole.reader.cursor, whole.reader.end);
}

TEST(PeekChar, ReportsTheNextByteOrEnd) {
    ReaderOver over("  [");
    EXPECT_EQ(peekChar(over.reader), '[');
    EXPECT_EQ(over.consumed(), 2u);
    ASSERT_TRUE(consumeChar(over.reader, '['));
    EXPECT_EQ(peekChar(over.reader), -1);
}

TEST(ParseObjectMembers, HandsEachKeyToTheValueReader) {
    ReaderOver over(R"( { "rate" : 48000 , "name" : "x", "skip": [1, {"a": 2}] } )");
    std::string key;
    double rate = 0.0;
    std::string name;
    std::string keys;
    const bool ok = parseObjectMembers(over.reader, &key, [&] {
        keys += key + ";";
        if (key == "rate") {
            return parseNumber(over.reader, &rate);
        }
        if (key == "name") {
            return parseString(over.reader, &name);
        }
        return skipValue(over.reader, 1);
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(keys, "rate;name;skip;");
    EXPECT_EQ(rate, 48000.0);
    EXPECT_EQ(name, "x");
    EXPECT_TRUE(atEndOfInput(over.reader));
}

TEST(ParseObjectMembers, FailsOnMalformedObjectsAndOnAFailingValueReader) {
    const SkipCase cases[] = {
        {"{ }", true},    {R"({"a":1})", true}, {R"({"a":1,})", false}, {R"({"a":1 "b":2})", false},
        {R"([])", false}, {R"({"a":1)", false}, {R"({,})", false},
    };
    for (const SkipCase& c : cases) {
        ReaderOver over(c.input);
        EXPECT_EQ(parseObjectMembers(over.reader, nullptr, [&] { return skipValue(over.reader, 1); }), c.ok)
            << c.input;
    }
    ReaderOver refused(R"({"a":1})");
    EXPECT_FALSE(parseObjectMembers(refused.reader, nullptr, [] { return false; }));
}

TEST(ParseArrayElements, VisitsEachElementInOrder) {
    ReaderOver over("[ 1, 2 ,3 ]");
    double sum = 0.0;
    int count = 0;
    ASSERT_TRUE(parseArrayElements(over.reader, [&] {
        double value = 0.0;
        ++count;
        return parseNumber(over.reader, &value) && (sum = sum * 10 + value, true);
    }));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(sum, 123.0);

    for (const char* bad : {"[1,]", "[1 2]", "[1", "{}", "[,1]"}) {
        ReaderOver malformed(bad);
        EXPECT_FALSE(parseArrayElements(malformed.reader, [&] { return skipValue(malformed.reader, 1); }))
            << bad;
    }
}

} // namespace
} // namespace vanto
