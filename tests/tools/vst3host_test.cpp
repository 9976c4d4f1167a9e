// The host library driving the gain fixture bundle through dlopen, the factory and real process calls.
#include "gain_fixture/gain_fixture_ids.h"
#include "module.h"
#include "plugin_instance.h"
#include "process_block.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vanto::host::Module;
using vanto::host::PluginInstance;
using vanto::host::ProcessBlock;
using namespace vanto::test;

class GainFixtureHost : public ::testing::Test {
  protected:
    void SetUp() override {
        module = Module::load(GAIN_FIXTURE_BUNDLE_PATH, error);
        ASSERT_NE(module, nullptr) << error;
        instance = PluginInstance::create(module, kGainFixtureProcessorUid.toTUID(), error);
        ASSERT_NE(instance, nullptr) << error;
    }

    // Fills the input with a ramp, runs one block and returns the first output channel's samples.
    std::vector<float> runBlock(ProcessBlock& block, int32 frames) {
        for (int32 channel = 0; channel < 2; ++channel)
            for (int32 frame = 0; frame < frames; ++frame)
                block.input(0, channel)[static_cast<size_t>(frame)] = static_cast<float>(frame + 1) / 100.0f;
        EXPECT_EQ(instance->process(block.prepare(frames)), kResultOk);
        const auto out = block.output(0, 0);
        return {out.begin(), out.begin() + frames};
    }

    std::string error;
    std::shared_ptr<Module> module;
    std::unique_ptr<PluginInstance> instance;
};

TEST_F(GainFixtureHost, ListsTheFactoryClasses) {
    const auto classes = module->classes();
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(classes[0].name, "Gain Fixture");
    EXPECT_EQ(classes[0].category, kVstAudioEffectClass);
    EXPECT_EQ(classes[0].subCategories, "Fx");
    EXPECT_EQ(std::memcmp(classes[0].cid.data(), kGainFixtureProcessorUid.toTUID(), 16), 0);
    EXPECT_EQ(classes[1].category, kVstComponentControllerClass);
    EXPECT_EQ(classes[1].sdkVersion, kVstVersionString);

    const auto controllerClass = module->findClass(kVstComponentControllerClass);
    ASSERT_TRUE(controllerClass.has_value());
    EXPECT_EQ(controllerClass->name, "Gain Fixture Controller");
    EXPECT_FALSE(module->findClass("No Such Category").has_value());
}

TEST_F(GainFixtureHost, MakesTheControllerAndConnectsItToTheComponent) {
    ASSERT_NE(instance->controller(), nullptr);
    EXPECT_EQ(instance->controller()->getParameterCount(), 2);
    // The processor's activation message reaches the controller through the connection.
    ASSERT_EQ(instance->start(48000.0, 256), kResultOk);
    EXPECT_DOUBLE_EQ(instance->controller()->getParamNormalized(kReportedRateParam), 48000.0 / kRateScale);
}

TEST_F(GainFixtureHost, ParameterChangesAndEventsReachTheProcessor) {
    ASSERT_EQ(instance->start(44100.0, 128), kResultOk);
    ProcessBlock block({2}, {2}, 128);

    const std::vector<float> unity = runBlock(block, 64);
    EXPECT_FLOAT_EQ(unity[9], 0.10f);

    block.clearQueues();
    ASSERT_TRUE(block.inputParameterChanges().add(kGainParam, 0, 0.5));
    Event noteOn{};
    noteOn.type = Event::kNoteOnEvent;
    noteOn.sampleOffset = 12;
    noteOn.noteOn.pitch = 36;
    noteOn.noteOn.velocity = 0.8f;
    ASSERT_EQ(block.inputEvents().addEvent(noteOn), kResultOk);
    const std::vector<float> halved = runBlock(block, 128);
    EXPECT_FLOAT_EQ(halved[9], 0.05f);
    EXPECT_FLOAT_EQ(block.output(0, 1)[127], 0.64f);

    // The fixture echoes what it received, so the outgoing lists show what the processor saw.
    ASSERT_EQ(block.outputParameterChanges().getParameterCount(), 1);
    IParamValueQueue* echoed = block.outputParameterChanges().getParameterData(0);
    int32 offset = -1;
    ParamValue value = -1;
    ASSERT_EQ(echoed->getPoint(0, offset, value), kResultOk);
    EXPECT_EQ(echoed->getParameterId(), kGainParam);
    EXPECT_EQ(offset, 0);
    EXPECT_DOUBLE_EQ(value, 0.5);
    ASSERT_EQ(block.outputEvents().getEventCount(), 1);
    Event echoedEvent{};
    ASSERT_EQ(block.outputEvents().getEvent(0, echoedEvent), kResultOk);
    EXPECT_EQ(echoedEvent.sampleOffset, 12);
    EXPECT_EQ(echoedEvent.noteOn.pitch, 36);
}

TEST_F(GainFixtureHost, StateMovesToAFreshInstanceAndItsController) {
    ASSERT_EQ(instance->start(48000.0, 64), kResultOk);
    ProcessBlock block({2}, {2}, 64);
    ASSERT_TRUE(block.inputParameterChanges().add(kGainParam, 0, 0.25));
    runBlock(block, 64);
    std::vector<char> state;
    ASSERT_EQ(instance->saveState(state), kResultOk);
    ASSERT_EQ(state.size(), sizeof(float));

    auto restored = PluginInstance::create(module, kGainFixtureProcessorUid.toTUID(), error);
    ASSERT_NE(restored, nullptr) << error;
    ASSERT_EQ(restored->restoreState(state), kResultOk);
    EXPECT_DOUBLE_EQ(restored->controller()->getParamNormalized(kGainParam), 0.25);
    ASSERT_EQ(restored->start(48000.0, 64), kResultOk);
    block.clearQueues();
    for (float& sample : block.input(0, 0))
        sample = 1.0f;
    ASSERT_EQ(restored->process(block.prepare(64)), kResultOk);
    EXPECT_FLOAT_EQ(block.output(0, 0)[0], 0.25f);

    // A state the component cannot read is refused and changes nothing.
    EXPECT_EQ(restored->restoreState({'x'}), kResultFalse);
    std::vector<char> unchanged;
    ASSERT_EQ(restored->saveState(unchanged), kResultOk);
    EXPECT_EQ(unchanged, state);
}

TEST_F(GainFixtureHost, RefusesClassesTheFactoryCannotMakeAsComponents) {
    std::string reason;
    EXPECT_EQ(PluginInstance::create(module, kGainFixtureControllerUid.toTUID(), reason), nullptr);
    EXPECT_FALSE(reason.empty());
    reason.clear();
    const FUID unknown(1, 2, 3, 4);
    EXPECT_EQ(PluginInstance::create(module, unknown.toTUID(), reason), nullptr);
    EXPECT_FALSE(reason.empty());
}

TEST(ModuleLoading, ReportsWhyABundleCannotBeLoaded) {
    struct Case {
        const char* label;
        std::string path;
        const char* reasonMentions;
    };
    const Case cases[] = {
        {"not a bundle path", "/tmp/not-a-bundle", "not a VST 3 bundle"},
        {"missing bundle", "/nonexistent/Missing.vst3", "Missing.so"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(Module::load(c.path, error), nullptr) << c.label;
        EXPECT_NE(error.find(c.reasonMentions), std::string::npos) << c.label << ": " << error;
    }
}

} // namespace
