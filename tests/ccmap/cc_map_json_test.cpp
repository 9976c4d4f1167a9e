#include "ccmap/cc_map_json_reader.h"
#include "ccmap/cc_map_json_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace vanto {
namespace {

std::string written(const CcMap& map) {
    std::string out;
    writeCcMapJson(out, map);
    return out;
}

bool parse(const std::string& text, CcMap& out) {
    return parseCcMapJson(text.data(), text.size(), out);
}

CcBinding bindingOf(uint32_t parameter, uint8_t cc) {
    CcBinding binding;
    binding.parameter = parameter;
    binding.cc = cc;
    return binding;
}

// A map that differs from every default, to tell "kept" from "replaced".
CcMap previousMap() {
    CcMap map;
    CcBinding binding = bindingOf(5, 99);
    binding.channel = 9;
    binding.takeover = CcTakeover::scaled;
    map.append(binding);
    return map;
}

TEST(CcMapJsonWriter, WritesAnEmptyMap) {
    EXPECT_EQ(written(CcMap{}), R"({"version":1,"bindings":[]})");
}

TEST(CcMapJsonWriter, WritesOnlySettingsThatDifferFromTheDefaults) {
    CcMap map;
    map.append(bindingOf(26, 75));
    CcBinding full = bindingOf(0, 7);
    full.channel = 3;
    full.hasMin = full.hasMax = true;
    full.min = 1.5;
    full.max = 0.1;
    full.curve = CcCurve::sCurve;
    full.valueMode = CcValueMode::toggle;
    full.takeover = CcTakeover::scaled;
    full.enabled = false;
    map.append(full);
    EXPECT_EQ(written(map), R"({"version":1,"bindings":[{"cc":75,"path":"glue.ratio"},)"
                            R"({"cc":7,"path":"sync.bpm","channel":3,"min":1.5,"max":0.1,"curve":"s-curve",)"
                            R"("valueMode":"toggle","takeover":"scaled","enabled":false}]})");
}

TEST(CcMapJsonWriter, LeavesOutBindingsOfUnknownParameters) {
    CcMap map;
    map.append(bindingOf(34, 1));
    map.append(bindingOf(31, 2));
    map.append(bindingOf(1000, 3));
    EXPECT_EQ(written(map), R"({"version":1,"bindings":[{"cc":2,"path":"mix.amount"}]})");
}

TEST(CcMapJsonWriter, WritesTheChangeNotice) {
    CcMap map;
    map.append(bindingOf(31, 2));
    std::string out = "x";
    writeCcMapChangedJson(out, map);
    EXPECT_EQ(
        out,
        R"(x{"type":"vanto.ccMapChanged","map":{"version":1,"bindings":[{"cc":2,"path":"mix.amount"}]}})");
}

TEST(CcMapJson, RoundTripsEverySetting) {
    CcMap map;
    const CcCurve curves[] = {CcCurve::linear, CcCurve::exp, CcCurve::log, CcCurve::sCurve};
    const CcValueMode modes[] = {CcValueMode::absolute, CcValueMode::relativeSignedBit,
                                 CcValueMode::relativeBinaryOffset, CcValueMode::relativeTwosComplement,
                                 CcValueMode::toggle};
    const CcTakeover takeovers[] = {CcTakeover::none, CcTakeover::pickup, CcTakeover::scaled};
    for (uint32_t i = 0; i < kCcMapCapacity; ++i) {
        CcBinding binding = bindingOf(i % 34, static_cast<uint8_t>(i * 2));
        binding.channel = static_cast<uint8_t>(i % 17);
        binding.curve = curves[i % 4];
        binding.valueMode = modes[i % 5];
        binding.takeover = takeovers[i % 3];
        binding.enabled = i % 2 == 0;
        binding.hasMin = i % 3 == 0;
        binding.min = binding.hasMin ? 0.1 * i - 2 : 0;
        binding.hasMax = i % 5 == 0;
        binding.max = binding.hasMax ? 1e-7 * i : 0;
        map.append(binding);
    }
    CcMap read;
    ASSERT_TRUE(parse(written(map), read));
    EXPECT_EQ(read, map);
}

// A document, and the map it reads as (written back), or nullptr when it must be refused.
struct ReadCase {
    const char* name;
    std::string text;
    const char* expected;
};

class CcMapJsonReader : public testing::TestWithParam<ReadCase> {};

TEST_P(CcMapJsonReader, ReadsOrRefusesKeepingThePreviousMap) {
    const ReadCase& c = GetParam();
    CcMap map = previousMap();
    const bool ok = parse(c.text, map);
    if (c.expected == nullptr) {
        EXPECT_FALSE(ok);
        EXPECT_EQ(map, previousMap());
    } else {
        ASSERT_TRUE(ok);
        EXPECT_EQ(written(map), c.expected);
    }
}

const char* const kEmpty = R"({"version":1,"bindings":[]})";

std::string nestedArrays(int levels) {
    return std::string(levels, '[') + "1" + std::string(levels, ']');
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, CcMapJsonReader,
    testing::Values(
        ReadCase{"EmptyArray", "[]", kEmpty}, ReadCase{"EmptyBindings", R"({"bindings":[]})", kEmpty},
        ReadCase{"EmptyObject", "{}", kEmpty}, ReadCase{"Whitespace", " \t\r\n[ \n]\n ", kEmpty},
        ReadCase{"RoundsCc", R"({"version":1,"bindings":[{"cc":74.6,"path":"glue.ratio"}]})",
                 R"({"version":1,"bindings":[{"cc":75,"path":"glue.ratio"}]})"},
        ReadCase{
            "ClampsCcAndChannel",
            R"([{"cc":-3,"path":"mix.amount","channel":0},{"cc":300,"path":"mix.amount","channel":20.7},)"
            R"({"cc":1,"path":"mix.amount","channel":2.5}])",
            R"({"version":1,"bindings":[{"cc":0,"path":"mix.amount","channel":1},)"
            R"({"cc":127,"path":"mix.amount","channel":16},{"cc":1,"path":"mix.amount","channel":3}]})"},
        ReadCase{
            "DropsBindingsWithoutNumericCcOrKnownPath",
            R"([{"cc":"7","path":"glue.ratio"},{"path":"glue.ratio"},{"cc":1},{"cc":2,"path":"glue.Ratio"},)"
            R"({"cc":nan,"path":"glue.ratio"},{"cc":4,"path":"sync.bpm"}])",
            R"({"version":1,"bindings":[{"cc":4,"path":"sync.bpm"}]})"},
        ReadCase{"SkipsNonObjectElements",
                 R"([1,"x",null,true,[{"cc":1,"path":"sync.bpm"}],{},{"cc":5,"path":"sync.bpm"}])",
                 R"({"version":1,"bindings":[{"cc":5,"path":"sync.bpm"}]})"},
        ReadCase{
            "ReadsNamedSettings",
            R"([{"cc":1,"path":"sync.bpm","curve":"exp","valueMode":"relative-signed-bit","takeover":"pickup"},)"
            R"({"cc":2,"path":"sync.bpm","curve":"log","valueMode":"relative-binary-offset","takeover":"scaled"},)"
            R"({"cc":3,"path":"sync.bpm","curve":"s-curve","valueMode":"relative-twos-complement"},)"
            R"({"cc":4,"path":"sync.bpm","curve":"EXP","valueMode":"toggle","takeover":"jump"},)"
            R"({"cc":5,"path":"sync.bpm","curve":"linear","valueMode":"absolute","takeover":"none"}])",
            R"({"version":1,"bindings":[)"
            R"({"cc":1,"path":"sync.bpm","curve":"exp","valueMode":"relative-signed-bit","takeover":"pickup"},)"
            R"({"cc":2,"path":"sync.bpm","curve":"log","valueMode":"relative-binary-offset","takeover":"scaled"},)"
            R"({"cc":3,"path":"sync.bpm","curve":"s-curve","valueMode":"relative-twos-complement"},)"
            R"({"cc":4,"path":"sync.bpm","valueMode":"toggle"},{"cc":5,"path":"sync.bpm"}]})"},
        ReadCase{
            "EnabledOnlyFromLiterals",
            R"([{"cc":1,"path":"sync.bpm","enabled":false},{"cc":2,"path":"sync.bpm","enabled":"no"},)"
            R"({"cc":3,"path":"sync.bpm","enabled":0},{"cc":4,"path":"sync.bpm","enabled":false,"enabled":true}])",
            R"({"version":1,"bindings":[{"cc":1,"path":"sync.bpm","enabled":false},)"
            R"({"cc":2,"path":"sync.bpm"},{"cc":3,"path":"sync.bpm"},{"cc":4,"path":"sync.bpm"}]})"},
        // Non-numbers and non-finite numbers leave a range end unset.
        ReadCase{
            "RangeEndsMustBeFiniteNumbers",
            R"([{"cc":1,"path":"sync.bpm","min":"1","max":1e999},{"cc":2,"path":"sync.bpm","min":-0.5,"max":-1e999},)"
            R"({"cc":3,"path":"sync.bpm","max":12.25,"min":null}])",
            R"({"version":1,"bindings":[{"cc":1,"path":"sync.bpm"},{"cc":2,"path":"sync.bpm","min":-0.5},)"
            R"({"cc":3,"path":"sync.bpm","max":12.25}]})"},
        ReadCase{
            "SkipsUnknownKeysAndVersion",
            R"({"version":"two","extra":{"a":[1,{"b":null}]},"bindings":[{"cc":1,"path":"sync.bpm","x":[{}]}],"z":1})",
            R"({"version":1,"bindings":[{"cc":1,"path":"sync.bpm"}]})"},
        ReadCase{"NonArrayBindingsIsSkipped", R"({"bindings":{"cc":1,"path":"sync.bpm"}})", kEmpty},
        ReadCase{"LaterBindingsListWins",
                 R"({"bindings":[{"cc":1,"path":"sync.bpm"}],"bindings":[{"cc":2,"path":"sync.bpm"}]})",
                 R"({"version":1,"bindings":[{"cc":2,"path":"sync.bpm"}]})"},
        ReadCase{"NestingUpTo32LevelsBelowTheTop",
                 R"([{"cc":1,"path":"sync.bpm","x":)" + nestedArrays(30) + "}]",
                 R"({"version":1,"bindings":[{"cc":1,"path":"sync.bpm"}]})"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Refused, CcMapJsonReader,
    testing::Values(
        ReadCase{"EmptyText", "", nullptr}, ReadCase{"OnlyWhitespace", "  \n", nullptr},
        ReadCase{"Null", "null", nullptr}, ReadCase{"Number", "5", nullptr},
        ReadCase{"String", R"("[]")", nullptr}, ReadCase{"Unclosed", "[", nullptr},
        ReadCase{"UnclosedObject", R"({"bindings":[})", nullptr}, ReadCase{"LeadingComma", "[,]", nullptr},
        ReadCase{"TrailingComma", R"([{"cc":1,"path":"sync.bpm"},])", nullptr},
        ReadCase{"TrailingCommaInBinding", R"([{"cc":1,"path":"sync.bpm",}])", nullptr},
        ReadCase{"MissingComma", R"([{"cc":1 "path":"sync.bpm"}])", nullptr},
        ReadCase{"TrailingText", "[] x", nullptr}, ReadCase{"TwoValues", "[][]", nullptr},
        ReadCase{"PathNotAString", R"([{"cc":1,"path":5}])", nullptr},
        ReadCase{"CurveNotAString", R"([{"cc":1,"path":"sync.bpm","curve":1}])", nullptr},
        ReadCase{"ValueModeNotAString", R"([{"cc":1,"path":"sync.bpm","valueMode":null}])", nullptr},
        ReadCase{"TakeoverNotAString", R"([{"cc":1,"path":"sync.bpm","takeover":true}])", nullptr},
        ReadCase{"BadLiteral", R"([{"cc":1,"path":"sync.bpm","enabled":tru}])", nullptr},
        ReadCase{"BadNumber", R"([{"cc":-,"path":"sync.bpm"}])", nullptr},
        ReadCase{"UnterminatedString", R"([{"cc":1,"path":"sync.bpm)", nullptr},
        ReadCase{"MalformedSkippedValue", R"({"extra":[1,,2],"bindings":[]})", nullptr},
        ReadCase{"NestingBeyond32LevelsBelowTheTop",
                 R"([{"cc":1,"path":"sync.bpm","x":)" + nestedArrays(31) + "}]", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CcMapJsonReader, KeepsTheFirst64Bindings) {
    std::string text = "[";
    for (int i = 0; i < 65; ++i) {
        text += (i > 0 ? "," : "") + std::string(R"({"path":"sync.bpm","cc":)") + std::to_string(i) + "}";
    }
    text += "]";
    CcMap map;
    ASSERT_TRUE(parse(text, map));
    ASSERT_EQ(map.count, 64u);
    EXPECT_EQ(map.bindings[0].cc, 0);
    EXPECT_EQ(map.bindings[63].cc, 63);
}

TEST(CcMapJsonReader, RefusesANullText) {
    CcMap map = previousMap();
    EXPECT_FALSE(parseCcMapJson(nullptr, 0, map));
    EXPECT_EQ(map, previousMap());
}

TEST(CcMapJsonReader, ReadsOnlyTheGivenLength) {
    const std::string text = R"([{"cc":12,"path":"sync.bpm"}]345)";
    CcMap map;
    ASSERT_TRUE(parseCcMapJson(text.data(), text.size() - 3, map));
    EXPECT_EQ(map.bindings[0].cc, 12);
}

TEST(CcMapJsonReader, APathWithAnEmbeddedNulNamesNoParameter) {
    const std::string text = std::string(R"([{"cc":3,"path":"glue.ratio)") + '\0' + R"(x"}])";
    CcMap map = previousMap();
    ASSERT_TRUE(parse(text, map));
    EXPECT_EQ(map.count, 0u);
}

// The value reader as a larger document's parser uses it.
struct ValueCase {
    const char* name;
    const char* text;
    bool hasMap;
    uint32_t count;
};

class CcMapValueReader : public testing::TestWithParam<ValueCase> {};

TEST_P(CcMapValueReader, TellsWhetherTheValueHeldAMap) {
    const ValueCase& c = GetParam();
    const std::string text = c.text;
    Reader reader = makeReader(text);
    CcMap map = previousMap();
    bool hasMap = !c.hasMap;
    ASSERT_TRUE(parseCcMapValue(reader, map, hasMap, 1));
    EXPECT_EQ(hasMap, c.hasMap);
    EXPECT_EQ(map.count, c.count);
    // The reader stops right after the value, where the enclosing document goes on.
    EXPECT_TRUE(consumeChar(reader, ','));
}

INSTANTIATE_TEST_SUITE_P(Cases, CcMapValueReader,
                         testing::Values(ValueCase{"Array", "[],", true, 0},
                                         ValueCase{"ObjectWithBindings", R"({"bindings":[]},)", true, 0},
                                         ValueCase{"ObjectWithoutBindings", "{},", false, 0},
                                         ValueCase{"NonArrayBindings", R"({"bindings":null},)", false, 0},
                                         ValueCase{"OtherValue", "42,", false, 0},
                                         ValueCase{"Bindings", R"([{"cc":1,"path":"sync.bpm"}],)", true, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CcMapValueReader, FailureChangesNeitherMapNorFlag) {
    const std::string text = R"({"bindings":[{"cc":1,"path":2}]})";
    Reader reader = makeReader(text);
    CcMap map = previousMap();
    bool hasMap = false;
    EXPECT_FALSE(parseCcMapValue(reader, map, hasMap, 1));
    EXPECT_FALSE(hasMap);
    EXPECT_EQ(map, previousMap());
}

} // namespace
} // namespace vanto
