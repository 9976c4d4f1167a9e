#include "banks/json_tree.h"

#include <gtest/gtest.h>

#include <string>

namespace vanto {
namespace {

bool parseText(const std::string& text, JsonValue& out) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    return parseJsonDocument(bytes, bytes + text.size(), out);
}

std::string nestedArrays(int depth) {
    return std::string(depth, '[') + "1" + std::string(depth, ']');
}

TEST(JsonTree, ReadsEveryValueTypeIntoTheTree) {
    JsonValue doc;
    ASSERT_TRUE(parseText(
        " {\"b\":true,\"f\":false,\"n\":null,\"x\":-1.5e2,\"s\":\"hi\",\"a\":[1,\"two\",{}]}\r\n", doc));
    ASSERT_TRUE(doc.isObject());
    EXPECT_TRUE(doc.find("b")->boolean);
    EXPECT_TRUE(doc.find("f")->isBool());
    EXPECT_FALSE(doc.find("f")->boolean);
    EXPECT_EQ(doc.find("n")->type, JsonValue::Type::null);
    EXPECT_DOUBLE_EQ(doc.find("x")->number, -150.0);
    EXPECT_EQ(doc.str("s"), "hi");
    ASSERT_EQ(doc.find("a")->array.size(), 3u);
    EXPECT_EQ(doc.find("a")->array[1].text, "two");
    EXPECT_TRUE(doc.find("a")->array[2].isObject());
}

TEST(JsonTree, LookupsFallBackOnMissingMembersAndWrongTypes) {
    JsonValue doc;
    ASSERT_TRUE(parseText("{\"n\":3,\"s\":\"x\"}", doc));
    EXPECT_EQ(doc.find("missing"), nullptr);
    EXPECT_EQ(doc.str("n", "fallback"), "fallback");
    EXPECT_EQ(doc.str("missing", "fallback"), "fallback");
    EXPECT_EQ(doc.find("s")->find("anything"), nullptr); // not an object
    EXPECT_EQ(doc.find("s")->str("anything", "fb"), "fb");
}

TEST(JsonTree, RepeatedKeyKeepsTheLaterValue) {
    JsonValue doc;
    ASSERT_TRUE(parseText("{\"k\":1,\"k\":2}", doc));
    EXPECT_EQ(doc.object.size(), 1u);
    EXPECT_EQ(doc.find("k")->number, 2.0);
}

struct StringCase {
    const char* json;
    std::string expected;
};

TEST(JsonTree, DecodesEveryEscapeAndSurrogates) {
    const StringCase cases[] = {
        {R"("\"\\\/\b\f\n\r\t")", "\"\\/\b\f\n\r\t"},
        {R"("\u0041\u00e9\u20AC")", "A\xC3\xA9\xE2\x82\xAC"},
        {R"("\ud83c\udfb5")", "\xF0\x9F\x8E\xB5"}, // a pair becomes one four-byte code point
        {R"("\ud83cx")", "\xED\xA0\xBC"
                         "x"},           // unpaired high surrogate: its own three bytes
        {R"("\udfb5")", "\xED\xBE\xB5"}, // lone low surrogate
        {R"("\ud83c\u0041")", "\xED\xA0\xBC"
                              "A"},                   // high surrogate followed by a non-low escape
        {"\"raw\x01\ttab\xFF\"", "raw\x01\ttab\xFF"}, // other bytes copied unchanged
    };
    for (const StringCase& c : cases) {
        JsonValue value;
        ASSERT_TRUE(parseText(c.json, value)) << c.json;
        EXPECT_EQ(value.text, c.expected) << c.json;
    }
}

TEST(JsonTree, RefusesMalformedDocuments) {
    const char* cases[] = {
        "",      "   ",    "{",           "{\"a\":1,}",  "[1,]",      "[1 2]",       "{\"a\" 1}",
        "{a:1}", "\"open", "\"bad \\x\"", "\"\\u12G4\"", "\"\\u12\"", "tru",         "nul",
        "-",     "{} {}",  "1 x",         "\"a\\",       "[\xFF]",    "{\"a\":1}\v",
    };
    for (const char* text : cases) {
        JsonValue value;
        EXPECT_FALSE(parseText(text, value)) << text;
    }
}

TEST(JsonTree, NumbersFollowStrtodWithoutReadingPastTheRange) {
    const std::pair<const char*, double> cases[] = {
        {"0", 0.0}, {"+5", 5.0}, {".5", 0.5}, {"0x10", 16.0}, {"1e3", 1000.0}};
    for (const auto& [text, expected] : cases) {
        JsonValue value;
        ASSERT_TRUE(parseText(text, value)) << text;
        EXPECT_EQ(value.number, expected) << text;
    }
    // The range ends inside what would otherwise be a longer number.
    std::string text = "[12345]";
    JsonValue value;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    EXPECT_FALSE(parseJsonDocument(bytes, bytes + 3, value));
    ASSERT_TRUE(parseJsonDocument(bytes + 1, bytes + 4, value));
    EXPECT_EQ(value.number, 123.0);
}

TEST(JsonTree, NestingIsLimitedTo32LevelsBelowTheTop) {
    JsonValue value;
    // The number inside n arrays sits at depth n; the top-level value is depth 0.
    EXPECT_TRUE(parseText(nestedArrays(kJsonTreeMaxDepth), value));
    EXPECT_FALSE(parseText(nestedArrays(kJsonTreeMaxDepth + 1), value));
    EXPECT_TRUE(parseText(std::string(33, '[') + std::string(33, ']'), value));
    EXPECT_FALSE(parseText(std::string(34, '[') + std::string(34, ']'), value));
    EXPECT_FALSE(parseText(std::string(100000, '[') + std::string(100000, ']'), value));
}

} // namespace
} // namespace vanto
