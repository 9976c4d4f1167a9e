// The controller as a host meets it through the built bundle: its class record, parameters, unit and
// program list, program changes and its state streams.
#include "bundle_fixture.h"
#include "ccmap/midi_cc_parameter_ids.h"
#include "kernel/param_table.h"

#include "module.h"
#include "plugin_instance.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Steinberg::FUnknownPtr;
using Steinberg::kResultOk;
using Steinberg::Vst::IEditController;
using Steinberg::Vst::IUnitInfo;
using Steinberg::Vst::ParameterInfo;

constexpr Steinberg::Vst::ParamID kProgramChange = 0x3F010001;

std::string ascii(const Steinberg::Vst::TChar* text) {
    char buffer[256] = {};
    Steinberg::UString(const_cast<Steinberg::Vst::TChar*>(text), 128).toAscii(buffer, sizeof buffer);
    return buffer;
}

// List rows step over their entries, toggles have two states, the rest is continuous.
Steinberg::int32 expectedStepCount(const vanto_param_desc& row) {
    if (row.kind == VANTO_PARAM_LIST) {
        return row.listCount > 2 ? row.listCount - 1 : 1;
    }
    return row.kind == VANTO_PARAM_TOGGLE ? 1 : 0;
}

class BundleController : public ::testing::Test {
  protected:
    static std::shared_ptr<vanto::host::Module> bundle() { return vanto::test::loadedBundle(); }

    void SetUp() override {
        ASSERT_NE(bundle(), nullptr);
        instance = vanto::test::processorInstance();
        ASSERT_NE(instance, nullptr);
        controller = instance->controller();
        ASSERT_NE(controller, nullptr);
    }

    std::unique_ptr<vanto::host::PluginInstance> instance;
    IEditController* controller = nullptr;
};

TEST_F(BundleController, FactoryListsTheProcessorThenTheController) {
    const auto classes = bundle()->classes();
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(classes[0].name, "Dovrel");
    EXPECT_EQ(classes[1].name, "Dovrel Controller");
    EXPECT_EQ(classes[1].category, kVstComponentControllerClass);
    EXPECT_EQ(classes[1].subCategories, "");
    EXPECT_EQ(classes[1].classFlags, 0u);
}

TEST_F(BundleController, RegistersEveryTableRowThenTheProgramChangeThenTheHiddenMidiControllers) {
    ASSERT_EQ(controller->getParameterCount(),
              static_cast<Steinberg::int32>(VANTO_PARAM_COUNT + 1 + vanto::kMidiCcParamCount));
    for (uint32_t index = 0; index < VANTO_PARAM_COUNT; ++index) {
        const vanto_param_desc& row = VANTO_PARAMS[index];
        ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(static_cast<Steinberg::int32>(index), info), kResultOk);
        SCOPED_TRACE(row.path);
        EXPECT_EQ(info.id, index);
        EXPECT_EQ(ascii(info.title), row.title);
        EXPECT_EQ(ascii(info.shortTitle), row.title);
        EXPECT_EQ(ascii(info.units), row.units != nullptr ? row.units : "");
        EXPECT_EQ(info.stepCount, expectedStepCount(row));
        EXPECT_EQ(info.defaultNormalizedValue, row.defaultNormalized);
        EXPECT_EQ(info.unitId, 0);
        EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate);
        EXPECT_EQ(controller->getParamNormalized(index), row.defaultNormalized);
    }
    ParameterInfo program{};
    ASSERT_EQ(controller->getParameterInfo(VANTO_PARAM_COUNT, program), kResultOk);
    EXPECT_EQ(program.id, kProgramChange);
    EXPECT_EQ(ascii(program.title), "Factory Presets");
    EXPECT_EQ(program.stepCount, 7);
    EXPECT_EQ(program.flags, ParameterInfo::kIsProgramChange | ParameterInfo::kIsList);
    // Channel by channel, controller by controller: hidden and never offered for automation.
    for (uint32_t index = 0; index < vanto::kMidiCcParamCount; ++index) {
        ParameterInfo info{};
        ASSERT_EQ(
            controller->getParameterInfo(static_cast<Steinberg::int32>(VANTO_PARAM_COUNT + 1 + index), info),
            kResultOk);
        const int channel = static_cast<int>(index / 128);
        const int cc = static_cast<int>(index % 128);
        ASSERT_EQ(info.id, vanto::midiCcParamId(channel, cc));
        ASSERT_EQ(info.flags, ParameterInfo::kIsHidden) << index;
        ASSERT_EQ(ascii(info.title), "MIDI CC " + std::to_string(channel + 1) + "|" + std::to_string(cc));
        ASSERT_FALSE(info.id < VANTO_PARAM_COUNT || info.id == kProgramChange);
    }
}

TEST_F(BundleController, ValueTextsAndConversionsAreTheTables) {
    const vanto_param_desc& ratio = *vanto_param_find("glue.ratio");
    Steinberg::Vst::String128 text = {};
    ASSERT_EQ(controller->getParamStringByValue(ratio.id, 1.0, text), kResultOk);
    EXPECT_EQ(ascii(text), vanto_param_to_text(&ratio, 1.0));
    EXPECT_EQ(controller->normalizedParamToPlain(ratio.id, 0.5), vanto_param_to_plain(&ratio, 0.5));
    EXPECT_EQ(controller->plainParamToNormalized(ratio.id, 4.5), vanto_param_normalize(&ratio, 4.5));

    Steinberg::Vst::String128 typed = {};
    Steinberg::UString(typed, 128).fromAscii("4.5");
    Steinberg::Vst::ParamValue normalized = -1;
    ASSERT_EQ(controller->getParamValueByString(ratio.id, typed, normalized), kResultOk);
    EXPECT_EQ(normalized, vanto_param_normalize(&ratio, 4.5));
    Steinberg::UString(typed, 128).fromAscii("loud");
    EXPECT_NE(controller->getParamValueByString(ratio.id, typed, normalized), kResultOk);
}

TEST_F(BundleController, OffersTheRootUnitWithTheFactoryProgramList) {
    FUnknownPtr<IUnitInfo> units(controller);
    ASSERT_TRUE(units);
    ASSERT_EQ(units->getUnitCount(), 1);
    Steinberg::Vst::UnitInfo unit{};
    ASSERT_EQ(units->getUnitInfo(0, unit), kResultOk);
    EXPECT_EQ(unit.id, 0);
    EXPECT_EQ(unit.parentUnitId, -1);
    EXPECT_EQ(ascii(unit.name), "Root");
    EXPECT_EQ(unit.programListId, static_cast<Steinberg::int32>(kProgramChange));

    ASSERT_EQ(units->getProgramListCount(), 1);
    Steinberg::Vst::ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
    EXPECT_EQ(list.id, static_cast<Steinberg::int32>(kProgramChange));
    EXPECT_EQ(ascii(list.name), "Factory Presets");
    ASSERT_EQ(list.programCount, 8);
    const char* names[] = {"Bass Under Kick", "Bounce",      "Keys In The Gaps", "Sample Room",
                           "Vocal Sit",       "Pad Breathe", "Tight Modern",     "Barely There"};
    for (Steinberg::int32 program = 0; program < 8; ++program) {
        Steinberg::Vst::String128 name = {};
        ASSERT_EQ(units->getProgramName(list.id, program, name), kResultOk);
        EXPECT_EQ(ascii(name), names[program]);
    }
}

TEST_F(BundleController, AnswersMidiMappingQueriesThroughItsInterface) {
    FUnknownPtr<Steinberg::Vst::IMidiMapping> mapping(controller);
    ASSERT_TRUE(mapping);
    // Every controller of the MIDI input reaches the processor, map or not: the page learns from them.
    const struct {
        Steinberg::int32 bus;
        Steinberg::int16 channel;
        Steinberg::Vst::CtrlNumber cc;
        bool mapped;
    } cases[] = {
        {0, 0, 7, true},
        {0, 15, 127, true},
        {0, 3, 0, true},
        {1, 0, 7, false},
        {-1, 0, 7, false},
        {0, 16, 7, false},
        {0, -1, 7, false},
        {0, 0, 128, false},
        {0, 0, -1, false},
        // The CC map binds controller numbers only, so aftertouch and pitch bend stay with the host.
        {0, 0, Steinberg::Vst::kAfterTouch, false},
        {0, 0, Steinberg::Vst::kPitchBend, false},
    };
    for (const auto& c : cases) {
        Steinberg::Vst::ParamID id = 99;
        const auto result = mapping->getMidiControllerAssignment(c.bus, c.channel, c.cc, id);
        EXPECT_EQ(result == kResultOk, c.mapped) << c.bus << "/" << c.channel << "/" << c.cc;
        EXPECT_EQ(id, c.mapped ? vanto::midiCcParamId(c.channel, c.cc) : 99u) << c.channel << "/" << c.cc;
    }
}

TEST_F(BundleController, ProgramChangeAtOneHalfLoadsVocalSit) {
    ASSERT_EQ(controller->setParamNormalized(kProgramChange, 0.5), kResultOk);
    const vanto_factory_preset& vocalSit = VANTO_FACTORY_PRESETS[4];
    ASSERT_STREQ(vocalSit.name, "Vocal Sit");
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        EXPECT_EQ(controller->getParamNormalized(id), vocalSit.values[id]) << VANTO_PARAMS[id].path;
    }
}

TEST_F(BundleController, HostStateCallsReachTheController) {
    std::vector<char> own;
    ASSERT_EQ(instance->saveControllerState(own), kResultOk);
    EXPECT_EQ(std::string(own.begin(), own.end()), "{}");
    EXPECT_EQ(instance->restoreControllerState({}), kResultOk);

    const std::string state = R"({"params":{"glue.ratio":8}})";
    ASSERT_EQ(instance->restoreState(std::vector<char>(state.begin(), state.end())), kResultOk);
    EXPECT_EQ(controller->getParamNormalized(vanto_param_find("glue.ratio")->id), 1.0);
    EXPECT_EQ(controller->setComponentState(nullptr), Steinberg::kResultFalse);
    EXPECT_EQ(controller->setState(nullptr), Steinberg::kResultFalse);
    EXPECT_EQ(controller->getState(nullptr), Steinberg::kResultFalse);
}

TEST_F(BundleController, ALatencyChangeAsksTheHostToRestartTheComponent) {
    vanto::test::RecordingComponentHandler host;
    ASSERT_EQ(controller->setComponentHandler(&host), kResultOk);
    const auto latencyRestarts = [&host] {
        int count = 0;
        for (const Steinberg::int32 flags : host.restartFlags) {
            count += (flags & Steinberg::Vst::kLatencyChanged) != 0 ? 1 : 0;
        }
        return count;
    };
    // At 44.1 kHz the rate converter's delay appears, at 48 kHz it goes; the same rate again, or
    // another block size, changes nothing.
    const struct {
        double rate;
        Steinberg::int32 block;
        Steinberg::uint32 latency;
        int restarts;
    } steps[] = {{48000, 512, 0, 0},
                 {44100, 512, 35, 1},
                 {44100, 256, 35, 1},
                 {96000, 256, 56, 2},
                 {48000, 256, 0, 3}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.rate);
        ASSERT_EQ(instance->setActive(false), kResultOk);
        ASSERT_EQ(instance->setupProcessing(step.rate, step.block), kResultOk);
        ASSERT_EQ(instance->setActive(true), kResultOk);
        EXPECT_EQ(instance->processor()->getLatencySamples(), step.latency);
        EXPECT_EQ(latencyRestarts(), step.restarts);
    }
    controller->setComponentHandler(nullptr);
}

std::string asText(const std::vector<char>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::vector<char> asBytes(const std::string& text) {
    return std::vector<char>(text.begin(), text.end());
}

// Whatever an instance held before, restoring a state it saved gives back the same bytes: a fresh
// instance's states (which carry no CC map, no overrides and no current preset) clear what an earlier
// project's states put there, as a host reusing the instance for another project relies on.
TEST_F(BundleController, EveryStateRoundTripsWhateverTheInstanceHeldBefore) {
    std::vector<char> freshController;
    std::vector<char> freshComponent;
    ASSERT_EQ(instance->saveControllerState(freshController), kResultOk);
    ASSERT_EQ(instance->saveState(freshComponent), kResultOk);

    // Another project: a factory preset, a CC map and pad overrides, in both states.
    const std::string map = R"({"version":1,"bindings":[{"cc":74,"path":"glue.ratio","curve":"exp"}]})";
    const std::string pads = R"({"v":1,"pads":{"kick":{"gain":0.5}}})";
    ASSERT_EQ(instance->restoreState(asBytes(R"({"params":{"glue.ratio":6},"variation":3,"ccMap":)" + map +
                                             R"(,"sampler":)" + pads + "}")),
              kResultOk);
    ASSERT_EQ(instance->restoreControllerState(
                  asBytes(R"({"ccMap":)" + map + R"(,"sampler":)" + pads +
                          R"(,"preset":{"id":"vocal-sit","name":"Vocal Sit","program":4}})")),
              kResultOk);
    std::vector<char> otherController;
    std::vector<char> otherComponent;
    ASSERT_EQ(instance->saveControllerState(otherController), kResultOk);
    ASSERT_EQ(instance->saveState(otherComponent), kResultOk);
    ASSERT_NE(otherController, freshController);
    ASSERT_NE(otherComponent, freshComponent);
    ASSERT_NE(asText(otherController).find("\"preset\""), std::string::npos) << asText(otherController);
    ASSERT_NE(asText(otherComponent).find("\"ccMap\""), std::string::npos) << asText(otherComponent);

    // Back to the fresh instance's states, then the other project's again.
    for (const auto* states : {&freshComponent, &otherComponent, &freshComponent}) {
        const std::vector<char>& component = *states;
        const std::vector<char>& controllerState =
            states == &otherComponent ? otherController : freshController;
        ASSERT_EQ(instance->restoreState(component), kResultOk);
        ASSERT_EQ(instance->restoreControllerState(controllerState), kResultOk);
        std::vector<char> savedController;
        std::vector<char> savedComponent;
        ASSERT_EQ(instance->saveControllerState(savedController), kResultOk);
        ASSERT_EQ(instance->saveState(savedComponent), kResultOk);
        EXPECT_EQ(asText(savedController), asText(controllerState));
        EXPECT_EQ(asText(savedComponent), asText(component));
    }
    // With the fresh states back, the controller holds no CC map.
    std::vector<char> controllerState;
    ASSERT_EQ(instance->saveControllerState(controllerState), kResultOk);
    EXPECT_EQ(asText(controllerState).find("ccMap"), std::string::npos);
}

} // namespace
