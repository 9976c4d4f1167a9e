// KernelEngine::processBlock: the direct path against the kernel driven by hand, failures and their
// reports, output channel mapping and the realtime diagnostic queue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "diagnostics/diagnostic_vocabulary.h"
#include "engine/kernel_engine.h"
#include "engine_test_support.h"
#include "kernel/dovrel_kernel.h"

namespace vanto {
namespace {

using test::Stereo;

constexpr float kUntouched = 7.0f;

// Runs one block into freshly filled output buffers.
struct BlockRun {
    std::vector<std::vector<float>> channels;
    std::vector<float*> pointers;

    BlockRun(int outChannels, int frames)
        : channels(static_cast<std::size_t>(outChannels),
                   std::vector<float>(static_cast<std::size_t>(frames), kUntouched)) {
        for (auto& channel : channels) {
            pointers.push_back(channel.data());
        }
    }
    bool cleared() const {
        return std::all_of(channels.begin(), channels.end(), [](const std::vector<float>& channel) {
            return std::all_of(channel.begin(), channel.end(), [](float s) { return s == 0.0f; });
        });
    }
};

std::vector<RealtimeDiagnostic> drainedReports(KernelEngine& engine) {
    const uint32_t before = engine.diagnostics().count;
    engine.drainRuntimeDiagnostics();
    std::vector<RealtimeDiagnostic> reports;
    for (uint32_t i = before; i < engine.diagnostics().count; ++i) {
        const vanto_runtime_diagnostic& record = engine.diagnostics().entries[i];
        reports.push_back({record.code, record.severity, record.phase});
    }
    return reports;
}

TEST(ProcessBlockFailures, BlocksThatCannotRenderAreClearedAndReported) {
    struct Case {
        const char* name;
        bool setUp;
        int frames;
        bool withOutput;
        uint8_t severity;
    };
    const Case cases[] = {
        {"no kernel yet", false, 64, true, kSeverityFatal},
        {"larger than announced", true, 257, true, kSeverityError},
        {"no output", true, 64, false, kSeverityError},
    };
    const Stereo input = test::sine(440.0, 48000.0, 257, 0.5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KernelEngine engine;
        if (c.setUp) {
            ASSERT_TRUE(engine.setup(48000.0, 256));
        }
        ASSERT_TRUE(engine.pushParamNormalized(11, 1.0, 0));
        BlockRun run(2, c.frames);
        const float* in[2] = {input.left.data(), input.right.data()};
        engine.processBlock(in, 2, c.withOutput ? run.pointers.data() : nullptr, 2, c.frames);
        EXPECT_TRUE(engine.callbackFailed());
        EXPECT_TRUE(engine.outputSilent());
        EXPECT_EQ(engine.queuedEventCount(), 0);
        EXPECT_EQ(run.cleared(), c.withOutput);
        const auto reports = drainedReports(engine);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].code, kDiagProcessFailed);
        EXPECT_EQ(reports[0].severity, c.severity);
        EXPECT_EQ(reports[0].phase, kPhaseProcess);
        EXPECT_STREQ(engine.diagnostics().entries[0].message,
                     "audio process callback failed; output was cleared");
        EXPECT_STREQ(engine.diagnostics().entries[0].detail, "audio callback");
    }
}

TEST(ProcessBlockFailures, FailedKernelChunksAreClearedOneByOne) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 512));
    // The instance disappears behind the engine's back: every kernel call now fails.
    ASSERT_EQ(dovrel_kernel_destroy(engine.instanceToken()), 0.0);
    BlockRun run(2, 300);
    engine.processBlock(nullptr, 0, run.pointers.data(), 2, 300);
    EXPECT_TRUE(engine.callbackFailed());
    EXPECT_TRUE(run.cleared());
    const auto reports = drainedReports(engine);
    ASSERT_EQ(reports.size(), 3u); // one per chunk: 128, 128, 44
    for (const RealtimeDiagnostic& report : reports) {
        EXPECT_EQ(report.code, kDiagProcessFailed);
        EXPECT_EQ(report.severity, kSeverityError);
    }
}

TEST(ProcessBlockFailures, AFailedAdapterStaysSilentUntilTheNextSetup) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(44100.0, 512));
    const Stereo tone = test::sine(440.0, 44100.0, 512, 0.5);
    const float* in[2] = {tone.left.data(), tone.right.data()};
    ASSERT_EQ(dovrel_kernel_destroy(engine.instanceToken()), 0.0);

    for (int block = 0; block < 3; ++block) {
        BlockRun run(2, 512);
        engine.processBlock(in, 2, run.pointers.data(), 2, 512);
        EXPECT_TRUE(engine.callbackFailed());
        EXPECT_TRUE(engine.adapterFailed());
        EXPECT_TRUE(run.cleared());
    }
    const auto reports = drainedReports(engine);
    ASSERT_EQ(reports.size(), 3u); // one per block
    for (const RealtimeDiagnostic& report : reports) {
        EXPECT_EQ(report.code, kDiagRateAdapterFailed);
        EXPECT_EQ(report.severity, kSeverityError);
    }
    EXPECT_STREQ(engine.diagnostics().entries[0].message, "sample-rate adapter failed; output was cleared");

    ASSERT_TRUE(engine.setup(44100.0, 512));
    EXPECT_FALSE(engine.adapterFailed());
    BlockRun run(2, 512);
    engine.processBlock(in, 2, run.pointers.data(), 2, 512);
    EXPECT_FALSE(engine.callbackFailed());
    EXPECT_FALSE(run.cleared());
}

// Drives a kernel instance by hand the way the engine should: chunks of 128, the event at its frame
// within the chunk it falls in.
std::vector<float> renderByHand(const Stereo& input, int frames, uint32_t eventId, double eventValue,
                                int eventFrame) {
    const auto handle = static_cast<uint32_t>(dovrel_kernel_create(128, 2, 2, 48000.0));
    EXPECT_NE(handle, 0u);
    float* kernelIn = nullptr;
    float* kernelOut = nullptr;
    uint32_t length = 0;
    dovrel_kernel_input_view(handle, &kernelIn, &length);
    dovrel_kernel_output_view(handle, &kernelOut, &length);
    std::vector<float> left(static_cast<std::size_t>(frames));
    for (int offset = 0; offset < frames; offset += 128) {
        const int chunk = std::min(128, frames - offset);
        std::copy_n(input.left.data() + offset, chunk, kernelIn);
        std::copy_n(input.right.data() + offset, chunk, kernelIn + 128);
        if (eventFrame >= offset && eventFrame < offset + chunk) {
            EXPECT_EQ(dovrel_kernel_push_event(handle, 1, static_cast<uint32_t>(eventFrame - offset), eventId,
                                               eventValue),
                      0.0);
        }
        EXPECT_EQ(dovrel_kernel_process(handle, static_cast<uint32_t>(chunk)), 0.0);
        std::copy_n(kernelOut, chunk, left.data() + offset);
    }
    dovrel_kernel_destroy(handle);
    return left;
}

TEST(DirectPath, ChunksAndEventFramesMatchTheKernelDrivenByHand) {
    constexpr int kFrames = 300;
    constexpr uint32_t kMaster = test::kParamMaster;
    const Stereo input = test::sine(220.0, 48000.0, kFrames, 0.8);
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 512));
    // "master.level" 0 at frame 130: the second chunk's frame 2.
    ASSERT_TRUE(engine.pushParamNormalized(kMaster, 0.0, 130));
    Stereo output(kFrames);
    test::renderBlock(engine, input.left.data(), input.right.data(), 2, output.left.data(),
                      output.right.data(), kFrames);
    ASSERT_FALSE(engine.callbackFailed());
    EXPECT_EQ(engine.paramValue(kMaster), 0.0);

    EXPECT_EQ(output.left, renderByHand(input, kFrames, kMaster, 0.0, 130));
    // The comparison tells neighbouring frames apart.
    EXPECT_NE(output.left, renderByHand(input, kFrames, kMaster, 0.0, 129));
    EXPECT_NE(output.left, renderByHand(input, kFrames, kMaster, 0.0, 131));
}

TEST(DirectPath, EventsOutsideTheBlockAreNotDispatched) {
    constexpr int kFrames = 200;
    const Stereo input = test::sine(220.0, 48000.0, kFrames, 0.8);
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 256));
    ASSERT_TRUE(engine.pushParamNormalized(test::kParamMaster, 0.0, -1));
    ASSERT_TRUE(engine.pushParamNormalized(test::kParamMaster, 0.0, kFrames));
    Stereo output(kFrames);
    test::renderBlock(engine, input.left.data(), input.right.data(), 2, output.left.data(),
                      output.right.data(), kFrames);
    EXPECT_EQ(engine.queuedEventCount(), 0);
    EXPECT_EQ(engine.paramValue(test::kParamMaster), 0.9);
    EXPECT_EQ(output.left, renderByHand(input, kFrames, test::kParamMaster, 0.9, 0));
}

TEST(OutputChannels, ExtraChannelsCopyTheFirstAtEveryRate) {
    for (const double rate : {48000.0, 44100.0}) {
        SCOPED_TRACE(rate);
        KernelEngine engine;
        ASSERT_TRUE(engine.setup(rate, 512));
        Stereo input = test::sine(300.0, rate, 512, 0.5);
        std::fill(input.right.begin(), input.right.end(), 0.0f);
        const float* in[2] = {input.left.data(), input.right.data()};
        BlockRun run(3, 512);
        engine.processBlock(in, 2, run.pointers.data(), 3, 512);
        ASSERT_FALSE(engine.callbackFailed());
        EXPECT_EQ(run.channels[2], run.channels[0]);
        EXPECT_NE(run.channels[1], run.channels[0]);
        EXPECT_FALSE(engine.outputSilent());
    }
}

TEST(OutputChannels, NullChannelsAreSkipped) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 128));
    std::vector<float> right(128, kUntouched);
    float* out[2] = {nullptr, right.data()};
    engine.processBlock(nullptr, 0, out, 2, 128);
    EXPECT_FALSE(engine.callbackFailed());
    EXPECT_TRUE(engine.outputSilent());
    EXPECT_EQ(right, std::vector<float>(128, 0.0f));
}

TEST(OutputSilence, SilenceInGivesSilenceOutAndTheFlagSaysSo) {
    for (const double rate : {48000.0, 96000.0}) {
        SCOPED_TRACE(rate);
        KernelEngine engine;
        ASSERT_TRUE(engine.setup(rate, 256));
        const Stereo silence(256);
        const Stereo tone = test::sine(500.0, rate, 256, 0.5);
        Stereo output(256);
        test::renderBlock(engine, silence.left.data(), silence.right.data(), 2, output.left.data(),
                          output.right.data(), 256);
        EXPECT_TRUE(engine.outputSilent());
        for (int block = 0; block < 2; ++block) {
            test::renderBlock(engine, tone.left.data(), tone.right.data(), 2, output.left.data(),
                              output.right.data(), 256);
        }
        EXPECT_FALSE(engine.outputSilent());
    }
}

// A NaN or infinite host sample must not reach the kernel's recursive filters, where it would turn
// every later output into NaN: it is rendered as silence.
TEST(NonFiniteInput, IsRenderedAsSilenceAndPoisonsNothing) {
    for (const double rate : {48000.0, 44100.0}) {
        SCOPED_TRACE(rate);
        constexpr int kFrames = 4 * 256;
        Stereo clean = test::sine(300.0, rate, kFrames, 0.5);
        Stereo hostile = clean;
        for (const int frame : {3, 100, 101, 300}) {
            hostile.left[frame] = std::numeric_limits<float>::quiet_NaN();
            hostile.right[frame] = std::numeric_limits<float>::infinity();
            clean.left[frame] = 0.0f;
            clean.right[frame] = 0.0f;
        }
        KernelEngine hostileEngine;
        KernelEngine cleanEngine;
        ASSERT_TRUE(hostileEngine.setup(rate, 256));
        ASSERT_TRUE(cleanEngine.setup(rate, 256));
        const Stereo fromHostile = test::renderSignal(hostileEngine, hostile, 256);
        const Stereo fromClean = test::renderSignal(cleanEngine, clean, 256);
        EXPECT_FALSE(hostileEngine.callbackFailed());
        EXPECT_TRUE(std::all_of(fromHostile.left.begin(), fromHostile.left.end(),
                                [](float s) { return std::isfinite(s); }));
        EXPECT_EQ(fromHostile.left, fromClean.left);
        EXPECT_EQ(fromHostile.right, fromClean.right);
    }
}

TEST(RenderingHelpers, ClearCopyAndCountFrames) {
    KernelEngine engine;
    BlockRun run(2, 16);
    run.pointers[1] = nullptr;
    KernelEngine::clearOutputs(run.pointers.data(), 2, 16);
    EXPECT_EQ(run.channels[0], std::vector<float>(16, 0.0f));
    EXPECT_EQ(run.channels[1], std::vector<float>(16, kUntouched));
    KernelEngine::clearOutputs(nullptr, 2, 16); // nothing to clear, nothing touched

    std::vector<float> source = {1.0f, 2.0f, 3.0f};
    std::vector<float> copy(3, 0.0f);
    KernelEngine::renderChannel(source.data(), copy.data(), 3);
    EXPECT_EQ(copy, source);
    KernelEngine::renderChannel(source.data(), source.data(), 3);
    EXPECT_EQ(copy, source);

    BlockRun instrument(2, 32);
    engine.renderInstrumentBlock(instrument.pointers.data(), 2, 32);
    engine.renderInstrumentBlock(instrument.pointers.data(), 2, 8);
    EXPECT_TRUE(instrument.cleared());
    EXPECT_EQ(engine.renderedFrames(), 40u);
    ASSERT_TRUE(engine.setup(48000.0, 64));
    EXPECT_EQ(engine.renderedFrames(), 0u);
}

TEST(RealtimeDiagnostics, OverflowRecordLeadsTheDrainedReports) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 128));
    // This kernel refuses every note event, and each refusal is reported: 33 reports in one block.
    for (int i = 0; i < 33; ++i) {
        ASSERT_TRUE(engine.pushNoteOn(60, 1.0, i, 0, 0));
    }
    BlockRun run(2, 128);
    engine.processBlock(nullptr, 0, run.pointers.data(), 2, 128);
    EXPECT_FALSE(engine.callbackFailed());
    EXPECT_TRUE(engine.hasPendingRuntimeDiagnostics());

    engine.drainRuntimeDiagnostics();
    EXPECT_FALSE(engine.hasPendingRuntimeDiagnostics());
    const vanto_runtime_diagnostic_ring& ring = engine.diagnostics();
    ASSERT_EQ(ring.count, 32u);
    EXPECT_EQ(ring.entries[0].code, kDiagDiagnosticsOverflow);
    EXPECT_EQ(ring.entries[0].severity, kSeverityWarning);
    EXPECT_EQ(ring.entries[0].phase, kPhaseProcess);
    EXPECT_STREQ(ring.entries[0].message, "audio diagnostic queue overflowed");
    EXPECT_STREQ(ring.entries[0].detail, "dropped=1; source=audio callback");
    for (uint32_t i = 1; i < 32; ++i) {
        EXPECT_EQ(ring.entries[i].code, kDiagEventRejected);
        EXPECT_EQ(ring.entries[i].severity, kSeverityError);
        EXPECT_STREQ(ring.entries[i].message, "runtime diagnostic observed on the audio callback");
        EXPECT_STREQ(ring.entries[i].detail, "audio callback");
    }
    // The 32nd queued report found the ring full; the overflow record took its place.
    EXPECT_EQ(ring.dropped, 1u);
    EXPECT_EQ(ring.nextSequence, 34u);
}

TEST(RealtimeDiagnostics, QueueTakesReportsAgainAfterADrain) {
    KernelEngine engine;
    for (int i = 0; i < 34; ++i) {
        engine.recordRealtimeDiagnostic(kDiagEventRejected, kSeverityError, kPhaseProcess);
    }
    engine.drainRuntimeDiagnostics();
    EXPECT_STREQ(engine.diagnostics().entries[0].detail, "dropped=2; source=audio callback");
    EXPECT_FALSE(engine.hasPendingRuntimeDiagnostics());

    engine.recordRealtimeDiagnostic(kDiagProcessFailed, kSeverityFatal, kPhaseProcess);
    EXPECT_TRUE(engine.hasPendingRuntimeDiagnostics());
    engine.drainRuntimeDiagnostics();
    // The ring is full by now: the new record only spends a sequence number and counts as dropped.
    EXPECT_EQ(engine.diagnostics().dropped, 2u);
    EXPECT_EQ(engine.diagnostics().nextSequence, 35u);
    EXPECT_FALSE(engine.hasPendingRuntimeDiagnostics());
}

} // namespace
} // namespace vanto
