// The sample-rate adapter's exact arithmetic, tables and stream bookkeeping, driven without a
// kernel: the staged kernel-rate frames are passed straight back as kernel output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/host_rate.h"
#include "engine/polyphase_table.h"
#include "engine/rate_adapter.h"

namespace vanto {
namespace {

TEST(HostRateFromHz, ReducesTheRateToAFractionOfHertz) {
    struct Case {
        double hz;
        uint64_t numerator;
        uint64_t denominator;
    };
    for (const Case c : {Case{48000.0, 48000, 1}, Case{44100.0, 44100, 1}, Case{44100.5, 88201, 2},
                         Case{1e-6, 1, 1000000}, Case{4e6, 4000000, 1}, Case{22050.25, 88201, 4},
                         // Micro-hertz resolution, halves rounded away from zero.
                         Case{0.0000015, 1, 500000}}) {
        HostRate rate;
        ASSERT_TRUE(hostRateFromHz(c.hz, rate)) << c.hz;
        EXPECT_EQ(rate.numerator, c.numerator) << c.hz;
        EXPECT_EQ(rate.denominator, c.denominator) << c.hz;
    }
}

TEST(HostRateFromHz, RefusesRatesOutsideTheSupportedRange) {
    for (const double hz : {0.0, -44100.0, 9.9e-7, 4000000.5, std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity()}) {
        HostRate rate{12345, 7};
        EXPECT_FALSE(hostRateFromHz(hz, rate)) << hz;
        EXPECT_EQ(rate.numerator, 12345u);
    }
}

TEST(PolyphasePhase, RoundsToTheNearest1024thAndNeverWrapsToTheNextFrame) {
    EXPECT_EQ(polyphasePhase(0, 48000), 0u);
    EXPECT_EQ(polyphasePhase(24000, 48000), 512u);
    // 1/2048 of a frame is exactly half a phase step: rounded up.
    EXPECT_EQ(polyphasePhase(1, 2048), 1u);
    EXPECT_EQ(polyphasePhase(0, 2048), 0u);
    // A fraction that rounds to a whole frame stays on the last phase.
    EXPECT_EQ(polyphasePhase(47999, 48000), 1023u);
}

TEST(RateTimeline, MapsPositionsExactlyAtStreamPositionsBeyond32Bits) {
    const RateTimeline timeline(HostRate{44100, 1});
    // Ten days of kernel frames: 41,472,000,000 × 44100 / 48000 = 38,102,400,000 exactly.
    const FramePoint point = timeline.hostPointOfKernelFrame(41472000000ull);
    EXPECT_EQ(static_cast<uint64_t>(point.frame), 38102400000ull);
    EXPECT_EQ(point.remainder, 0u);
    const FramePoint next = timeline.hostPointOfKernelFrame(41472000001ull);
    EXPECT_EQ(static_cast<uint64_t>(next.frame), 38102400000ull);
    EXPECT_EQ(next.remainder, 44100u);
    EXPECT_EQ(next.divisor, 48000u);
    EXPECT_EQ(timeline.kernelFrameNearestHostFrame(38102400000ull), 41472000000ull);
    // Host frame 1 is kernel time 1.088…, host frame 6 is 6.53…: nearest, halves up.
    EXPECT_EQ(timeline.kernelFrameNearestHostFrame(1), 1u);
    EXPECT_EQ(timeline.kernelFrameNearestHostFrame(6), 7u);
}

TEST(RateTimeline, OutputReadPointStartsBeforeTheStream) {
    const RateTimeline timeline(HostRate{44100, 1});
    // (0 − 16) × 48000 / 44100 − 20 = −37.41…: floor −38, remainder 0.585… × 44100.
    const FramePoint first = timeline.kernelReadPointOfHostFrame(0);
    EXPECT_EQ(static_cast<int64_t>(first.frame), -38);
    EXPECT_EQ(first.remainder, 25800u);
    EXPECT_EQ(first.divisor, 44100u);
    EXPECT_EQ(static_cast<int64_t>(timeline.kernelReadPointOfHostFrame(34).frame), -1);
    EXPECT_EQ(static_cast<int64_t>(timeline.kernelReadPointOfHostFrame(35).frame), 0);
}

TEST(FramePointStepper, WalksTheSamePointsAsDirectComputation) {
    const RateTimeline timeline(HostRate{88201, 2});
    FramePointStepper input(timeline.hostPointOfKernelFrame(1000), timeline.hostStepPerKernelFrame());
    FramePointStepper output(timeline.kernelReadPointOfHostFrame(0), timeline.kernelStepPerHostFrame());
    for (uint64_t step = 0; step < 5000; ++step, input.advance(), output.advance()) {
        const FramePoint direct = timeline.hostPointOfKernelFrame(1000 + step);
        ASSERT_EQ(input.frame(), direct.frame);
        ASSERT_EQ(input.remainder(), direct.remainder);
        const FramePoint read = timeline.kernelReadPointOfHostFrame(step);
        ASSERT_EQ(output.frame(), read.frame);
        ASSERT_EQ(output.remainder(), read.remainder);
    }
}

TEST(PolyphaseTable, RowsAreNormalisedWithZeroEndTaps) {
    for (const double cut : {1.0, 0.5, 0.91875}) {
        PolyphaseTable table;
        table.build(cut);
        for (uint32_t phase = 0; phase < kPolyphasePhaseCount; phase += 97) {
            const float* row = table.row(phase);
            EXPECT_EQ(row[0], 0.0f);
            EXPECT_EQ(row[kPolyphaseTapCount - 1], 0.0f);
            EXPECT_NEAR(table.rowSum(phase), 1.0, 1e-6);
        }
    }
    // At the full band, phase 0 lands on the sinc's zeros: a pure delay of tap 15.
    PolyphaseTable full;
    full.build(1.0);
    for (int tap = 0; tap < kPolyphaseTapCount; ++tap) {
        EXPECT_NEAR(full.row(0)[tap], tap == kPolyphaseCentreTap ? 1.0f : 0.0f, 1e-15) << tap;
    }
}

TEST(PolyphaseTable, InterpolationRepeatsTheEndSamplesOutsideTheHistory) {
    PolyphaseTable table;
    table.build(1.0);
    const std::vector<float> constant(40, 0.25f);
    // Near either end the window reaches outside the history; a constant stays constant.
    for (const uint64_t index : {0ull, 3ull, 20ull, 39ull}) {
        EXPECT_NEAR(interpolateAt(table, constant.data(), constant.size(), index, 700), 0.25f, 1e-7) << index;
    }
    const std::vector<float> ramp = {1.0f, 2.0f, 3.0f};
    EXPECT_EQ(interpolateAt(table, ramp.data(), ramp.size(), 1, 0), 2.0f);
}

// Runs blocks through an adapter whose "kernel" hands the staged input straight back.
class LoopbackAdapter {
  public:
    LoopbackAdapter(HostRate rate, int maxBlock) {
        const double hostRate = static_cast<double>(rate.numerator) / static_cast<double>(rate.denominator);
        capacity_ = static_cast<uint64_t>(
            std::max(3.0 * maxBlock + 8, std::ceil(maxBlock * 48000.0 / hostRate) + 64));
        adapter_.configure(rate, capacity_);
    }

    bool run(const float* input, float* output, int frames) {
        adapter_.trimHistories();
        if (!adapter_.appendHostInput(input, input, static_cast<uint64_t>(frames))) {
            return false;
        }
        const uint64_t staged = adapter_.stageKernelInput();
        if (!adapter_.appendKernelOutput(adapter_.stagedChannel(0), adapter_.stagedChannel(1), staged)) {
            return false;
        }
        adapter_.advanceKernelOutput(staged);
        adapter_.finishHostInput(static_cast<uint64_t>(frames));
        float* out[2] = {output, nullptr};
        adapter_.renderHostOutput(out, 2, static_cast<uint64_t>(frames));
        return true;
    }

  private:
    RateAdapter adapter_;
    uint64_t capacity_ = 0;
};

// After ten minutes at 44.1 kHz an impulse comes out exactly as it did at the start: the positions
// are exact, so nothing drifts. 147 host frames are exactly 160 kernel frames, so two impulses a
// multiple of 147 frames apart meet identical interpolation phases and give identical responses.
TEST(RateAdapterAlignment, AnImpulseComesOutIdenticallyAfterTenMinutes) {
    constexpr int kBlock = 512;
    constexpr int kImpulseFrame = 100;
    LoopbackAdapter adapter(HostRate{44100, 1}, kBlock);
    std::vector<float> input(kBlock, 0.0f);
    std::vector<float> output(kBlock, 0.0f);

    auto impulseResponse = [&] {
        std::vector<float> response;
        input[kImpulseFrame] = 1.0f;
        for (int b = 0; b < 2; ++b) {
            EXPECT_TRUE(adapter.run(input.data(), output.data(), kBlock));
            input[kImpulseFrame] = 0.0f;
            response.insert(response.end(), output.begin(), output.end());
        }
        return response;
    };
    const std::vector<float> early = impulseResponse();
    // Silence up to ten minutes, ending where the next impulse lies a multiple of 147 frames later.
    constexpr int kPatternFrames = 147;
    constexpr int kBlocksAfterImpulse = 2;
    constexpr int kSilentBlocks =
        (600 * 44100 / kBlock / kPatternFrames) * kPatternFrames - kBlocksAfterImpulse;
    for (int b = 0; b < kSilentBlocks; ++b) {
        ASSERT_TRUE(adapter.run(input.data(), output.data(), kBlock));
    }
    const std::vector<float> late = impulseResponse();

    EXPECT_EQ(early, late);
    const auto peak = std::max_element(late.begin(), late.end()) - late.begin();
    // 16 + 20 × 44100 / 48000 = 34.375 frames.
    EXPECT_GE(peak - kImpulseFrame, 34);
    EXPECT_LE(peak - kImpulseFrame, 35);
}

} // namespace
} // namespace vanto
