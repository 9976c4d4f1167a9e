// The processor of the built bundle as a host meets it: buses, set-up, latency, rendering, automation
// and the reports it sends to its controller.
#include "processor/kernel_reference.h"
#include "processor/processor_harness.h"
#include "processor/processor_render.h"

#include "demo_signal.h"
#include "diagnostics/host_facts.h"
#include "process_block.h"

#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vanto::StereoBuffer;
using vanto::host::ProcessBlock;
using vanto::test::HostChange;
using vanto::test::plainOf;
using vanto::test::ProcessorHarness;
using vanto::test::ReferenceChange;

constexpr uint32_t kTimeDivision = 5;
constexpr uint32_t kMixAmount = 31;
constexpr uint32_t kMasterLevel = 32;

bool sameSamples(const StereoBuffer& a, const StereoBuffer& b) {
    return a.left == b.left && a.right == b.right;
}

vanto::HostFacts lastHostFacts(const ProcessorHarness& harness) {
    const auto messages = harness.recorder().withId("vanto.diag.hostFacts");
    vanto::HostFacts facts;
    EXPECT_FALSE(messages.empty());
    if (!messages.empty()) {
        const std::string& bytes = messages.back().payload.value_or("");
        EXPECT_TRUE(vanto::readHostFactsBytes(bytes.data(), bytes.size(), facts)) << bytes.size() << " bytes";
    }
    return facts;
}

TEST(ProcessorComponent, DeclaresStereoMainBusesAnInactiveSidechainAMidiInputAndNamesItsController) {
    ProcessorHarness harness;
    IComponent& component = harness.component();
    EXPECT_EQ(component.getBusCount(kAudio, kInput), 2);
    EXPECT_EQ(component.getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(component.getBusCount(kEvent, kInput), 1);
    EXPECT_EQ(component.getBusCount(kEvent, kOutput), 0);
    BusInfo midi{};
    ASSERT_EQ(component.getBusInfo(kEvent, kInput, 0, midi), kResultOk);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(midi.name)), u"MIDI In");
    EXPECT_EQ(midi.channelCount, 16);
    EXPECT_EQ(midi.busType, kMain);
    EXPECT_EQ(midi.flags, static_cast<uint32>(BusInfo::kDefaultActive));
    for (const auto& [direction, name] :
         {std::pair{kInput, u"Stereo In"}, std::pair{kOutput, u"Stereo Out"}}) {
        BusInfo info{};
        ASSERT_EQ(component.getBusInfo(kAudio, direction, 0, info), kResultOk);
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(info.name)), name);
        EXPECT_EQ(info.channelCount, 2);
        EXPECT_EQ(info.busType, kMain);
        EXPECT_EQ(info.flags, static_cast<uint32>(BusInfo::kDefaultActive));
    }
    BusInfo sidechain{};
    ASSERT_EQ(component.getBusInfo(kAudio, kInput, 1, sidechain), kResultOk);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(sidechain.name)), u"Sidechain");
    EXPECT_EQ(sidechain.channelCount, 2);
    EXPECT_EQ(sidechain.busType, kAux);
    EXPECT_EQ(sidechain.flags, 0u) << "the side-chain is inactive until the host activates it";
    TUID controller{};
    ASSERT_EQ(component.getControllerClassId(controller), kResultOk);
    const unsigned char expected[16] = {0xe8, 0xe5, 0x68, 0x81, 0xe7, 0xe5, 0x66, 0xee,
                                        0xe6, 0xe5, 0x65, 0x5b, 0xe5, 0xe5, 0x63, 0xc8};
    EXPECT_EQ(std::memcmp(controller, expected, 16), 0);
}

TEST(ProcessorComponent, AcceptsStereoMainBusesWithOrWithoutAMonoOrStereoSidechain) {
    struct Case {
        const char* what;
        std::vector<SpeakerArrangement> inputs;
        std::vector<SpeakerArrangement> outputs;
        bool nullInputs;
        tresult expected;
    };
    const Case cases[] = {
        {"stereo in, stereo out", {SpeakerArr::kStereo}, {SpeakerArr::kStereo}, false, kResultOk},
        {"mono in, mono out", {SpeakerArr::kMono}, {SpeakerArr::kMono}, false, kResultFalse},
        {"stereo in, mono out", {SpeakerArr::kStereo}, {SpeakerArr::kMono}, false, kResultFalse},
        {"stereo side-chain",
         {SpeakerArr::kStereo, SpeakerArr::kStereo},
         {SpeakerArr::kStereo},
         false,
         kResultOk},
        {"mono side-chain",
         {SpeakerArr::kStereo, SpeakerArr::kMono},
         {SpeakerArr::kStereo},
         false,
         kResultOk},
        {"surround main with side-chain",
         {SpeakerArr::k51, SpeakerArr::kStereo},
         {SpeakerArr::kStereo},
         false,
         kResultFalse},
        {"side-chain without speakers",
         {SpeakerArr::kStereo, SpeakerArr::kEmpty},
         {SpeakerArr::kStereo},
         false,
         kResultFalse},
        {"surround side-chain",
         {SpeakerArr::kStereo, SpeakerArr::k51},
         {SpeakerArr::kStereo},
         false,
         kResultFalse},
        {"mono main with side-chain",
         {SpeakerArr::kMono, SpeakerArr::kStereo},
         {SpeakerArr::kStereo},
         false,
         kResultFalse},
        {"three input buses",
         {SpeakerArr::kStereo, SpeakerArr::kStereo, SpeakerArr::kStereo},
         {SpeakerArr::kStereo},
         false,
         kResultFalse},
        {"two output buses",
         {SpeakerArr::kStereo},
         {SpeakerArr::kStereo, SpeakerArr::kStereo},
         false,
         kResultFalse},
        {"no output bus", {SpeakerArr::kStereo}, {}, false, kResultFalse},
        {"null input array", {SpeakerArr::kStereo}, {SpeakerArr::kStereo}, true, kResultFalse},
    };
    for (const Case& c : cases) {
        ProcessorHarness harness;
        auto inputs = c.inputs;
        auto outputs = c.outputs;
        EXPECT_EQ(harness.processor().setBusArrangements(c.nullInputs ? nullptr : inputs.data(),
                                                         static_cast<int32>(inputs.size()), outputs.data(),
                                                         static_cast<int32>(outputs.size())),
                  c.expected)
            << c.what;
        SpeakerArrangement input = 0;
        ASSERT_EQ(harness.processor().getBusArrangement(kInput, 0, input), kResultTrue);
        EXPECT_EQ(input, SpeakerArr::kStereo) << c.what << ": a refused request changes nothing";
        SpeakerArrangement sidechain = 0;
        ASSERT_EQ(harness.processor().getBusArrangement(kInput, 1, sidechain), kResultTrue);
        const bool setsSidechain = c.expected == kResultOk && c.inputs.size() == 2;
        EXPECT_EQ(sidechain, setsSidechain ? c.inputs[1] : SpeakerArr::kStereo) << c.what;
        // Only an accepted arrangement tells the controller about the new buses.
        EXPECT_EQ(harness.recorder().withId("vanto.diag.hostFacts").size(), c.expected == kResultOk ? 1u : 0u)
            << c.what;
    }
}

TEST(ProcessorComponent, ProcessesThirtyTwoBitSamplesOnly) {
    ProcessorHarness harness;
    EXPECT_EQ(harness.processor().canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(harness.processor().canProcessSampleSize(kSample64), kResultFalse);
    // The base refuses the 64-bit set-up before the kernel is set up, so no report follows.
    EXPECT_EQ(harness.setupProcessing(48000, 512, kSample64), kResultFalse);
    EXPECT_TRUE(harness.recorder().messages.empty());

    harness.start(48000, 512);
    ProcessBlock block({2}, {2}, 64);
    std::fill(block.output(0, 0).begin(), block.output(0, 0).end(), 7.0f);
    ProcessData& data = block.prepare(64);
    data.symbolicSampleSize = kSample64;
    EXPECT_EQ(harness.processor().process(data), kResultFalse);
    EXPECT_TRUE(std::all_of(block.output(0, 0).begin(), block.output(0, 0).end(), [](float s) {
        return s == 7.0f;
    })) << "a refused block leaves the outputs alone";
}

TEST(ProcessorComponent, RefusesBlocksAboveSixteenThousandThreeHundredEightyFourFramesAndReportsWhy) {
    ProcessorHarness harness;
    EXPECT_EQ(harness.setupProcessing(48000, 16385), kResultFalse);
    const auto reports = harness.recorder().withId("vanto.runtimeDiagnostics");
    ASSERT_EQ(reports.size(), 1u);
    const std::string& report = reports[0].payload.value_or("");
    EXPECT_NE(report.find("\"lifecycle\":\"failed\""), std::string::npos) << report;
    EXPECT_NE(report.find("\"code\":\"runtime.invalid-configuration\""), std::string::npos) << report;
    EXPECT_TRUE(harness.recorder().withId("vanto.diag.hostFacts").empty());
    // Activation with the refused set-up is refused as well, and reported again.
    EXPECT_EQ(harness.setActive(true), kResultFalse);
    EXPECT_EQ(harness.recorder().withId("vanto.runtimeDiagnostics").size(), 2u);

    harness.recorder().clear();
    EXPECT_EQ(harness.setupProcessing(48000, 16384), kResultOk);
    EXPECT_TRUE(harness.recorder().withId("vanto.runtimeDiagnostics").empty());
    EXPECT_EQ(lastHostFacts(harness).maxBlockFrames, 16384);
}

TEST(ProcessorComponent, ReportsTheRateConverterDelayAsLatency) {
    const std::pair<double, uint32> cases[] = {{44100, 35}, {96000, 56}, {48000, 0}, {88200, 53}};
    for (const auto& [rate, latency] : cases) {
        ProcessorHarness harness;
        harness.start(rate, 512);
        EXPECT_EQ(harness.processor().getLatencySamples(), latency) << rate;
        EXPECT_EQ(lastHostFacts(harness).latencySamples, static_cast<int32_t>(latency)) << rate;
    }
}

TEST(ProcessorComponent, SendsHostFactsAfterEachSetUpAndActivation) {
    ProcessorHarness harness;
    ASSERT_EQ(harness.component().activateBus(kAudio, kInput, 0, true), kResultOk);
    ASSERT_EQ(harness.component().activateBus(kAudio, kOutput, 0, true), kResultOk);
    ASSERT_EQ(harness.setupProcessing(44100, 256, kSample32, kOffline), kResultOk);
    ASSERT_EQ(harness.setActive(true), kResultOk);
    ASSERT_EQ(harness.recorder().withId("vanto.diag.hostFacts").size(), 2u);
    for (const auto& message : harness.recorder().withId("vanto.diag.hostFacts")) {
        EXPECT_EQ(message.payload.value_or("").size(), vanto::kHostFactsSize);
    }
    const vanto::HostFacts facts = lastHostFacts(harness);
    EXPECT_EQ(facts.sampleRate, 44100.0);
    EXPECT_EQ(facts.maxBlockFrames, 256);
    EXPECT_EQ(facts.processMode, vanto::kHostProcessOffline);
    EXPECT_EQ(facts.sampleSize, 32u);
    EXPECT_EQ(facts.latencySamples, 35);
    EXPECT_EQ(facts.internalSampleRate, 48000.0);
    EXPECT_EQ(facts.lastBlockFrames, -1);
    ASSERT_EQ(facts.busCount, 3u);
    EXPECT_STREQ(facts.buses[0].id, "in0");
    EXPECT_EQ(facts.buses[0].isInput, 1);
    EXPECT_STREQ(facts.buses[1].id, "in1");
    EXPECT_EQ(facts.buses[1].isInput, 1);
    EXPECT_STREQ(facts.buses[2].id, "out0");
    EXPECT_EQ(facts.buses[2].isInput, 0);
    for (const vanto::HostBusFacts& bus : {facts.buses[0], facts.buses[1], facts.buses[2]}) {
        EXPECT_EQ(bus.channels, 2u);
        EXPECT_STREQ(bus.layout, "stereo");
    }
    EXPECT_EQ(facts.buses[0].active, 1);
    EXPECT_EQ(facts.buses[1].active, 0) << "the side-chain stays off until the host activates it";
    EXPECT_EQ(facts.buses[2].active, 1);
}

// Mix 0 and output 1 pass the input through unchanged, so silence in gives silence out.
void passThrough(ProcessorHarness& harness) {
    ProcessBlock block({2}, {2}, 64);
    block.inputParameterChanges().add(kMixAmount, 0, 0.0);
    block.inputParameterChanges().add(kMasterLevel, 0, 1.0);
    ASSERT_EQ(harness.processor().process(block.prepare(0)), kResultOk);
}

TEST(ProcessorComponent, FlagsSilentOutputChannels) {
    ProcessorHarness harness;
    harness.start(48000, 512);
    passThrough(harness);

    ProcessBlock stereo({2}, {2}, 256);
    ProcessData& silent = stereo.prepare(256);
    ASSERT_EQ(harness.processor().process(silent), kResultOk);
    EXPECT_EQ(silent.outputs[0].silenceFlags, 0b11u);

    ProcessBlock wide({2}, {70}, 256);
    ProcessData& many = wide.prepare(256);
    ASSERT_EQ(harness.processor().process(many), kResultOk);
    EXPECT_EQ(many.outputs[0].silenceFlags, (uint64{1} << 63) - 1) << "only 63 channels have a flag";

    stereo.input(0, 0)[100] = 0.5f;
    stereo.input(0, 1)[100] = 0.5f;
    ProcessData& impulse = stereo.prepare(256);
    ASSERT_EQ(harness.processor().process(impulse), kResultOk);
    EXPECT_EQ(impulse.outputs[0].silenceFlags, 0u);

    ProcessData& nullChannel = stereo.prepare(256);
    nullChannel.outputs[0].channelBuffers32[1] = nullptr;
    ASSERT_EQ(harness.processor().process(nullChannel), kResultOk);
    EXPECT_EQ(nullChannel.outputs[0].silenceFlags, 0b10u) << "a missing channel counts as silent";
}

TEST(ProcessorComponent, RefusesBlocksWithoutAnOutputButFlushesWithout) {
    ProcessorHarness harness;
    harness.start(48000, 512);
    ProcessBlock block({2}, {2}, 64);
    ProcessData& flush = block.prepare(0);
    flush.numOutputs = 0;
    flush.outputs = nullptr;
    EXPECT_EQ(harness.processor().process(flush), kResultOk);

    ProcessData& audio = block.prepare(64);
    audio.numOutputs = 0;
    audio.outputs = nullptr;
    EXPECT_EQ(harness.processor().process(audio), kResultFalse);

    ProcessData& noChannels = block.prepare(64);
    noChannels.outputs[0].numChannels = 0;
    EXPECT_EQ(harness.processor().process(noChannels), kResultFalse);
}

TEST(ProcessorComponent, ClearsAndFailsBlocksBeforeAnySetUp) {
    ProcessorHarness harness;
    ProcessBlock block({2}, {2}, 64);
    std::fill(block.input(0, 0).begin(), block.input(0, 0).end(), 0.25f);
    std::fill(block.output(0, 0).begin(), block.output(0, 0).end(), 7.0f);
    ProcessData& data = block.prepare(64);
    EXPECT_EQ(harness.processor().process(data), kResultFalse);
    EXPECT_TRUE(
        std::all_of(block.output(0, 0).begin(), block.output(0, 0).end(), [](float s) { return s == 0.0f; }));
    EXPECT_EQ(data.outputs[0].silenceFlags, 0b11u);
}

TEST(ProcessorComponent, PlacesParameterChangesAtTheirSampleOffsets) {
    const StereoBuffer input = vanto::makeDemoSignal(48000, 0.25);
    ProcessorHarness harness;
    harness.start(48000, 512);
    // Block 2 frame 200 and block 5 frame 7: neither lands on a kernel chunk boundary.
    const std::vector<HostChange> changes = {{712, kMasterLevel, 0.25}, {2567, kMasterLevel, 0.75}};
    const StereoBuffer rendered = vanto::test::renderThroughProcessor(harness, input, 512, changes);

    const auto reference = [&](std::ptrdiff_t shift) {
        std::vector<ReferenceChange> kernelChanges;
        for (const HostChange& change : changes) {
            kernelChanges.push_back({change.frame + shift, change.id, plainOf(change.id, change.normalized)});
        }
        return vanto::test::renderThroughKernel(input, kernelChanges);
    };
    EXPECT_TRUE(sameSamples(rendered, reference(0)));
    EXPECT_FALSE(sameSamples(rendered, reference(1))) << "a change one frame late sounds different";
    EXPECT_FALSE(sameSamples(rendered, reference(-1))) << "a change one frame early sounds different";
}

TEST(ProcessorComponent, IgnoresChangesForIdsBeyondTheParameterTable) {
    const StereoBuffer input = vanto::makeDemoSignal(48000, 0.1);
    ProcessorHarness plain;
    plain.start(48000, 256);
    const StereoBuffer expected =
        vanto::test::renderThroughProcessor(plain, input, 256, {{300, kMasterLevel, 0.5}});

    ProcessorHarness harness;
    harness.start(48000, 256);
    const StereoBuffer rendered = vanto::test::renderThroughProcessor(
        harness, input, 256,
        {{10, 34, 0.0}, {300, kMasterLevel, 0.5}, {400, 1000, 1.0}, {500, 0xFFFFFFFF, 1.0}});
    EXPECT_TRUE(sameSamples(rendered, expected));
    EXPECT_EQ(harness.saveState(), plain.saveState());
}

TEST(ProcessorComponent, AFlushAppliesChangesAtOnceAndAgainWithTheNextBlock) {
    const StereoBuffer input = vanto::makeDemoSignal(48000, 0.05);
    StereoBuffer first(512), second(64);
    std::copy_n(input.left.begin(), 512, first.left.begin());
    std::copy_n(input.right.begin(), 512, first.right.begin());
    std::copy_n(input.left.begin() + 512, 64, second.left.begin());
    std::copy_n(input.right.begin() + 512, 64, second.right.begin());

    ProcessorHarness harness;
    harness.start(48000, 512);
    vanto::test::renderThroughProcessor(harness, first, 512);

    ProcessBlock flush({2}, {2}, 64);
    flush.inputParameterChanges().add(kMasterLevel, 0, 0.5);
    flush.inputParameterChanges().add(kTimeDivision, 0, 1.0);
    ASSERT_EQ(harness.processor().process(flush.prepare(0)), kResultOk);
    const std::string state = harness.saveState();
    EXPECT_NE(state.find("\"time.division\":13,"), std::string::npos) << state;
    EXPECT_NE(state.find("\"master.level\":0.5,"), std::string::npos) << state;

    // The block after the flush carries the changes to the kernel at frame 0.
    const StereoBuffer rendered = vanto::test::renderThroughProcessor(harness, second, 64);
    const StereoBuffer reference = vanto::test::renderThroughKernel(
        input, {{512, kTimeDivision, 13.0}, {512, kMasterLevel, plainOf(kMasterLevel, 0.5)}});
    EXPECT_TRUE(std::equal(rendered.left.begin(), rendered.left.end(), reference.left.begin() + 512));
    EXPECT_TRUE(std::equal(rendered.right.begin(), rendered.right.end(), reference.right.begin() + 512));
}

} // namespace
