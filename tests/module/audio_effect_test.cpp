#include "audio_effect.h"

#include <gtest/gtest.h>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

// Two audio inputs (main stereo, aux mono), one stereo output, one event input.
class TwoInOneOutEffect final : public vanto::AudioEffect {
  public:
    tresult PLUGIN_API initialize(FUnknown* context) override {
        const tresult result = AudioEffect::initialize(context);
        if (result != kResultOk)
            return result;
        addAudioInput(u"Main In", SpeakerArr::kStereo);
        addAudioInput(u"Side In", SpeakerArr::kMono, kAux, 0);
        addAudioOutput(u"Main Out", SpeakerArr::kStereo);
        addEventInput(u"Events", 1);
        return kResultOk;
    }
    tresult PLUGIN_API process(ProcessData&) override { return kResultOk; }
    const ProcessSetup& storedSetup() const { return processSetup; }
};

class AudioEffectTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(effect->initialize(nullptr), kResultOk); }
    void TearDown() override {
        effect->terminate();
        effect->release();
    }

    SpeakerArrangement arrangement(BusDirection direction, int32 index) {
        SpeakerArrangement result = 0;
        EXPECT_EQ(effect->getBusArrangement(direction, index, result), kResultTrue);
        return result;
    }

    TwoInOneOutEffect* effect = new TwoInOneOutEffect;
};

TEST_F(AudioEffectTest, DeclaresItsBuses) {
    EXPECT_EQ(effect->getBusCount(kAudio, kInput), 2);
    EXPECT_EQ(effect->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(effect->getBusCount(kEvent, kInput), 1);
    EXPECT_EQ(effect->getBusCount(kEvent, kOutput), 0);
    BusInfo info;
    ASSERT_EQ(effect->getBusInfo(kAudio, kInput, 1, info), kResultTrue);
    EXPECT_EQ(info.channelCount, 1);
    EXPECT_EQ(info.busType, kAux);
    EXPECT_EQ(info.flags, 0u);
    ASSERT_EQ(effect->getBusInfo(kEvent, kInput, 0, info), kResultTrue);
    EXPECT_EQ(info.channelCount, 1);
    EXPECT_EQ(info.flags, static_cast<uint32>(BusInfo::kDefaultActive));
    EXPECT_EQ(effect->getAudioInput(2), nullptr);
    EXPECT_EQ(effect->getEventOutput(0), nullptr);
}

TEST_F(AudioEffectTest, ArrangementRequestsApplyWholeOrNotAtAll) {
    SpeakerArrangement quad[] = {SpeakerArr::k40Music, SpeakerArr::k40Music, SpeakerArr::k40Music};
    SpeakerArrangement mono[] = {SpeakerArr::kMono};
    struct Case {
        const char* label;
        SpeakerArrangement* inputs;
        int32 numIns;
        SpeakerArrangement* outputs;
        int32 numOuts;
        tresult expected;
    };
    const Case refused[] = {
        {"more inputs than buses", quad, 3, mono, 1, kResultFalse},
        {"more outputs than buses", mono, 1, quad, 2, kResultFalse},
        {"null input array", nullptr, 1, mono, 1, kResultFalse},
        {"null output array", mono, 1, nullptr, 1, kResultFalse},
        {"negative count", mono, -1, mono, 1, kInvalidArgument},
    };
    for (const Case& c : refused) {
        EXPECT_EQ(effect->setBusArrangements(c.inputs, c.numIns, c.outputs, c.numOuts), c.expected)
            << c.label;
        EXPECT_EQ(arrangement(kInput, 0), SpeakerArr::kStereo) << c.label;
        EXPECT_EQ(arrangement(kOutput, 0), SpeakerArr::kStereo) << c.label;
    }

    EXPECT_EQ(effect->setBusArrangements(quad, 1, mono, 1), kResultTrue);
    EXPECT_EQ(arrangement(kInput, 0), SpeakerArr::k40Music);
    EXPECT_EQ(arrangement(kInput, 1), SpeakerArr::kMono) << "buses beyond the request keep theirs";
    EXPECT_EQ(arrangement(kOutput, 0), SpeakerArr::kMono);
    EXPECT_EQ(effect->setBusArrangements(nullptr, 0, nullptr, 0), kResultTrue);

    SpeakerArrangement unused = 0;
    EXPECT_EQ(effect->getBusArrangement(kOutput, 1, unused), kInvalidArgument);
    EXPECT_EQ(effect->getBusArrangement(kInput, -1, unused), kInvalidArgument);
}

TEST_F(AudioEffectTest, StoresOnlySetupsWithA32BitSampleSize) {
    EXPECT_EQ(effect->canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(effect->canProcessSampleSize(kSample64), kResultFalse);

    ProcessSetup doubles{kOffline, kSample64, 512, 96000.0};
    EXPECT_EQ(effect->setupProcessing(doubles), kResultFalse);
    EXPECT_EQ(effect->storedSetup().sampleRate, 44100.0);

    ProcessSetup floats{kOffline, kSample32, 512, 96000.0};
    EXPECT_EQ(effect->setupProcessing(floats), kResultOk);
    EXPECT_EQ(effect->storedSetup().processMode, kOffline);
    EXPECT_EQ(effect->storedSetup().maxSamplesPerBlock, 512);
    EXPECT_EQ(effect->storedSetup().sampleRate, 96000.0);
}

TEST_F(AudioEffectTest, OffersTheProcessorInterfaces) {
    void* object = nullptr;
    ASSERT_EQ(effect->queryInterface(IAudioProcessor::iid, &object), kResultOk);
    auto* processor = static_cast<IAudioProcessor*>(object);
    EXPECT_EQ(processor->getLatencySamples(), 0u);
    EXPECT_EQ(processor->getTailSamples(), static_cast<uint32>(kNoTail));
    EXPECT_EQ(processor->setProcessing(true), kResultOk);
    processor->release();

    ASSERT_EQ(effect->queryInterface(IProcessContextRequirements::iid, &object), kResultOk);
    auto* requirements = static_cast<IProcessContextRequirements*>(object);
    EXPECT_EQ(requirements->getProcessContextRequirements(), 0u);
    requirements->release();

    ASSERT_EQ(effect->queryInterface(IComponent::iid, &object), kResultOk);
    static_cast<IComponent*>(object)->release();
    ASSERT_EQ(effect->queryInterface(IConnectionPoint::iid, &object), kResultOk);
    static_cast<IConnectionPoint*>(object)->release();
}

} // namespace
