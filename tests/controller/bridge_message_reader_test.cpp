#include "controller/bridge_message.h"

#include "support/exact_buffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace vanto {
namespace {

using test::ExactBuffer;

std::string nested(int depth) {
    return std::string(static_cast<std::size_t>(depth), '[') +
           std::string(static_cast<std::size_t>(depth), ']');
}

struct ReadCase {
    const char* name;
    std::string text;
    bool accepted;
    std::function<void(const BridgeMessage&)> check = nullptr;
};

// Every text sits at the very end of a readable page, so a read past the message crashes the test.
bool parseExact(const std::string& text, BridgeMessage& message) {
    const ExactBuffer buffer(text);
    return parseBridgeMessage(buffer.begin(), buffer.size(), message);
}

const ReadCase kCases[] = {
    {"AllStringMembers",
     R"({"type":"t","path":"p","id":"i","source":"s","bankPath":"b","url":"u","sha256":"h","instrument":"n"})",
     true,
     [](const BridgeMessage& m) {
         EXPECT_EQ(m.type, "t");
         EXPECT_EQ(m.path, "p");
         EXPECT_EQ(m.id, "i");
         EXPECT_EQ(m.source, "s");
         EXPECT_EQ(m.bankPath, "b");
         EXPECT_EQ(m.url, "u");
         EXPECT_EQ(m.sha256, "h");
         EXPECT_EQ(m.instrument, "n");
         EXPECT_FALSE(m.hasValue);
         EXPECT_EQ(m.diagnosticKind, kBridgeDiagnosticNone);
     }},
    {"NumbersAndValueFlag", R"({"value":8,"note":60.5,"velocity":-1e2,"hz":120})", true,
     [](const BridgeMessage& m) {
         EXPECT_TRUE(m.hasValue);
         EXPECT_EQ(m.value, 8.0);
         EXPECT_EQ(m.note, 60.5);
         EXPECT_EQ(m.velocity, -100.0);
         EXPECT_EQ(m.hz, 120.0);
     }},
    {"NumbersAsStrtodReadsThem", R"({"value":+.5,"note":0x10,"velocity":inf})", true,
     [](const BridgeMessage& m) {
         EXPECT_EQ(m.value, 0.5);
         EXPECT_EQ(m.note, 16.0);
         EXPECT_TRUE(std::isinf(m.velocity));
     }},
    {"NumberEndingTheBuffer", R"({"value":8})", true,
     [](const BridgeMessage& m) { EXPECT_EQ(m.value, 8.0); }},
    {"WhitespaceEverywhere", " \t\r\n{ \"type\" :\t\"a\" ,\n\"value\"\r: 1 } \n\t", true,
     [](const BridgeMessage& m) {
         EXPECT_EQ(m.type, "a");
         EXPECT_EQ(m.value, 1.0);
     }},
    {"EmptyObject", "{}", true, [](const BridgeMessage& m) { EXPECT_EQ(m.type, ""); }},
    {"EmptyObjectWithInnerWhitespaceThenJunk", " { \n } trailing {\"type\":", true,
     [](const BridgeMessage& m) { EXPECT_EQ(m.type, ""); }},
    {"TrailingWhitespaceAfterObject", "{\"type\":\"a\"}  \r\n", true, nullptr},
    {"TrailingBytesAfterObject", R"({"type":"a"}x)", false},
    {"SecondObjectAfterObject", R"({"type":"a"}{})", false},
    {"ValueAsString", R"({"type":"vanto.setParam","path":"glue.ratio","value":"8"})", false},
    {"ValueAsBoolean", R"({"value":true})", false},
    {"PathAsNumber", R"({"path":5})", false},
    {"TypeAsNull", R"({"type":null})", false},
    {"HzAsArray", R"({"hz":[30]})", false},
    {"UnknownKeyNested32Deep", "{\"x\":" + nested(32) + "}", true, nullptr},
    {"UnknownKeyNested33Deep", "{\"x\":" + nested(33) + "}", false},
    {"UnknownKeysOfEveryKind", R"({"a":"s","b":-1.5,"c":true,"d":false,"e":null,"f":{"g":[1,{}]},"h":[]})",
     true, nullptr},
    {"UnknownKeyBadLiteral", R"({"a":tru})", false},
    {"DuplicateKeysLaterWins", R"({"type":"a","value":1,"type":"b","value":2})", true,
     [](const BridgeMessage& m) {
         EXPECT_EQ(m.type, "b");
         EXPECT_EQ(m.value, 2.0);
     }},
    {"StringEscapes", R"({"path":"q\"b\\s\/n\nt\tu\u00e9!"})", true,
     [](const BridgeMessage& m) { EXPECT_EQ(m.path, "q\"b\\s/n\nt\tu?!"); }},
    {"UnterminatedString", R"({"type":"abc)", false},
    {"BackslashAtEnd", "{\"type\":\"abc\\", false},
    {"Empty", "", false},
    {"OnlyWhitespace", " \n", false},
    {"NotAnObject", "[]", false},
    {"JunkBeforeObject", "x{}", false},
    {"Unclosed", R"({"type":"a")", false},
    {"TrailingComma", R"({"type":"a",})", false},
    {"MissingColon", R"({"type" "a"})", false},
    {"NumberKey", R"({5:1})", false},
    {"SubscribeFeeds",
     R"({"type":"vanto.diag.subscribe","feeds":["lifecycle","bogus","transport"],"hz":120})", true,
     [](const BridgeMessage& m) {
         EXPECT_EQ(m.diagnosticKind, kBridgeDiagnosticSubscribe);
         EXPECT_EQ(m.feeds, static_cast<uint32_t>(kFeedLifecycle | kFeedTransport));
         EXPECT_EQ(m.hz, 120.0);
     }},
    {"EveryFeedName",
     R"({"feeds":["host","transport","midiIn","midiOut","meters","scope","lifecycle","counters","params","presets","clock"]})",
     true, [](const BridgeMessage& m) { EXPECT_EQ(m.feeds, 2047u); }},
    {"FeedNameWithNulIsUnknown", std::string("{\"feeds\":[\"lifecycle\0x\"]}", 25), true,
     [](const BridgeMessage& m) { EXPECT_EQ(m.feeds, 0u); }},
    {"FeedsDuplicateReplaces", R"({"feeds":["host"],"feeds":["clock"]})", true,
     [](const BridgeMessage& m) { EXPECT_EQ(m.feeds, static_cast<uint32_t>(kFeedClock)); }},
    {"FeedsNotAnArrayIsSkipped", R"({"feeds":"lifecycle"})", true,
     [](const BridgeMessage& m) { EXPECT_EQ(m.feeds, 0u); }},
    {"FeedsWithNumber", R"({"feeds":["lifecycle",64]})", false},
    {"FeedsTrailingComma", R"({"feeds":["lifecycle",]})", false},
    {"UnsubscribeKind", R"({"type":"vanto.diag.unsubscribe"})", true,
     [](const BridgeMessage& m) { EXPECT_EQ(m.diagnosticKind, kBridgeDiagnosticUnsubscribe); }},
    {"StimulusKind", R"({"type":"vanto.diag.stimulus","stimulus":{"at":[1,{"x":2}],"kind":"pulse","n":3}})",
     true,
     [](const BridgeMessage& m) {
         EXPECT_EQ(m.diagnosticKind, kBridgeDiagnosticStimulus);
         EXPECT_EQ(m.stimulusKind, "pulse");
     }},
    {"StimulusKindNotAString", R"({"stimulus":{"kind":1}})", false},
    {"StimulusNotAnObjectIsSkipped", R"({"stimulus":["kind","pulse"]})", true,
     [](const BridgeMessage& m) { EXPECT_EQ(m.stimulusKind, ""); }},
    {"TypeIsCaseSensitive", R"({"type":"vanto.diag.Subscribe"})", true,
     [](const BridgeMessage& m) { EXPECT_EQ(m.diagnosticKind, kBridgeDiagnosticNone); }},
    {"State",
     R"({"type":"vanto.setState","state":{"params":{"glue.ratio":4,"mix.amount":true},"variation":3}})", true,
     [](const BridgeMessage& m) {
         ASSERT_TRUE(m.hasState);
         EXPECT_TRUE(m.state.paramPresent[26]);
         EXPECT_EQ(m.state.params[26], 4.0);
         EXPECT_EQ(m.state.params[31], 1.0);
         EXPECT_FALSE(m.state.paramPresent[0]);
         EXPECT_EQ(m.state.variation, 3);
     }},
    {"StateNotAnObjectIsSkipped", R"({"state":"{}"})", true,
     [](const BridgeMessage& m) { EXPECT_FALSE(m.hasState); }},
    {"StateRefusedByItsReader", R"({"state":{"params":5}})", false},
    {"StateDuplicateReplacesWhole", R"({"state":{"params":{"glue.ratio":4}},"state":{"variation":1}})", true,
     [](const BridgeMessage& m) {
         ASSERT_TRUE(m.hasState);
         EXPECT_FALSE(m.state.paramPresent[26]);
         EXPECT_EQ(m.state.variation, 1);
     }},
    {"MapObject",
     R"({"type":"vanto.setCcMap","map":{"version":1,"bindings":[{"cc":74,"path":"glue.ratio"}]}})", true,
     [](const BridgeMessage& m) {
         ASSERT_TRUE(m.hasMap);
         ASSERT_EQ(m.map.size(), 1u);
         EXPECT_EQ(m.map.bindings[0].cc, 74);
     }},
    {"MapArray", R"({"map":[{"cc":1,"path":"mix.amount"},{"cc":2,"path":"sync.bpm"}]})", true,
     [](const BridgeMessage& m) {
         ASSERT_TRUE(m.hasMap);
         EXPECT_EQ(m.map.size(), 2u);
     }},
    {"MapWithoutBindingsIsNoMap", R"({"map":{"version":1}})", true,
     [](const BridgeMessage& m) { EXPECT_FALSE(m.hasMap); }},
    {"MapOtherValueIsSkipped", R"({"map":"none"})", true,
     [](const BridgeMessage& m) { EXPECT_FALSE(m.hasMap); }},
    {"MapBindingWithBadPath", R"({"map":[{"cc":1,"path":5}]})", false},
    {"Pads", R"({"type":"vanto.setPadOverrides","pads":{"kick":{"gain":0.5},"snare":{"transpose":2}}})", true,
     [](const BridgeMessage& m) {
         ASSERT_TRUE(m.hasPads);
         ASSERT_EQ(m.pads.size(), 2u);
         EXPECT_EQ(m.pads[0].padId, "kick");
         EXPECT_EQ(m.pads[0].gain, 0.5);
         EXPECT_EQ(m.pads[1].transpose, 2.0);
     }},
    {"PadsNotAnObjectIsSkipped", R"({"pads":[{"kick":{}}]})", true,
     [](const BridgeMessage& m) { EXPECT_FALSE(m.hasPads); }},
    {"PadsMalformed", R"({"pads":{"kick":{"gain":}}})", false},
};

class BridgeMessageReading : public testing::TestWithParam<ReadCase> {};

TEST_P(BridgeMessageReading, AcceptsOrRefusesTheWholeMessage) {
    const ReadCase& c = GetParam();
    BridgeMessage message;
    ASSERT_EQ(parseExact(c.text, message), c.accepted);
    if (c.accepted && c.check) {
        c.check(message);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BridgeMessageReading, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(BridgeMessageReader, NullBytesAreRefused) {
    BridgeMessage message;
    EXPECT_FALSE(parseBridgeMessage(nullptr, 0, message));
}

// A record reused for a second message carries nothing over from the first.
TEST(BridgeMessageReader, StartsEveryMessageFromAnEmptyRecord) {
    BridgeMessage message;
    ASSERT_TRUE(parseExact(R"({"type":"vanto.setParam","value":3,"feeds":["host"],"map":[]})", message));
    ASSERT_TRUE(parseExact(R"({"path":"x"})", message));
    EXPECT_EQ(message.type, "");
    EXPECT_FALSE(message.hasValue);
    EXPECT_EQ(message.feeds, 0u);
    EXPECT_FALSE(message.hasMap);
}

} // namespace
} // namespace vanto
