// The processor reads the host's process context into transport facts on the audio thread and sends
// the newest one to the controller when the controller's cadence polls.
#include "diagnostics/transport_fact.h"
#include "processor/processor_harness.h"

#include "process_block.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vanto::TransportFact;
using vanto::test::ProcessorHarness;

// Processes one 256-frame block with the context `setContext` fills in.
template <class Fill>
void processWithContext(ProcessorHarness& harness, vanto::host::ProcessBlock& block, Fill fill) {
    ProcessData& data = block.prepare(256);
    block.processContext() = {};
    fill(block.processContext());
    ASSERT_EQ(harness.processor().process(data), kResultOk);
}

// Polls as the controller's cadence does and decodes what the processor answers; nothing when it sends
// no fact.
std::optional<TransportFact> poll(ProcessorHarness& harness) {
    harness.recorder().clear();
    harness.notify("vanto.diag.transportPoll", std::nullopt);
    const auto sent = harness.recorder().withId("vanto.diag.transport");
    if (sent.empty()) {
        return std::nullopt;
    }
    EXPECT_EQ(sent.size(), 1u);
    const std::string bytes = sent.back().payload.value_or("");
    TransportFact fact;
    EXPECT_TRUE(vanto::readTransportFactBytes(bytes.data(), bytes.size(), fact)) << bytes.size();
    return fact;
}

TEST(ProcessorTransport, ThePollCarriesTheNewestFactOfTheHostsProcessContext) {
    ProcessorHarness harness;
    harness.start(44100, 256);
    vanto::host::ProcessBlock block({2}, {2}, 256);
    EXPECT_FALSE(poll(harness).has_value()) << "nothing was processed yet";

    processWithContext(harness, block, [](ProcessContext& c) {
        c.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kTimeSigValid |
                  ProcessContext::kProjectTimeMusicValid | ProcessContext::kBarPositionValid |
                  ProcessContext::kCycleValid | ProcessContext::kCycleActive | ProcessContext::kRecording;
        c.tempo = 97.5;
        c.timeSigNumerator = 7;
        c.timeSigDenominator = 8;
        c.projectTimeMusic = 12.25;
        c.barPositionMusic = 10.5;
        c.cycleStartMusic = 8;
        c.cycleEndMusic = 16;
        c.sampleRate = 44100;
        c.projectTimeSamples = 123456;
    });
    processWithContext(harness, block, [](ProcessContext& c) {
        c.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kTimeSigValid |
                  ProcessContext::kProjectTimeMusicValid | ProcessContext::kBarPositionValid |
                  ProcessContext::kCycleValid | ProcessContext::kCycleActive | ProcessContext::kRecording;
        c.tempo = 98;
        c.timeSigNumerator = 7;
        c.timeSigDenominator = 8;
        c.projectTimeMusic = 12.5;
        c.barPositionMusic = 10.5;
        c.cycleStartMusic = 8;
        c.cycleEndMusic = 16;
        c.sampleRate = 44100;
        c.projectTimeSamples = 123712;
    });
    const std::optional<TransportFact> playing = poll(harness);
    ASSERT_TRUE(playing.has_value());
    EXPECT_EQ(playing->atFrame, 256u) << "the second block's first frame since activation";
    EXPECT_EQ(playing->source, vanto::kTransportSourceHost);
    EXPECT_TRUE(playing->playing && playing->recording && playing->looping);
    EXPECT_TRUE(playing->hasTempo && playing->hasTimeSignature && playing->hasPosition && playing->hasLoop);
    EXPECT_FALSE(playing->canSetTempo);
    EXPECT_EQ(playing->tempo, 98.0);
    EXPECT_EQ(playing->numerator, 7);
    EXPECT_EQ(playing->denominator, 8);
    EXPECT_EQ(playing->ppqPosition, 12.5);
    EXPECT_EQ(playing->barPositionPpq, 10.5);
    EXPECT_EQ(playing->loopStartPpq, 8.0);
    EXPECT_EQ(playing->loopEndPpq, 16.0);
    EXPECT_EQ(playing->sampleRate, 44100.0);
    EXPECT_EQ(playing->projectTimeSamples, 123712);

    // Stopped without a tempo or meter: the capabilities go, the defaults stand in.
    const auto stopped = [](ProcessContext& c) { c.sampleRate = 44100; };
    processWithContext(harness, block, stopped);
    const std::optional<TransportFact> halted = poll(harness);
    ASSERT_TRUE(halted.has_value());
    EXPECT_FALSE(halted->playing || halted->hasTempo || halted->hasTimeSignature || halted->hasLoop);
    EXPECT_EQ(halted->tempo, 120.0);
    EXPECT_EQ(halted->numerator, 4);
    // A stopped transport that stays as it was is not sent again, unless the controller asks afresh.
    processWithContext(harness, block, stopped);
    EXPECT_FALSE(poll(harness).has_value());
    IPtr<IMessage> reset = harness.makeMessage("vanto.diag.transportPoll");
    reset->getAttributes()->setInt("reset", 1);
    ASSERT_EQ(harness.deliver(reset), kResultOk) << "asks afresh";
    processWithContext(harness, block, stopped);
    EXPECT_TRUE(poll(harness).has_value());
}

TEST(ProcessorTransport, NoProcessContextIsReportedAsNoSource) {
    ProcessorHarness harness;
    harness.start(48000, 256);
    vanto::host::ProcessBlock block({2}, {2}, 256);
    ProcessData& data = block.prepare(256);
    data.processContext = nullptr;
    ASSERT_EQ(harness.processor().process(data), kResultOk);
    const std::optional<TransportFact> fact = poll(harness);
    ASSERT_TRUE(fact.has_value());
    EXPECT_EQ(fact->source, vanto::kTransportSourceNone);
    EXPECT_FALSE(fact->playing || fact->hasTempo);
}

} // namespace
