// The controller's three state calls: the component state the host hands over, and the
// controller's own state in both directions, with their refusals.
#include "controller_fixture.h"

#include "ccmap/cc_map_json_writer.h"
#include "ccmap/midi_cc_parameter_ids.h"
#include "processor/processor_message_ids.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <string>

namespace vanto::test {
namespace {

using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::MemoryStream;

Steinberg::IPtr<MemoryStream> streamOf(const std::string& text) {
    auto stream = Steinberg::owned(new MemoryStream());
    Steinberg::int32 written = 0;
    stream->write(const_cast<char*>(text.data()), static_cast<Steinberg::int32>(text.size()), &written);
    stream->seek(0, Steinberg::IBStream::kIBSeekSet, nullptr);
    return stream;
}

std::string textOf(MemoryStream& stream) {
    return std::string(stream.getData(), stream.getSize());
}

CcMap oneBindingMap() {
    CcMap map;
    CcBinding binding;
    binding.cc = 21;
    binding.parameter = 26;
    map.append(binding);
    return map;
}

std::string ccMapText() {
    std::string text;
    writeCcMapJson(text, oneBindingMap());
    return text;
}

TEST(ControllerComponentState, AppliesValuesMapAndRecordsTheRestore) {
    ControllerUnderTest controller;
    controller.openPage();
    const std::string state =
        R"({"params":{"glue.ratio":8,"mix.amount":0.25,"master.level":null},"ccMap":)" + ccMapText() + "}";
    ASSERT_EQ(controller->setComponentState(streamOf(state)), kResultOk);

    EXPECT_EQ(controller->getParamNormalized(vanto_param_find("glue.ratio")->id), 1.0);
    EXPECT_EQ(controller->getParamNormalized(vanto_param_find("mix.amount")->id), 0.25);
    // A value the document could not express leaves its parameter alone.
    EXPECT_EQ(controller->getParamNormalized(vanto_param_find("master.level")->id),
              vanto_param_find("master.level")->defaultNormalized);
    EXPECT_EQ(controller.pageMessages("vanto.paramChanged").size(), 2u);
    EXPECT_EQ(controller.processor.withId(kMessageCcMap).size(), 1u);
    EXPECT_TRUE(controller->hasCcMap());
    EXPECT_EQ(controller.pageMessages("vanto.ccMapChanged").size(), 1u);
    EXPECT_EQ(controller.pageMessages("vanto.bankState").size(), 1u);
    EXPECT_EQ(controller->presetStateView().lastStateBytes, static_cast<int64_t>(state.size()));

    const DiagnosticLifecycleEvent* event = controller->lifecycleView().newest();
    EXPECT_EQ(event->kind, kLifecycleStateRestored);
    ASSERT_EQ(event->fieldCount, 2u);
    EXPECT_EQ(event->fields[0].number, static_cast<double>(state.size()));
    EXPECT_STREQ(event->fields[1].text, "component");
}

TEST(ControllerComponentState, RefusedStatesChangeNothing) {
    const struct {
        const char* name;
        std::optional<std::string> text; // none: a null stream
    } cases[] = {
        {"null stream", std::nullopt},
        {"zero bytes", std::string()},
        {"unparsable", std::string(R"({"params":{"glue.ratio":8},"ccMap":)")},
        {"trailing bytes", std::string(R"({"params":{"glue.ratio":8}} x)")},
    };
    for (const auto& c : cases) {
        ControllerUnderTest controller;
        controller.openPage();
        const uint32_t events = controller->lifecycleView().count();
        const auto stream = c.text ? streamOf(*c.text) : nullptr;
        EXPECT_EQ(controller->setComponentState(stream), kResultFalse) << c.name;
        EXPECT_EQ(controller->getParamNormalized(vanto_param_find("glue.ratio")->id),
                  vanto_param_find("glue.ratio")->defaultNormalized)
            << c.name;
        EXPECT_FALSE(controller->hasCcMap()) << c.name;
        EXPECT_TRUE(controller.page.empty()) << c.name;
        EXPECT_EQ(controller->lifecycleView().count(), events) << c.name;
        EXPECT_EQ(controller->presetStateView().lastStateBytes, -1) << c.name;
    }
}

TEST(ControllerOwnState, EmptyControllerWritesAnEmptyObject) {
    ControllerUnderTest controller;
    auto stream = Steinberg::owned(new MemoryStream());
    ASSERT_EQ(controller->getState(stream), kResultOk);
    EXPECT_EQ(textOf(*stream), "{}");
    EXPECT_EQ(controller->getState(nullptr), kResultFalse);
}

TEST(ControllerOwnState, CarriesTheCcMapIntoAnotherController) {
    ControllerUnderTest saved;
    saved->adoptCcMap(oneBindingMap(), false);
    auto stream = Steinberg::owned(new MemoryStream());
    ASSERT_EQ(saved->getState(stream), kResultOk);
    EXPECT_EQ(textOf(*stream), "{\"ccMap\":" + ccMapText() + "}");

    ControllerUnderTest restored;
    restored.openPage();
    stream->seek(0, Steinberg::IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(restored->setState(stream), kResultOk);
    EXPECT_TRUE(restored->hasCcMap());
    EXPECT_EQ(restored->ccMapView(), oneBindingMap());
    EXPECT_EQ(restored.pageMessages("vanto.ccMapChanged").size(), 1u);
    EXPECT_EQ(restored.pageMessages("vanto.bankState").size(), 1u);
}

TEST(ControllerOwnState, IgnoresParameterValuesAndRefusesWhatItCannotRead) {
    ControllerUnderTest controller;
    EXPECT_EQ(controller->setState(streamOf(R"({"params":{"glue.ratio":8}})")), kResultOk);
    EXPECT_EQ(controller->getParamNormalized(vanto_param_find("glue.ratio")->id),
              vanto_param_find("glue.ratio")->defaultNormalized);

    EXPECT_EQ(controller->setState(nullptr), kResultFalse);
    EXPECT_EQ(controller->setState(streamOf("{\"ccMap\":")), kResultFalse);
    EXPECT_FALSE(controller->hasCcMap());

    controller.openPage();
    EXPECT_EQ(controller->setState(streamOf("")), kResultOk);
    EXPECT_TRUE(controller.page.empty());
    EXPECT_TRUE(controller.processor.messages.empty());
}

TEST(ControllerOwnState, PadOverridesTravelInTheSamplerBlock) {
    ControllerUnderTest controller;
    controller.openPage();
    const std::string state = R"({"sampler":{"v":1,"pads":{"kick":{"gain":0.5}}}})";
    ASSERT_EQ(controller->setState(streamOf(state)), kResultOk);
    ASSERT_EQ(controller->padOverrides().size(), 1u);
    EXPECT_EQ(controller->padOverrides()[0].padId, "kick");
    EXPECT_EQ(controller->padOverrides()[0].gain, 0.5);

    auto saved = Steinberg::owned(new MemoryStream());
    ASSERT_EQ(controller->getState(saved), kResultOk);
    std::string expected = "{\"sampler\":{\"v\":1,\"pads\":";
    writeSamplerPadOverridesJson(expected, controller->padOverrides());
    EXPECT_EQ(textOf(*saved), expected + "}}");

    // A component state without a sampler block clears them.
    ASSERT_EQ(controller->setComponentState(streamOf(R"({"params":{}})")), kResultOk);
    EXPECT_TRUE(controller->padOverrides().empty());
}

TEST(ControllerOwnState, CurrentPresetAndProgramComeBackWithoutReapplyingTheValues) {
    ControllerUnderTest saved;
    ASSERT_EQ(saved->setParamNormalized(kProgramChangeParamId, 4.0 / 7.0), kResultOk);
    const uint32_t ratio = vanto_param_find("glue.ratio")->id;
    ASSERT_EQ(saved->setParamNormalized(ratio, 0.9), kResultOk);
    ASSERT_TRUE(saved->presetDirty());
    auto stream = Steinberg::owned(new MemoryStream());
    ASSERT_EQ(saved->getState(stream), kResultOk);
    EXPECT_EQ(textOf(*stream), R"({"preset":{"id":"vocal-sit","name":"Vocal Sit","program":4}})");

    // As a host reopens a project: the component state first, then the controller's own.
    ControllerUnderTest restored;
    ASSERT_EQ(restored->setComponentState(
                  streamOf(R"({"params":{"glue.ratio":)" +
                           std::to_string(vanto_param_to_plain(&VANTO_PARAMS[ratio], 0.9)) + "}}")),
              kResultOk);
    const double restoredRatio = restored->getParamNormalized(ratio);
    stream->seek(0, Steinberg::IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(restored->setState(stream), kResultOk);
    EXPECT_EQ(restored->getParamNormalized(kProgramChangeParamId), 4.0 / 7.0);
    EXPECT_STREQ(restored->presetStateView().currentId, "vocal-sit");
    EXPECT_STREQ(restored->presetStateView().currentName, "Vocal Sit");
    EXPECT_EQ(restored->getParamNormalized(ratio), restoredRatio);
    EXPECT_TRUE(restored->presetDirty());

    auto again = Steinberg::owned(new MemoryStream());
    ASSERT_EQ(restored->getState(again), kResultOk);
    EXPECT_EQ(textOf(*again), textOf(*stream));
}

TEST(ControllerOwnState, PresetBlocksTheControllerCannotUseKeepOnlyWhatIsSound) {
    const struct {
        const char* state;
        const char* currentId;
        double program;
    } cases[] = {
        {R"({"preset":{"id":"acme.groove","name":"Groove"}})", "acme.groove", 0.0},
        {R"({"preset":{"id":"x","name":"X","program":8}})", "x", 0.0},
        {R"({"preset":{"id":"x","name":"X","program":-1}})", "x", 0.0},
        {R"({"preset":{"id":"x","program":"4"}})", "x", 0.0},
        {R"({"preset":"vocal-sit"})", "", 0.0},
        {R"({"preset":{"program":7}})", "", 1.0},
    };
    for (const auto& c : cases) {
        ControllerUnderTest controller;
        ASSERT_EQ(controller->setState(streamOf(c.state)), kResultOk) << c.state;
        EXPECT_STREQ(controller->presetStateView().currentId, c.currentId) << c.state;
        EXPECT_EQ(controller->getParamNormalized(kProgramChangeParamId), c.program) << c.state;
        // Only a restored program gives a baseline; the default values differ from "Barely There".
        EXPECT_EQ(controller->presetDirty(), c.program == 1.0) << c.state;
    }
    ControllerUnderTest controller;
    EXPECT_EQ(controller->setState(streamOf(R"({"preset":{"id":5}})")), kResultOk);
    EXPECT_EQ(controller->setState(streamOf(R"({"preset":{"id":"x")")), kResultFalse);
}

TEST(ControllerMidiMapping, EveryControllerHasItsOwnParameterWhateverTheMap) {
    ControllerUnderTest controller;
    Steinberg::Vst::ParamID withoutMap = 0;
    ASSERT_EQ(controller->getMidiControllerAssignment(0, 0, 20, withoutMap), kResultOk);

    CcMap map;
    CcBinding binding;
    binding.cc = 20;
    binding.channel = 3;
    binding.parameter = 5;
    map.append(binding);
    controller->adoptCcMap(map, false);
    Steinberg::Vst::ParamID withMap = 0;
    ASSERT_EQ(controller->getMidiControllerAssignment(0, 0, 20, withMap), kResultOk);
    EXPECT_EQ(withMap, withoutMap);
    Steinberg::Vst::ParamID seen[16][128] = {};
    for (Steinberg::int16 channel = 0; channel < 16; ++channel) {
        for (Steinberg::Vst::CtrlNumber cc = 0; cc < 128; ++cc) {
            ASSERT_EQ(controller->getMidiControllerAssignment(0, channel, cc, seen[channel][cc]), kResultOk);
            EXPECT_EQ(seen[channel][cc], midiCcParamId(channel, cc));
            EXPECT_TRUE(isMidiCcParamId(seen[channel][cc]));
            EXPECT_EQ(midiCcAddressOf(seen[channel][cc])->channel, channel + 1);
            EXPECT_EQ(midiCcAddressOf(seen[channel][cc])->controller, cc);
        }
    }
    EXPECT_FALSE(isMidiCcParamId(midiCcParamId(15, 127) + 1));
    EXPECT_FALSE(isMidiCcParamId(midiCcParamId(0, 0) - 1));
}

TEST(ControllerHostIdentity, ValidatorKindFollowsTheFirstWordInTheHostName) {
    const struct {
        const char* name;
        ValidatorHost kind;
    } cases[] = {
        {"Bitwig Studio", kValidatorNone},
        {"pluginval", kValidatorPluginval},
        {"Pluginval 1.0 Validator", kValidatorPluginval},
        {"auval clap-validator", kValidatorAuval},
        {"clap-validator", kValidatorClapValidator},
        {"clap_validator", kValidatorClapValidator},
        {"VST3 Validator", kValidatorSteinberg},
        {"my validator", kValidatorSteinberg},
        {"Vanto Probe", kValidatorVantoProbe},
        {"vanto-probe validator", kValidatorSteinberg},
        {"PLUGINVAL", kValidatorNone},
    };
    for (const auto& c : cases) {
        ControllerUnderTest controller(c.name);
        EXPECT_STREQ(controller->hostFactsView().hostName, c.name);
        EXPECT_EQ(controller->hostFactsView().validatorHost, c.kind) << c.name;
    }
}

TEST(ControllerHostIdentity, LongNamesAreCutAndUnreadableNamesLeaveNoIdentity) {
    ControllerUnderTest longName(std::string(200, 'h'));
    EXPECT_EQ(std::string(longName->hostFactsView().hostName), std::string(127, 'h'));

    FakeHost silent("pluginval", false, false);
    auto controller = Steinberg::owned(new VantoController());
    ASSERT_EQ(controller->initialize(static_cast<Steinberg::Vst::IHostApplication*>(&silent)), kResultOk);
    EXPECT_STREQ(controller->hostFactsView().hostName, "");
    EXPECT_EQ(controller->hostFactsView().validatorHost, kValidatorNone);
    controller->terminate();
}

} // namespace
} // namespace vanto::test
