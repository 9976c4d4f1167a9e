// The pad override document: its exact written form, what the reader keeps, drops and refuses, and
// the reader's behaviour on hostile input (every read goes through a buffer that ends at a guard
// page, so a stray read past the document crashes the test).
#include "banks/sampler_pad_overrides.h"

#include "support/exact_buffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

namespace vanto {
namespace {

bool parseGuarded(const std::string& text, SamplerPadOverrides& out) {
    const test::ExactBuffer buffer(text);
    return parseSamplerPadOverridesJson(buffer.begin(), buffer.size(), out);
}

std::string written(const SamplerPadOverrides& overrides) {
    std::string out;
    writeSamplerPadOverridesJson(out, overrides);
    return out;
}

SamplerPadOverride padWithGain(std::string id, double gain) {
    SamplerPadOverride pad;
    pad.padId = std::move(id);
    pad.gain = gain;
    pad.mask = kPadGain;
    return pad;
}

std::string nested(int levels, const std::string& inner) {
    return std::string(static_cast<std::size_t>(levels), '[') + inner +
           std::string(static_cast<std::size_t>(levels), ']');
}

// A map of `count` pads "p0", "p1", ... each with a valid gain.
std::string manyPads(int count) {
    std::string text = "{";
    for (int i = 0; i < count; ++i) {
        text += (i > 0 ? ",\"p" : "\"p") + std::to_string(i) + "\":{\"gain\":1}";
    }
    return text + "}";
}

TEST(SamplerPadOverridesWriter, WritesGivenFieldsInTableOrderAndSkipsUnusablePads) {
    SamplerPadOverride kick;
    kick.padId = "kick";
    kick.muted = 1.0;
    kick.gain = 0.5;
    kick.mask = kPadMuted | kPadGain;
    SamplerPadOverride noId = padWithGain("", 2.0);
    SamplerPadOverride noMask;
    noMask.padId = "snare";
    EXPECT_EQ(written({noId, kick, noMask}), R"({"kick":{"gain":0.5,"muted":1}})");
    EXPECT_EQ(written({}), "{}");
    EXPECT_EQ(written({noId, noMask}), "{}");
}

TEST(SamplerPadOverridesWriter, WritesEveryFieldAndNonFiniteAsNull) {
    SamplerPadOverride all;
    all.padId = "a\"b";
    all.mask = 0x7FFF;
    all.transpose = -24;
    all.fineTune = 12.5;
    all.gain = std::numeric_limits<double>::quiet_NaN();
    all.start = 1e-7;
    EXPECT_EQ(written({all}),
              R"({"a\"b":{"transpose":-24,"fineTune":12.5,"gain":null,"pan":0,"start":1e-07,"end":1,)"
              R"("attack":0,"release":0.025,"filterHz":20000,"resonance":0.7,"reverse":0,"muted":0,)"
              R"("chokeGroup":0,"roundRobinGroup":0,"velocitySensitivity":1}})");
}

TEST(SamplerPadOverridesReader, ReadsTheExampleWithItsMaskAndValues) {
    SamplerPadOverrides list;
    const std::string text = R"({"kick":{"gain":0.5,"muted":1}})";
    ASSERT_TRUE(parseGuarded(text, list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].padId, "kick");
    EXPECT_EQ(list[0].mask, 0x0804u);
    EXPECT_EQ(list[0].gain, 0.5);
    EXPECT_EQ(list[0].muted, 1.0);
    EXPECT_EQ(list[0].pan, 0.0) << "fields not given keep their defaults";
    EXPECT_EQ(list[0].release, 0.025);
    EXPECT_EQ(written(list), text);
}

struct AcceptedCase {
    const char* name;
    std::string document;
    std::string expected; // the accepted list, as the writer puts it
};

void PrintTo(const AcceptedCase& c, std::ostream* os) {
    *os << c.document;
}

class AcceptedDocuments : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedDocuments, ReadAsExpected) {
    SamplerPadOverrides list{padWithGain("previous", 3.0)};
    ASSERT_TRUE(parseGuarded(GetParam().document, list));
    EXPECT_EQ(written(list), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AcceptedDocuments,
    ::testing::Values(
        AcceptedCase{"EmptyMap", "{}", "{}"}, AcceptedCase{"EmptyPadIsDiscarded", R"({"p":{}})", "{}"},
        AcceptedCase{"FractionalTransposeLeavesAnEmptyPad", R"({"kick":{"transpose":2.5}})", "{}"},
        AcceptedCase{"GainAboveRange", R"({"kick":{"gain":5}})", "{}"},
        AcceptedCase{"ReverseNeitherZeroNorOne", R"({"kick":{"reverse":0.5}})", "{}"},
        AcceptedCase{"StringValueIsSkipped", R"({"kick":{"gain":"x"}})", "{}"},
        AcceptedCase{"SkippedValuesDoNotStopTheRest",
                     R"({"kick":{"gain":"x","muted":true,"start":[1,{"a":null}],"pan":-1}})",
                     R"({"kick":{"pan":-1}})"},
        AcceptedCase{"LaterDuplicateReplacesTheEarlier", R"({"kick":{"gain":0.5},"kick":{"pan":1}})",
                     R"({"kick":{"pan":1}})"},
        AcceptedCase{"DuplicateKeepsItsFirstPosition", R"({"b":{"gain":1},"a":{"gain":2},"b":{"pan":0}})",
                     R"({"b":{"pan":0},"a":{"gain":2}})"},
        AcceptedCase{"NonObjectPadsAreSkipped", R"({"a":1,"b":[1,{"x":2}],"c":null,"d":"x","e":{"end":0}})",
                     R"({"e":{"end":0}})"},
        AcceptedCase{"RangeBoundsAreInclusive",
                     R"({"p":{"transpose":-24,"fineTune":100,"release":0.001,"filterHz":20,)"
                     R"("resonance":18,"chokeGroup":8,"roundRobinGroup":0,"velocitySensitivity":0}})",
                     R"({"p":{"transpose":-24,"fineTune":100,"release":0.001,"filterHz":20,)"
                     R"("resonance":18,"chokeGroup":8,"roundRobinGroup":0,"velocitySensitivity":0}})"},
        AcceptedCase{"JustOutsideTheBounds",
                     R"({"p":{"transpose":25,"fineTune":-100.5,"release":0.0009,"filterHz":20001,)"
                     R"("resonance":0.09,"chokeGroup":-1,"roundRobinGroup":8.5,"end":1.0001}})",
                     "{}"},
        AcceptedCase{"NonFiniteNumbersSetNothing",
                     R"({"p":{"gain":nan,"pan":inf,"end":-infinity,"start":0.25}})",
                     R"({"p":{"start":0.25}})"},
        AcceptedCase{"NumbersAsStrtodReadsThem",
                     R"({"p":{"gain":+1,"pan":.5,"attack":0x1p0,"fineTune":-1e1}})",
                     R"({"p":{"fineTune":-10,"gain":1,"pan":0.5,"attack":1}})"},
        AcceptedCase{"UnknownKeysAreIgnored", R"({"p":{"volume":1,"Gain":3,"gain":2}})",
                     R"({"p":{"gain":2}})"},
        AcceptedCase{"WhitespaceBetweenAllTokens", " {\t\"p\" :\r\n{ \"gain\" : 2 , \"pan\":0 }\n} \t",
                     R"({"p":{"gain":2,"pan":0}})"},
        AcceptedCase{"EscapedIdsAsTheReaderTakesThem", R"({"k\"q":{"gain":1},"\u00e9\/":{"gain":2}})",
                     R"({"k\"q":{"gain":1},"?/":{"gain":2}})"},
        AcceptedCase{"PadWithoutIdIsDiscarded", R"({"":{"gain":1},"a":{"gain":1}})", R"({"a":{"gain":1}})"},
        AcceptedCase{"DeepestSkippedPadValue", "{\"a\":" + nested(31, "1") + ",\"b\":{\"gain\":1}}",
                     R"({"b":{"gain":1}})"},
        AcceptedCase{"DeepestSkippedFieldValue", "{\"a\":{\"gain\":" + nested(30, "1") + ",\"pan\":1}}",
                     R"({"a":{"pan":1}})"}),
    [](const ::testing::TestParamInfo<AcceptedCase>& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    std::string document;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusedDocuments : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedDocuments, LeaveThePreviousListUnchanged) {
    const SamplerPadOverrides previous{padWithGain("previous", 3.0), padWithGain("other", 0.5)};
    SamplerPadOverrides list = previous;
    EXPECT_FALSE(parseGuarded(GetParam().document, list));
    EXPECT_EQ(list, previous);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedDocuments,
    ::testing::Values(RefusedCase{"Empty", ""}, RefusedCase{"OnlyWhitespace", " \n"},
                      RefusedCase{"Array", "[]"}, RefusedCase{"Unclosed", R"({"a":{"gain":1})"},
                      RefusedCase{"TrailingText", R"({"a":{"gain":1}}x)"},
                      RefusedCase{"SecondDocument", R"({"a":{"gain":1}}{})"},
                      RefusedCase{"TrailingCommaInMap", R"({"a":{"gain":1},})"},
                      RefusedCase{"TrailingCommaInPad", R"({"a":{"gain":1,}})"},
                      RefusedCase{"MissingColon", R"({"a" {}})"}, RefusedCase{"MissingValue", R"({"a":})"},
                      RefusedCase{"UnquotedKey", R"({a:{}})"},
                      RefusedCase{"MissingCommaInPad", R"({"a":{"gain":1 "pan":1}})"},
                      RefusedCase{"NumberWithTrailingBytes", R"({"a":{"gain":1.5x}})"},
                      RefusedCase{"BrokenLiteral", R"({"a":{"gain":tru}})"},
                      RefusedCase{"LoneMinus", R"({"a":{"gain":-}})"},
                      RefusedCase{"MalformedSkippedPadValue", R"({"a":[1,],"b":{"gain":1}})"},
                      RefusedCase{"UnterminatedId", R"({"a)"}, RefusedCase{"BackslashAtTheEnd", "{\"a\\"},
                      RefusedCase{"PadValueTooDeep", "{\"a\":" + nested(32, "1") + "}"},
                      RefusedCase{"FieldValueTooDeep", "{\"a\":{\"gain\":" + nested(31, "1") + "}}"},
                      RefusedCase{"FarTooDeep", "{\"a\":" + std::string(100000, '[')}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(SamplerPadOverridesReader, AcceptedDocumentReplacesTheWholeList) {
    SamplerPadOverrides list{padWithGain("previous", 3.0)};
    ASSERT_TRUE(parseGuarded(R"({"a":{"gain":1}})", list));
    EXPECT_EQ(written(list), R"({"a":{"gain":1}})");
    EXPECT_FALSE(parseSamplerPadOverridesJson(nullptr, 4, list));
    EXPECT_EQ(list.size(), 1u);
}

TEST(SamplerPadOverridesReader, MoreThan256MembersReadAsAnEmptyList) {
    SamplerPadOverrides list;
    ASSERT_TRUE(parseGuarded(manyPads(256), list));
    ASSERT_EQ(list.size(), 256u);
    EXPECT_EQ(list.front().padId, "p0");
    EXPECT_EQ(list.back().padId, "p255");

    ASSERT_TRUE(parseGuarded(manyPads(257), list));
    EXPECT_TRUE(list.empty());

    // Every member counts, whatever became of it.
    std::string withInvalid = manyPads(200);
    withInvalid.pop_back();
    for (int i = 0; i < 57; ++i) {
        withInvalid += ",\"bad" + std::to_string(i) + (i % 2 == 0 ? "\":1" : "\":{\"gain\":9}");
    }
    list = {padWithGain("previous", 3.0)};
    ASSERT_TRUE(parseGuarded(withInvalid + "}", list));
    EXPECT_TRUE(list.empty());
}

TEST(SamplerPadOverridesReader, MergingIntoAFullListReplacesButDoesNotAppend) {
    SamplerPadOverrides list;
    ASSERT_TRUE(parseGuarded(manyPads(256), list));
    const std::string text = R"({"new":{"gain":2},"p7":{"pan":1}})";
    Reader reader = makeReader(text);
    ASSERT_TRUE(parsePadOverrideMap(reader, list));
    ASSERT_EQ(list.size(), 256u);
    EXPECT_EQ(list[7].padId, "p7");
    EXPECT_EQ(list[7].mask, kPadPan);
    EXPECT_EQ(list[7].pan, 1.0);
    for (const SamplerPadOverride& pad : list) {
        EXPECT_NE(pad.padId, "new");
    }
}

TEST(SamplerPadOverridesReader, MapReaderStopsAfterItsObjectAndKeepsTheListOnFailure) {
    SamplerPadOverrides list{padWithGain("kept", 1.0)};
    const std::string text = R"({"a":{"gain":2}} ,"rest")";
    Reader reader = makeReader(text);
    ASSERT_TRUE(parsePadOverrideMap(reader, list));
    EXPECT_EQ(std::string(reader.cursor, reader.end), R"( ,"rest")");
    EXPECT_EQ(written(list), R"({"kept":{"gain":1},"a":{"gain":2}})");

    const std::string broken = R"({"b":{"gain":2},"c":)";
    Reader brokenReader = makeReader(broken);
    EXPECT_FALSE(parsePadOverrideMap(brokenReader, list));
    EXPECT_EQ(written(list), R"({"kept":{"gain":1},"a":{"gain":2}})");
}

TEST(SamplerPadOverridesReader, IdsUpTo160BytesAreKept) {
    const std::string longest(kMaxSamplerPadIdBytes, 'x');
    const std::string tooLong(kMaxSamplerPadIdBytes + 1, 'y');
    SamplerPadOverrides list;
    ASSERT_TRUE(parseGuarded("{\"" + longest + "\":{\"gain\":1},\"" + tooLong + "\":{\"gain\":1}}", list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].padId, longest);
}

TEST(SamplerPadOverridesReader, RoundTripsEveryField) {
    SamplerPadOverride full;
    full.padId = "pad \xC3\xA9 one";
    full.mask = 0x7FFF;
    full.transpose = -7;
    full.fineTune = -33.3;
    full.gain = 0.1;
    full.pan = -0.25;
    full.start = 0.125;
    full.end = 0.9;
    full.attack = 1.999;
    full.release = 0.001;
    full.filterHz = 1234.5;
    full.resonance = 17.75;
    full.reverse = 1;
    full.muted = 0;
    full.chokeGroup = 8;
    full.roundRobinGroup = 3;
    full.velocitySensitivity = 1.0 / 3.0;
    SamplerPadOverride some = padWithGain("second", 4.0);
    some.mask |= kPadVelocitySensitivity;
    some.velocitySensitivity = 0.0;
    const SamplerPadOverrides original{full, some};

    SamplerPadOverrides read;
    ASSERT_TRUE(parseGuarded(written(original), read));
    EXPECT_EQ(read, original);
    EXPECT_EQ(written(read), written(original));
}

// Hostile input: nothing may read past the document, recurse without bound or crash.

TEST(SamplerPadOverridesHostileInput, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
    const std::string text =
        R"({"kick":{"gain":0.5,"transpose":-12,"x":[1,{"y":"z\"w"}],"pan":-1e-2},"s":null})";
    for (std::size_t length = 0; length < text.size(); ++length) {
        SamplerPadOverrides list{padWithGain("previous", 3.0)};
        EXPECT_FALSE(parseGuarded(text.substr(0, length), list)) << "prefix of " << length << " bytes";
        ASSERT_EQ(list.size(), 1u);
    }
    SamplerPadOverrides list;
    EXPECT_TRUE(parseGuarded(text, list));
    EXPECT_EQ(written(list), R"({"kick":{"transpose":-12,"gain":0.5,"pan":-0.01}})");
}

TEST(SamplerPadOverridesHostileInput, NumbersEndingAtTheBufferEndAreReadWithinIt) {
    // The last number of each text ends exactly at the guard page.
    for (const char* text :
         {R"({"a":{"gain":1)", R"({"a":{"gain":1e)", R"({"a":{"gain":0x1p)", R"({"a":{"gain":nan()"}) {
        SamplerPadOverrides list;
        EXPECT_FALSE(parseGuarded(text, list)) << text;
    }
}

TEST(SamplerPadOverridesHostileInput, VeryLongIdsAreDropped) {
    const std::string huge(1 << 20, 'k');
    SamplerPadOverrides list;
    ASSERT_TRUE(parseGuarded("{\"" + huge + "\":{\"gain\":1},\"ok\":{\"gain\":2}}", list));
    EXPECT_EQ(written(list), R"({"ok":{"gain":2}})");
}

// Read as bytes, but written as one "?" each: a written document is always valid UTF-8.
TEST(SamplerPadOverridesHostileInput, RawNonUtf8BytesInIdsAreReadAsBytesAndWrittenAsQuestionMarks) {
    SamplerPadOverrides list;
    ASSERT_TRUE(parseGuarded(std::string("{\"\xFF\xFE\x80\":{\"gain\":1}}"), list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].padId, "\xFF\xFE\x80");
    EXPECT_EQ(written(list), R"({"???":{"gain":1}})");
    SamplerPadOverrides again;
    ASSERT_TRUE(parseGuarded(written(list), again));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].padId, "???");
    EXPECT_EQ(written(again), written(list));
}

TEST(SamplerPadOverridesHostileInput, ControlBytesInIdsAreWrittenAsAValidDocument) {
    SamplerPadOverrides list;
    ASSERT_TRUE(parseGuarded(std::string("{\"a\x01\nb\":{\"gain\":1}}"), list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].padId, "a\x01\nb");
    EXPECT_EQ(written(list), R"({"a\u0001\nb":{"gain":1}})");
    SamplerPadOverrides again;
    ASSERT_TRUE(parseGuarded(written(list), again));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].padId, "a?\nb") << "the reader decodes no code points";
}

TEST(SamplerPadOverridesHostileInput, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    for (const std::string& text :
         {"{\"a\":" + std::string(200000, '['), "{\"a\":{\"b\":" + std::string(200000, '{'),
          "{\"a\":" + nested(100000, "1") + "}"}) {
        SamplerPadOverrides list;
        EXPECT_FALSE(parseGuarded(text, list));
    }
}

} // namespace
} // namespace vanto
