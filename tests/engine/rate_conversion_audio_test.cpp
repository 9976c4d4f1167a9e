// The sample-rate adapter measured on audio through the real kernel, made transparent (mix 0,
// output 1) so that what comes out is what the adapter's interpolators made of the input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/kernel_engine.h"
#include "engine/rate_adapter.h"
#include "engine_test_support.h"

namespace vanto::test {
namespace {

constexpr int kBlock = 512;

std::size_t settleFrames(double rate) {
    return static_cast<std::size_t>(kTransparentSettleSeconds * rate);
}

struct PassBandCase {
    double rate;
    double inputHz;
    // Where the input's energy ends up: the input frequency itself, or its alias in the kernel's band.
    double measuredHz;
    double expectedDb;
    double toleranceDb;
};

class RateConversionPassBand : public ::testing::TestWithParam<PassBandCase> {};

TEST_P(RateConversionPassBand, GainOfTheInputInterpolator) {
    const PassBandCase c = GetParam();
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(c.rate, kBlock));
    makeKernelTransparent(engine);

    // Whole periods of every component in the measured window: 0.1 s at these rates.
    const auto window = static_cast<std::size_t>(c.rate / 10);
    const std::size_t settle = settleFrames(c.rate);
    Stereo input(settle + 2 * window);
    const Stereo tone = sine(c.inputHz, c.rate, 2 * window, 0.5);
    std::copy(tone.left.begin(), tone.left.end(), input.left.begin() + static_cast<std::ptrdiff_t>(settle));
    std::copy(tone.right.begin(), tone.right.end(),
              input.right.begin() + static_cast<std::ptrdiff_t>(settle));

    const Stereo output = renderSignal(engine, input, kBlock);
    ASSERT_FALSE(engine.callbackFailed());
    const std::size_t measureFrom = settle + window;
    for (const std::vector<float>* channel : {&output.left, &output.right}) {
        const double gain = amplitudeAt(*channel, measureFrom, window, c.measuredHz, c.rate) / 0.5;
        EXPECT_NEAR(decibels(gain), c.expectedDb, c.toleranceDb);
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, RateConversionPassBand,
                         ::testing::Values(
                             // At 96 kHz the input table's pass band ends at 24 kHz (cut 0.5).
                             PassBandCase{96000.0, 1000.0, 1000.0, 0.0, 0.01},
                             // 30 kHz is folded to 18 kHz by the kernel's 48 kHz rate, about 44 dB down.
                             PassBandCase{96000.0, 30000.0, 18000.0, -44.16, 0.1},
                             // At 44.1 kHz the input table keeps the full band (cut 1).
                             PassBandCase{44100.0, 1000.0, 1000.0, 0.0, 0.01}));

TEST(RateConversionTiming, FirstOutputFramesAreExactlyZero) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(44100.0, kBlock));
    const Stereo loud = sine(440.0, 44100.0, kBlock, 0.9);
    const Stereo output = renderSignal(engine, loud, kBlock);
    // Host output frame H reads kernel time (H − 16) × 48000 / 44100 − 20, negative up to H = 34.
    for (int frame = 0; frame <= 34; ++frame) {
        EXPECT_EQ(output.left[frame], 0.0f) << frame;
        EXPECT_EQ(output.right[frame], 0.0f) << frame;
    }
    EXPECT_NE(output.left[35], 0.0f);
}

TEST(RateConversionTiming, ImpulseArrivesAfterTheReportedLatency) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(44100.0, kBlock));
    makeKernelTransparent(engine);
    EXPECT_EQ(engine.latencySamples(), 35); // 16 + 20 × 44100 / 48000 = 34.375, rounded up

    const std::size_t impulseAt = settleFrames(44100.0);
    Stereo input(impulseAt + 4 * kBlock);
    input.left[impulseAt] = 1.0f;
    input.right[impulseAt] = 1.0f;
    const Stereo output = renderSignal(engine, input, kBlock);

    const auto peak = std::max_element(output.left.begin(), output.left.end(),
                                       [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    const auto delay = static_cast<std::size_t>(peak - output.left.begin()) - impulseAt;
    EXPECT_GE(delay, 34u);
    EXPECT_LE(delay, 35u);
    // The two interpolators look at most 15 host and 15 kernel frames ahead, so nothing of the
    // impulse can arrive before 34.375 − 15 − 15 × 44100 / 48000 ≈ 5.6 frames after it.
    const auto first =
        std::find_if(output.left.begin(), output.left.end(), [](float s) { return s != 0.0f; });
    EXPECT_GE(static_cast<std::size_t>(first - output.left.begin()), impulseAt + 5);
}

// Renders what the engine should produce when the transparent kernel switches to silence at kernel
// frame `switchFrame`: an adapter of its own, whose "kernel" passes the staged input through before
// that frame and outputs zeros from it on.
std::vector<float> referenceWithSwitchAt(uint64_t switchFrame, const Stereo& input, uint64_t fifoCapacity) {
    RateAdapter adapter;
    adapter.configure(HostRate{44100, 1}, fifoCapacity);
    std::vector<float> output(input.frames());
    std::vector<float> kernelLeft;
    std::vector<float> kernelRight;
    for (std::size_t start = 0; start < input.frames(); start += kBlock) {
        adapter.trimHistories();
        EXPECT_TRUE(adapter.appendHostInput(input.left.data() + start, input.right.data() + start, kBlock));
        const uint64_t staged = adapter.stageKernelInput();
        kernelLeft.assign(adapter.stagedChannel(0), adapter.stagedChannel(0) + staged);
        kernelRight.assign(adapter.stagedChannel(1), adapter.stagedChannel(1) + staged);
        for (uint64_t i = 0; i < staged; ++i) {
            if (adapter.kernelOutputPosition() + i >= switchFrame) {
                kernelLeft[i] = 0.0f;
                kernelRight[i] = 0.0f;
            }
        }
        EXPECT_TRUE(adapter.appendKernelOutput(kernelLeft.data(), kernelRight.data(), staged));
        adapter.advanceKernelOutput(staged);
        adapter.finishHostInput(kBlock);
        float* out[2] = {output.data() + start, nullptr};
        adapter.renderHostOutput(out, 2, kBlock);
    }
    return output;
}

TEST(RateConversionEvents, AnEventLandsAtTheKernelFrameNearestItsHostTime) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(44100.0, kBlock));
    makeKernelTransparent(engine);
    const std::size_t settleBlocks = settleFrames(44100.0) / kBlock + 1;
    Stereo input((settleBlocks + 3) * kBlock);
    std::fill(input.left.begin(), input.left.end(), 0.5f);
    std::fill(input.right.begin(), input.right.end(), 0.5f);

    Stereo output(input.frames());
    constexpr int kEventFrame = 300;
    for (std::size_t block = 0; block * kBlock < input.frames(); ++block) {
        const std::size_t start = block * kBlock;
        if (block == settleBlocks) {
            // "sidechain.audition" 2 (delta) with mix 0: silence from the event on.
            ASSERT_TRUE(engine.pushParamNormalized(kParamAudition, 1.0, kEventFrame));
        }
        renderBlock(engine, input.left.data() + start, input.right.data() + start, 2,
                    output.left.data() + start, output.right.data() + start, kBlock);
        ASSERT_FALSE(engine.callbackFailed());
    }
    // Host frame 88,876 is kernel time 96,735.18…: the event belongs at kernel frame 96,735.
    const uint64_t hostTime = settleBlocks * kBlock + kEventFrame;
    const uint64_t nearest = RateTimeline(HostRate{44100, 1}).kernelFrameNearestHostFrame(hostTime);
    ASSERT_EQ(nearest, (hostTime * 48000 + 22050) / 44100);

    const auto fromEventBlock = [&](const std::vector<float>& signal) {
        return std::vector<float>(signal.begin() + static_cast<std::ptrdiff_t>(settleBlocks * kBlock),
                                  signal.end());
    };
    const std::vector<float> rendered = fromEventBlock(output.left);
    EXPECT_EQ(rendered, fromEventBlock(referenceWithSwitchAt(nearest, input, engine.fifoCapacity())));
    EXPECT_NE(rendered, fromEventBlock(referenceWithSwitchAt(nearest - 1, input, engine.fifoCapacity())));
    EXPECT_NE(rendered, fromEventBlock(referenceWithSwitchAt(nearest + 1, input, engine.fifoCapacity())));
    EXPECT_EQ(rendered.back(), 0.0f);
}

TEST(RateConversionEvents, AnEventWaitsForTheBlockThatReachesItsKernelTime) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(44100.0, kBlock));
    const Stereo silence(kBlock);
    Stereo output(kBlock);
    renderBlock(engine, silence.left.data(), silence.right.data(), 2, output.left.data(), output.right.data(),
                kBlock);
    // Frame 500 lies within the 16 frames of look-ahead the input interpolator still waits for.
    ASSERT_TRUE(engine.pushParamNormalized(kParamMaster, 0.5, 500));
    renderBlock(engine, silence.left.data(), silence.right.data(), 2, output.left.data(), output.right.data(),
                kBlock);
    EXPECT_EQ(engine.queuedEventCount(), 1);
    EXPECT_EQ(engine.paramValue(kParamMaster), 0.9);
    renderBlock(engine, silence.left.data(), silence.right.data(), 2, output.left.data(), output.right.data(),
                kBlock);
    EXPECT_EQ(engine.queuedEventCount(), 0);
    EXPECT_EQ(engine.paramValue(kParamMaster), 0.5);
}

TEST(RateConversionEvents, OffsetsBeyondTheBlockAreDropped) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(44100.0, kBlock));
    const Stereo silence(kBlock);
    Stereo output(kBlock);
    ASSERT_TRUE(engine.pushParamNormalized(kParamMaster, 0.5, kBlock));
    ASSERT_TRUE(engine.pushParamNormalized(kParamMaster, 0.5, 1 << 30));
    renderBlock(engine, silence.left.data(), silence.right.data(), 2, output.left.data(), output.right.data(),
                kBlock);
    EXPECT_EQ(engine.queuedEventCount(), 0);
    EXPECT_EQ(engine.paramValue(kParamMaster), 0.9);
}

TEST(RateConversionChannels, MonoInputFeedsBothKernelChannelsOnlyAtTheKernelRate) {
    struct Case {
        double rate;
        bool rightCarriesInput;
    };
    for (const Case c : {Case{48000.0, true}, Case{44100.0, false}}) {
        SCOPED_TRACE(c.rate);
        KernelEngine engine;
        ASSERT_TRUE(engine.setup(c.rate, kBlock));
        makeKernelTransparent(engine);
        const std::size_t frames = (settleFrames(c.rate) / kBlock + 4) * kBlock;
        const Stereo tone = sine(1000.0, c.rate, frames, 0.5);
        Stereo output(frames);
        for (std::size_t start = 0; start < frames; start += kBlock) {
            renderBlock(engine, tone.left.data() + start, nullptr, 1, output.left.data() + start,
                        output.right.data() + start, kBlock);
        }
        const std::size_t tail = frames - 2 * kBlock;
        const double rightPeak = std::fabs(
            *std::max_element(output.right.begin() + static_cast<std::ptrdiff_t>(tail), output.right.end(),
                              [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
        if (c.rightCarriesInput) {
            EXPECT_TRUE(std::equal(output.left.begin() + static_cast<std::ptrdiff_t>(tail), output.left.end(),
                                   output.right.begin() + static_cast<std::ptrdiff_t>(tail)));
            EXPECT_GT(rightPeak, 0.4);
        } else {
            EXPECT_EQ(rightPeak, 0.0);
        }
    }
}

} // namespace
} // namespace vanto::test
