// Parameter edits between host, page and processor: program changes, the echo guard, the dirty
// rule, the page's change notices and the editor's lifetime events.
#include "controller_fixture.h"

#include "controller/ui_echo_guard.h"
#include "encoding/json_writer.h"
#include "kernel/param_table.h"
#include "processor/processor_message_ids.h"

#include <gtest/gtest.h>

#include <string>

namespace vanto::test {
namespace {

using Steinberg::kResultOk;

constexpr Steinberg::Vst::ParamID kProgramChange = 0x3F010001;

uint32_t idOf(const char* path) {
    return vanto_param_find(path)->id;
}

std::string paramChanged(const char* path, double normalized) {
    const vanto_param_desc* row = vanto_param_find(path);
    std::string text = "{\"type\":\"vanto.paramChanged\",\"path\":\"";
    text += path;
    text += "\",\"value\":";
    jsonAppendNumber(text, vanto_param_to_plain(row, normalized));
    text += ",\"normalized\":";
    jsonAppendNumber(text, normalized);
    return text + "}";
}

TEST(UiEchoGuard, SwallowsExactlyTheGuardedEditOnce) {
    UiEchoGuard guard;
    EXPECT_FALSE(guard.consume(-1, -1.0)); // nothing armed, even for its initial values
    guard.arm(26, 1.0);
    EXPECT_FALSE(guard.consume(25, 1.0));
    EXPECT_FALSE(guard.consume(26, 0.999));
    EXPECT_TRUE(guard.consume(26, 1.0));
    EXPECT_FALSE(guard.consume(26, 1.0));
}

TEST(ControllerEdits, HostChangeTellsThePageThePlainAndNormalizedValue) {
    ControllerUnderTest controller;
    controller.openPage();
    ASSERT_EQ(controller->setParamNormalized(idOf("glue.ratio"), 1.0), kResultOk);
    ASSERT_EQ(controller.pageMessages("vanto.paramChanged").size(), 1u);
    EXPECT_EQ(controller.pageMessages("vanto.paramChanged")[0], paramChanged("glue.ratio", 1.0));
    EXPECT_EQ(controller.pageMessages("vanto.paramChanged")[0],
              "{\"type\":\"vanto.paramChanged\",\"path\":\"glue.ratio\",\"value\":8,\"normalized\":1}");
}

TEST(ControllerEdits, NothingIsSentWithoutAPageAndUnknownIdsAreRefused) {
    ControllerUnderTest controller;
    EXPECT_EQ(controller->setParamNormalized(idOf("glue.ratio"), 0.25), kResultOk);
    EXPECT_EQ(controller->getParamNormalized(idOf("glue.ratio")), 0.25);
    controller.openPage();
    EXPECT_NE(controller->setParamNormalized(34, 0.5), kResultOk);
    EXPECT_TRUE(controller.page.empty());
}

TEST(ControllerEdits, PageEditIsNotEchoedButHostAutomationIs) {
    ControllerUnderTest controller;
    controller.openPage();
    const std::string edit = R"({"type":"vanto.setParam","path":"glue.ratio","value":8})";
    controller->handleBridgeMessage(edit.data(), edit.size());
    EXPECT_EQ(controller->getParamNormalized(idOf("glue.ratio")), 1.0);
    ASSERT_EQ(controller.handler.performed.size(), 1u);
    EXPECT_EQ(controller.handler.performed[0], std::make_pair(idOf("glue.ratio"), 1.0));
    EXPECT_TRUE(controller.pageMessages("vanto.paramChanged").empty());

    controller->setParamNormalized(idOf("glue.ratio"), 1.0);
    EXPECT_EQ(controller.pageMessages("vanto.paramChanged").size(), 1u);
}

TEST(ControllerEdits, ProgramChangeAppliesThePresetAsUserEdits) {
    ControllerUnderTest controller;
    controller.openPage();
    ASSERT_EQ(controller->setParamNormalized(kProgramChange, 0.5), kResultOk);

    const vanto_factory_preset& vocalSit = VANTO_FACTORY_PRESETS[4];
    EXPECT_STREQ(controller->presetStateView().currentId, "vocal-sit");
    EXPECT_STREQ(controller->presetStateView().currentName, "Vocal Sit");
    const auto changes = controller.pageMessages("vanto.paramChanged");
    ASSERT_EQ(changes.size(), VANTO_PARAM_COUNT);
    std::vector<std::string> expectedCalls;
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        EXPECT_EQ(controller->getParamNormalized(id), vocalSit.values[id]);
        EXPECT_EQ(changes[id], paramChanged(VANTO_PARAMS[id].path, vocalSit.values[id]));
        char perform[64];
        std::snprintf(perform, sizeof perform, "perform %u %.17g", id, vocalSit.values[id]);
        expectedCalls.insert(expectedCalls.end(),
                             {"begin " + std::to_string(id), perform, "end " + std::to_string(id)});
    }
    EXPECT_EQ(controller.handler.calls, expectedCalls);
    EXPECT_EQ(controller.handler.restarts,
              std::vector<Steinberg::int32>{Steinberg::Vst::kParamValuesChanged});
    // The processor forgets any bank preset.
    const auto loaded = controller.processor.withId(kMessagePresetLoaded);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].payload, std::string());

    const DiagnosticLifecycleEvent* event = controller->lifecycleView().newest();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->kind, kLifecyclePresetLoaded);
}

TEST(ControllerEdits, PageSelectedFactoryPresetGoesThroughTheProgramChange) {
    ControllerUnderTest controller;
    controller.openPage();
    const std::string select = R"({"type":"vanto.loadFactoryPreset","id":"barely-there"})";
    controller->handleBridgeMessage(select.data(), select.size());
    EXPECT_EQ(controller->getParamNormalized(kProgramChange), 1.0);
    EXPECT_STREQ(controller->presetStateView().currentId, "barely-there");
    EXPECT_EQ(controller.pageMessages("vanto.paramChanged").size(), VANTO_PARAM_COUNT);
}

TEST(ControllerEdits, DirtyOnlyAfterAPresetAndOnlyWhileAValueDiffers) {
    ControllerUnderTest controller;
    const uint32_t mix = idOf("mix.amount");
    controller->setParamNormalized(mix, 0.3);
    EXPECT_FALSE(controller->presetDirty());

    controller->applyFactoryPreset(1);
    EXPECT_FALSE(controller->presetDirty());
    const double presetMix = VANTO_FACTORY_PRESETS[1].values[mix];
    controller->setParamNormalized(mix, presetMix == 0.5 ? 0.25 : 0.5);
    EXPECT_TRUE(controller->presetDirty());
    controller->setParamNormalized(mix, presetMix);
    EXPECT_FALSE(controller->presetDirty());

    // The preset state shows it only once refreshed (as the hello does).
    controller->setParamNormalized(mix, presetMix == 0.5 ? 0.25 : 0.5);
    EXPECT_FALSE(controller->presetStateView().dirty);
    controller->refreshPresetState();
    EXPECT_TRUE(controller->presetStateView().dirty);
    EXPECT_EQ(controller->presetStateView().factoryCount, 8u);
}

TEST(ControllerEdits, PresetIndicesBeyondTheTableAreIgnored) {
    ControllerUnderTest controller;
    controller->applyFactoryPreset(8);
    EXPECT_STREQ(controller->presetStateView().currentId, "");
    EXPECT_TRUE(controller.processor.messages.empty());
    EXPECT_FALSE(controller->presetDirty());
}

TEST(ControllerEdits, EditorLifetimeIsLoggedAndClosingEndsTheSubscription) {
    ControllerUnderTest controller;
    controller.openPage();
    const std::string subscribe = R"({"type":"vanto.diag.subscribe","feeds":["lifecycle"],"hz":30})";
    controller->handleBridgeMessage(subscribe.data(), subscribe.size());
    ASSERT_EQ(controller.pageMessages("vanto.lifecycle").size(), 1u); // the replay
    EXPECT_NE(controller.page.back().find("\"kind\":\"created\""), std::string::npos);

    controller->onEditorOpened();
    controller->onEditorError(nullptr);
    controller->onEditorError("web view crashed");
    const auto events = controller.pageMessages("vanto.lifecycle");
    ASSERT_EQ(events.size(), 4u);
    EXPECT_NE(events[1].find("\"kind\":\"editorOpened\""), std::string::npos);
    EXPECT_NE(events[2].find("\"detail\":{\"reason\":\"unknown\"}"), std::string::npos);
    EXPECT_NE(events[3].find("\"detail\":{\"reason\":\"web view crashed\"}"), std::string::npos);

    controller->onEditorClosed();
    EXPECT_EQ(controller.pageMessages("vanto.lifecycle").size(), 5u);
    EXPECT_EQ(controller->subscriptionView().feeds, 0u);
    EXPECT_EQ(controller->subscriptionView().rateHz, 0.0);
    controller->onEditorOpened();
    EXPECT_EQ(controller.pageMessages("vanto.lifecycle").size(), 5u);
    EXPECT_EQ(controller->lifecycleView().newest()->kind, kLifecycleEditorOpened);
}

} // namespace
} // namespace vanto::test
