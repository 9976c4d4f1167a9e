// Saving and restoring the processor's component state through the built bundle.
#include "processor/kernel_reference.h"
#include "processor/processor_harness.h"
#include "processor/processor_render.h"

#include "demo_signal.h"
#include "kernel/param_table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Steinberg;
using vanto::StereoBuffer;
using vanto::test::ProcessorHarness;

constexpr uint32_t kMasterLevel = 32;

const std::string kCcMap =
    "{\"version\":1,\"bindings\":[{\"cc\":74,\"path\":\"glue.ratio\",\"curve\":\"exp\"}]}";

// A processor whose state differs from the defaults in parameters, variation and CC map.
void makeDistinct(ProcessorHarness& harness) {
    harness.start(48000, 256);
    const StereoBuffer input = vanto::makeDemoSignal(48000, 0.02);
    vanto::test::renderThroughProcessor(harness, input, 256, {{5, 0, 0.3}, {9, kMasterLevel, 0.7}});
    ASSERT_EQ(harness.restoreState("{\"variation\":3,\"params\":{\"glue.ratio\":4.25}}"), kResultOk);
    ASSERT_EQ(harness.notify("vanto.ccMap", kCcMap), kResultOk);
}

TEST(ProcessorState, AFreshProcessorSavesItsDefaults) {
    ProcessorHarness harness;
    const std::string state = harness.saveState();
    EXPECT_EQ(state.rfind("{\"params\":{\"sync.bpm\":120,\"macro.space\":0.35,", 0), 0u) << state;
    EXPECT_TRUE(state.ends_with(",\"master.level\":0.9,\"sync.source\":0},\"variation\":16}")) << state;
}

TEST(ProcessorState, SaveRestoreSaveGivesTheSameBytes) {
    ProcessorHarness original;
    makeDistinct(original);
    const std::string saved = original.saveState();
    EXPECT_NE(saved.find("\"sync.bpm\":100,"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"glue.ratio\":4.25,"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"variation\":3,\"ccMap\":" + kCcMap + "}"), std::string::npos) << saved;

    ProcessorHarness restored;
    ASSERT_EQ(restored.restoreState(saved), kResultOk);
    EXPECT_EQ(restored.saveState(), saved);
    restored.start(44100, 512);
    EXPECT_EQ(restored.saveState(), saved) << "a set-up keeps the restored values";
}

TEST(ProcessorState, ChangesLateInTheLastBlockReachAStateSavedAfterDeactivation) {
    ProcessorHarness harness;
    harness.start(44100, 256);
    const StereoBuffer input = vanto::makeDemoSignal(44100, 256.0 / 44100);
    vanto::test::renderThroughProcessor(harness, input, 256, {{255, kMasterLevel, 0.41}});
    ASSERT_EQ(harness.setActive(false), kResultOk);
    const std::string state = harness.saveState();
    const double saved = std::stod(state.substr(state.find("\"master.level\":") + 15));
    EXPECT_EQ(saved, vanto::test::plainOf(kMasterLevel, 0.41)) << state;
}

TEST(ProcessorState, PadOverridesTravelInTheSamplerBlockAndAStateWithoutOneClearsThem) {
    const std::string pads = "{\"kick\":{\"gain\":0.5,\"muted\":1},\"hat\":{\"filterHz\":8000.5}}";
    const std::string block = ",\"sampler\":{\"v\":1,\"pads\":" + pads + "}";
    ProcessorHarness original;
    makeDistinct(original);
    ASSERT_EQ(original.notify("vanto.padOverrides", pads), kResultOk);
    const std::string saved = original.saveState();
    EXPECT_TRUE(saved.ends_with(",\"ccMap\":" + kCcMap + block + "}")) << saved;

    ProcessorHarness restored;
    ASSERT_EQ(restored.restoreState(saved), kResultOk);
    EXPECT_EQ(restored.saveState(), saved);

    // Only a version 1 block with a "pads" object carries overrides; a restore without one clears them,
    // as a restore without a CC map clears the map.
    const std::string withoutMapOrPads =
        saved.substr(0, saved.size() - (",\"ccMap\":" + kCcMap + block).size() - 1) + "}";
    for (const std::string& document :
         {std::string("{}"), std::string("{\"sampler\":{\"v\":2,\"pads\":") + pads + "}}",
          std::string("{\"sampler\":{\"pads\":") + pads + "}}", std::string("{\"sampler\":{\"v\":1}}")}) {
        ASSERT_EQ(restored.restoreState(saved), kResultOk);
        ASSERT_EQ(restored.restoreState(document), kResultOk) << document;
        const std::string after = restored.saveState();
        EXPECT_EQ(after.find("\"sampler\""), std::string::npos) << document;
        EXPECT_EQ(after, withoutMapOrPads) << document;
    }
    // A refused sampler block refuses the whole state and leaves the overrides as they were.
    ASSERT_EQ(restored.restoreState(saved), kResultOk);
    EXPECT_EQ(restored.restoreState("{\"sampler\":{\"v\":1,\"pads\":{\"kick\":{\"gain\":1}}"), kResultFalse);
    EXPECT_EQ(restored.restoreState("{\"params\":{},\"sampler\":{\"v\":\"1\"}}"), kResultFalse);
    EXPECT_EQ(restored.saveState(), saved);
}

TEST(ProcessorState, RefusedDocumentsChangeNothing) {
    ProcessorHarness harness;
    makeDistinct(harness);
    const std::string before = harness.saveState();
    const std::string refused[] = {
        before.substr(0, before.size() / 2),
        before + "x",
        "{\"params\":{\"sync.bpm\":tru}}",
        "{\"params\":null,\"variation\":1}",
        "{\"variation\":1,\"ccMap\":[{\"cc\":1,\"path\":7}]}",
        "{\"variation\":\"2\"}",
        "{\"variation\":1e999}",
        "{\"params\":{\"sync.bpm\":99},\"x\":" + std::string(33, '[') + std::string(33, ']') + "}",
        "{\"params\":{\"sync.bpm\":99}\xc3\x28}",
        "\xef\xbb\xbf{}",
        "",
    };
    for (const std::string& document : refused) {
        EXPECT_EQ(harness.restoreState(document), kResultFalse) << document.substr(0, 80);
        EXPECT_EQ(harness.saveState(), before) << document.substr(0, 80);
    }
    EXPECT_EQ(harness.component().setState(nullptr), kResultFalse);
    EXPECT_EQ(harness.component().getState(nullptr), kResultFalse);
    EXPECT_EQ(harness.saveState(), before);
}

TEST(ProcessorState, RestoresOnlyWhatTheDocumentCarries) {
    ProcessorHarness harness;
    makeDistinct(harness);
    const std::string before = harness.saveState();
    // An empty object, a null CC map and a quoted number keep every parameter and the variation; the
    // CC map goes, since none was saved with them.
    const std::string mapMember = ",\"ccMap\":" + kCcMap;
    ASSERT_NE(before.find(mapMember), std::string::npos) << before;
    const std::string withoutMap = before.substr(0, before.find(mapMember)) + "}";
    for (const char* document : {"{}", "{\"ccMap\":null}", "{\"params\":{\"sync.bpm\":\"120\"}}"}) {
        ASSERT_EQ(harness.restoreState(before), kResultOk);
        EXPECT_EQ(harness.restoreState(document), kResultOk) << document;
        EXPECT_EQ(harness.saveState(), withoutMap) << document;
    }
    ASSERT_EQ(harness.restoreState("{\"params\":{\"sync.bpm\":true},\"variation\":25.7,\"ccMap\":[]}"),
              kResultOk);
    const std::string after = harness.saveState();
    EXPECT_NE(after.find("{\"params\":{\"sync.bpm\":1,"), std::string::npos) << after;
    EXPECT_NE(after.find("\"variation\":19,\"ccMap\":{\"version\":1,\"bindings\":[]}}"), std::string::npos)
        << after;
    EXPECT_NE(after.find("\"glue.ratio\":4.25,"), std::string::npos) << after;
}

TEST(ProcessorState, ReadsStreamsLongerThanOneReadChunk) {
    ProcessorHarness harness;
    std::string bindings;
    for (int cc = 0; cc < 64; ++cc) {
        bindings += cc > 0 ? ",{\"cc\":" : "{\"cc\":";
        bindings += std::to_string(cc);
        bindings += ",\"path\":\"mix.amount\",\"min\":0.125,\"max\":0.875,\"takeover\":\"pickup\"}";
    }
    const std::string document = "{\"padding\":\"" + std::string(9000, 'x') + "\",\"ccMap\":[" + bindings +
                                 "],\"params\":{\"time.hold\":0.25}}";
    ASSERT_GT(document.size(), 3u * 4096u);
    ASSERT_EQ(harness.restoreState(document), kResultOk);
    const std::string saved = harness.saveState();
    EXPECT_NE(saved.find("\"time.hold\":0.25,"), std::string::npos);
    EXPECT_NE(
        saved.find(
            "{\"cc\":63,\"path\":\"mix.amount\",\"min\":0.125,\"max\":0.875,\"takeover\":\"pickup\"}]}"),
        std::string::npos)
        << saved.substr(saved.size() - 200);
}

TEST(ProcessorState, RestoredValuesReachTheKernelBeforeTheNextBlock) {
    const StereoBuffer input = vanto::makeDemoSignal(48000, 0.05);
    ProcessorHarness harness;
    harness.start(48000, 512);
    ASSERT_EQ(harness.restoreState("{\"params\":{\"master.level\":0.5,\"glue.drive\":0.75}}"), kResultOk);
    const StereoBuffer rendered = vanto::test::renderThroughProcessor(harness, input, 512);
    const StereoBuffer reference =
        vanto::test::renderThroughKernel(input, {{0, 27, 0.75}, {0, kMasterLevel, 0.5}});
    EXPECT_EQ(rendered.left, reference.left);
    EXPECT_EQ(rendered.right, reference.right);
}

} // namespace
