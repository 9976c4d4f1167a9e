// The processor's side of the messages exchanged with its edit controller, through the built bundle.
#include "processor/processor_harness.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace Steinberg;
using Steinberg::Vst::IConnectionPoint;
using vanto::test::ProcessorHarness;

const std::string kMap = "{\"version\":1,\"bindings\":[{\"cc\":7,\"path\":\"mix.amount\",\"channel\":2}]}";

// The "pads" of the saved state's sampler block; empty when the state has none.
std::string savedPads(ProcessorHarness& harness) {
    const std::string state = harness.saveState();
    const std::string marker = ",\"sampler\":{\"v\":1,\"pads\":";
    const auto start = state.find(marker);
    return start == std::string::npos
               ? std::string()
               : state.substr(start + marker.size(), state.size() - start - marker.size() - 2);
}

std::string savedCcMap(ProcessorHarness& harness) {
    const std::string state = harness.saveState();
    const auto start = state.find(",\"ccMap\":");
    return start == std::string::npos ? std::string() : state.substr(start + 9, state.size() - start - 10);
}

TEST(ProcessorMessages, AnswersEachControllerMessageAndSendsNothingBack) {
    struct Case {
        const char* id;
        std::optional<std::string> payload;
        tresult expected;
    };
    const Case cases[] = {
        {"vanto.diag.transportPoll", std::nullopt, kResultOk},
        {"vanto.diag.feedDrain", std::nullopt, kResultOk},
        {"vanto.diag.resetCounters", std::nullopt, kResultOk},
        {"vanto.diag.presetLoaded", std::string("warm-keys"), kResultOk},
        {"vanto.diag.presetLoaded", std::string(), kResultOk},
        {"vanto.diag.presetLoaded", std::nullopt, kResultOk},
        {"vanto.ccMap", std::string("not json"), kResultOk},
        {"vanto.ccMap", std::nullopt, kResultOk},
        {"vanto.padOverrides", std::string("{\"kick\":{\"gain\":0.5}} x"), kResultOk},
        {"vanto.padOverrides", std::nullopt, kResultOk},
        {"vanto.stageResourceSlot", std::nullopt, kResultFalse},
        {"vanto.somethingElse", std::string("{}"), kResultFalse},
        {"vanto.runtimeDiagnostics", std::string("{}"), kResultFalse},
    };
    ProcessorHarness harness;
    harness.start(48000, 512);
    const std::string before = harness.saveState();
    harness.recorder().clear();
    for (const Case& c : cases) {
        EXPECT_EQ(harness.notify(c.id, c.payload), c.expected) << c.id;
    }
    EXPECT_TRUE(harness.recorder().messages.empty());
    EXPECT_EQ(harness.saveState(), before) << "none of these changes the state";

    IConnectionPoint* connection = nullptr;
    ASSERT_EQ(
        harness.component().queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&connection)),
        kResultOk);
    EXPECT_EQ(connection->notify(nullptr), kInvalidArgument);
    connection->release();
}

TEST(ProcessorMessages, AdoptsAReadableCcMapAndKeepsItInItsState) {
    ProcessorHarness harness;
    EXPECT_EQ(savedCcMap(harness), "") << "no map before one arrives";
    ASSERT_EQ(harness.notify("vanto.ccMap", kMap), kResultOk);
    EXPECT_EQ(savedCcMap(harness), kMap);

    // A refused map leaves the previous one in place; an empty list is a map too.
    for (const char* refused : {"{\"bindings\":[{\"cc\":1,\"path\":3}]}", "[", "{} {}", ""}) {
        ASSERT_EQ(harness.notify("vanto.ccMap", std::string(refused)), kResultOk);
        EXPECT_EQ(savedCcMap(harness), kMap) << refused;
    }
    ASSERT_EQ(harness.notify("vanto.ccMap", std::string("[]")), kResultOk);
    EXPECT_EQ(savedCcMap(harness), "{\"version\":1,\"bindings\":[]}");
}

TEST(ProcessorMessages, PublishesReadablePadOverridesAndKeepsThemInItsState) {
    const std::string pads = "{\"kick\":{\"gain\":0.5,\"muted\":1},\"snare\":{\"transpose\":-3}}";
    ProcessorHarness harness;
    EXPECT_EQ(savedPads(harness), "") << "no overrides before any arrive";
    ASSERT_EQ(harness.notify("vanto.padOverrides", pads), kResultOk);
    EXPECT_EQ(savedPads(harness), pads);
    EXPECT_TRUE(harness.recorder().withId("vanto.runtimeBankResult").empty());

    // Refused documents leave the published overrides in place.
    for (const char* refused :
         {"{\"a\":{\"gain\":1}}x", "[", "{\"a\":{\"gain\":1}", "", "{\"a\":{\"gain\"}}"}) {
        ASSERT_EQ(harness.notify("vanto.padOverrides", std::string(refused)), kResultOk);
        EXPECT_EQ(savedPads(harness), pads) << refused;
    }
    // Dropped values still make a readable document: here it replaces the list by an empty one.
    ASSERT_EQ(harness.notify("vanto.padOverrides", std::string("{\"kick\":{\"transpose\":2.5}}")), kResultOk);
    EXPECT_EQ(savedPads(harness), "");
    ASSERT_EQ(harness.notify("vanto.padOverrides", pads), kResultOk);
    ASSERT_EQ(harness.notify("vanto.padOverrides", std::string("{}")), kResultOk);
    EXPECT_EQ(savedPads(harness), "") << "an empty document clears the overrides";
}

} // namespace
