// The kernel's meter record read through its module interface, against values worked out by hand for
// short fixtures and against the state the process loop leaves behind, and the promise that reading
// meters never changes the audio.
#include "dovrel_kernel.h"
#include "kernel_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

constexpr uint32_t kChunk = 128;
constexpr uint32_t kSidechainSource = 4;
constexpr uint32_t kMixAmount = 31;

class KernelMeters : public ::testing::Test {
  protected:
    void SetUp() override {
        dovrel_kernel_runtime_init();
        handle = static_cast<uint32_t>(dovrel_kernel_create(128, 2, 2, 48000));
        ASSERT_NE(handle, 0u);
        uint32_t length = 0;
        dovrel_kernel_input_view(handle, &input, &length);
        dovrel_kernel_output_view(handle, &output, &length);
        ASSERT_EQ(length, 256u);
    }

    // Processes one call of `frames` frames of `left`/`right` from `start` and returns its record.
    dovrel_kernel_meter_record process(const std::vector<float>& left, const std::vector<float>& right,
                                       std::size_t start, uint32_t frames) {
        std::copy_n(left.begin() + static_cast<std::ptrdiff_t>(start), frames, input);
        std::copy_n(right.begin() + static_cast<std::ptrdiff_t>(start), frames, input + 128);
        EXPECT_EQ(dovrel_kernel_process(handle, frames), DOVREL_KERNEL_OK);
        dovrel_kernel_meter_record record;
        std::memset(&record, 0xAB, sizeof record);
        EXPECT_EQ(dovrel_kernel_read_meters(handle, &record), DOVREL_KERNEL_OK);
        return record;
    }

    uint32_t handle = 0;
    float* input = nullptr;
    float* output = nullptr;
};

// A 60 Hz burst decaying like a kick drum, starting at `at`, on silence.
std::vector<float> kickAt(std::size_t frames, std::size_t at) {
    std::vector<float> signal(frames, 0.0f);
    for (std::size_t i = at; i < frames && i < at + 9600; ++i) {
        const double t = static_cast<double>(i - at) / 48000;
        signal[i] = static_cast<float>(0.9 * std::exp(-22 * t) * std::sin(2 * std::numbers::pi * 60 * t));
    }
    return signal;
}

TEST_F(KernelMeters, SilenceMetersNothingButTheBellsAtTheirDefaultFrequencies) {
    const std::vector<float> silence(kChunk, 0.0f);
    const dovrel_kernel_meter_record record = process(silence, silence, 0, kChunk);
    EXPECT_EQ(record.frames, kChunk);
    EXPECT_EQ(record.hitLanes, 0u);
    for (int lane = 0; lane < DOVREL_KERNEL_METER_LANES; ++lane) {
        EXPECT_EQ(record.laneDuckDb[lane], 0.0f);
        EXPECT_EQ(record.hitFrame[lane], 0u);
    }
    EXPECT_EQ(record.lowBandGainDb, 0.0f);
    EXPECT_FALSE(std::signbit(record.lowBandGainDb));
    EXPECT_EQ(record.glueReductionDb, 0.0f);
    for (int ch = 0; ch < 2; ++ch) {
        EXPECT_EQ(record.inputPeak[ch], 0.0f);
        EXPECT_EQ(record.inputMeanSquare[ch], 0.0f);
        EXPECT_EQ(record.outputPeak[ch], 0.0f);
        EXPECT_EQ(record.outputMeanSquare[ch], 0.0f);
    }
    // Three bells by default: the kick bell at 90 Hz, twice the clap band (2 × 440 Hz), 0.46 of the
    // percussion band (0.46 × 7000 Hz); the fourth, at 8 kHz, is off.
    EXPECT_EQ(record.activeBells, 0b0111u);
    const float hz[4] = {90.0f, 880.0f, 3220.0f, 8000.0f};
    for (int bell = 0; bell < DOVREL_KERNEL_METER_BELLS; ++bell) {
        EXPECT_EQ(record.bellHz[bell], hz[bell]) << bell;
        EXPECT_EQ(record.bellGainDb[bell], 0.0f) << bell;
    }
}

TEST_F(KernelMeters, FullScaleToneHasPeakOneAndMeanSquareOneHalfAndTheOutputIsMeteredAsRendered) {
    // 375 Hz has a period of exactly 128 frames: one whole cycle per call.
    std::vector<float> tone(kChunk);
    for (uint32_t i = 0; i < kChunk; ++i) {
        tone[i] = static_cast<float>(std::sin(2 * std::numbers::pi * i / kChunk));
    }
    std::vector<float> quiet(tone);
    for (float& sample : quiet) {
        sample *= 0.5f;
    }
    const dovrel_kernel_meter_record record = process(tone, quiet, 0, kChunk);
    EXPECT_EQ(record.inputPeak[0], 1.0f);
    EXPECT_EQ(record.inputPeak[1], 0.5f);
    EXPECT_NEAR(record.inputMeanSquare[0], 0.5, 1e-7);
    EXPECT_NEAR(record.inputMeanSquare[1], 0.125, 1e-7);
    for (int ch = 0; ch < 2; ++ch) {
        const float* rendered = output + ch * 128;
        float peak = 0;
        double squares = 0;
        for (uint32_t i = 0; i < kChunk; ++i) {
            peak = std::max(peak, std::fabs(rendered[i]));
            squares += double(rendered[i]) * rendered[i];
        }
        EXPECT_EQ(record.outputPeak[ch], peak) << ch;
        EXPECT_NEAR(record.outputMeanSquare[ch], squares / kChunk, 1e-7) << ch;
        EXPECT_GT(peak, 0.1f);
    }
    // A full-scale tone is far above the glue's -18 dB threshold.
    EXPECT_GT(record.glueReductionDb, 0.0f);
}

TEST_F(KernelMeters, SingleKickIsOneHitWhoseFrameAndDuckMatchWhatTheLoopDid) {
    // The same signal through a bare kernel state, one frame per block, to watch the loop's quantities.
    vanto::KernelState watched;
    vanto::createState(watched);
    ASSERT_TRUE(vanto::prepare(watched, {2, 128, 2, 48000}));
    vanto::restoreDefaults(watched);

    constexpr std::size_t kFrames = 48 * kChunk;
    const std::vector<float> kick = kickAt(kFrames, 1000);
    int hitRecords = 0;
    for (std::size_t start = 0; start < kFrames; start += kChunk) {
        const dovrel_kernel_meter_record record = process(kick, kick, start, kChunk);
        uint32_t hitLanes = 0;
        uint32_t hitFrame = 0;
        float kickDuck = 0;
        float lowest = 0;
        for (uint32_t i = 0; i < kChunk; ++i) {
            float in[256] = {};
            float out[256] = {};
            in[0] = in[128] = kick[start + i];
            const uint32_t hitsBefore = watched.laneHits[0];
            ASSERT_TRUE(vanto::processBlock(watched, {128, 1, 0, in, 256, 2, out, 256, 2}));
            if (watched.laneHits[0] != hitsBefore && (hitLanes & 1u) == 0) {
                hitLanes |= 1u;
                hitFrame = i;
            }
            kickDuck = std::max(kickDuck, watched.laneDuck[0]);
            lowest = std::min(lowest, static_cast<float>(-watched.broadbandGain.gainDb));
        }
        EXPECT_EQ(record.hitLanes & 1u, hitLanes) << start;
        EXPECT_EQ(record.hitFrame[0], hitFrame) << start;
        EXPECT_EQ(record.laneDuckDb[0], kickDuck) << start;
        EXPECT_EQ(record.lowBandGainDb, lowest) << start;
        hitRecords += (record.hitLanes & 1u) != 0 ? 1 : 0;
        if ((record.hitLanes & 1u) != 0) {
            // The kick starts at frame 1000, in the call that begins at 896; detection needs a moment.
            EXPECT_EQ(start, 896u);
            EXPECT_GE(record.hitFrame[0], 1000u - 896u);
        }
    }
    EXPECT_EQ(hitRecords, 1);
}

TEST_F(KernelMeters, RecordCoversTheWholeCallAlsoWhenEventsSplitIt) {
    std::vector<float> ramp(kChunk);
    for (uint32_t i = 0; i < kChunk; ++i) {
        ramp[i] = static_cast<float>(i) / kChunk;
    }
    ASSERT_EQ(dovrel_kernel_push_event(handle, DOVREL_KERNEL_EVENT_PARAMETER, 40, kMixAmount, 0.5), 0);
    ASSERT_EQ(dovrel_kernel_push_event(handle, DOVREL_KERNEL_EVENT_PARAMETER, 90, kMixAmount, 1.0), 0);
    const dovrel_kernel_meter_record record = process(ramp, ramp, 0, kChunk);
    EXPECT_EQ(record.frames, kChunk);
    EXPECT_EQ(record.inputPeak[0], 127.0f / 128);
    // Σ (i/128)² for i < 128, over 128 frames.
    EXPECT_NEAR(record.inputMeanSquare[0], (127.0 * 128 * 255 / 6) / (128.0 * 128 * 128), 1e-7);
}

TEST_F(KernelMeters, InvalidHandleOrMissingRecordIsRefused) {
    dovrel_kernel_meter_record record{};
    record.frames = 7;
    EXPECT_EQ(dovrel_kernel_read_meters(0, &record), DOVREL_KERNEL_INVALID_HANDLE);
    EXPECT_EQ(dovrel_kernel_read_meters(handle + 256, &record), DOVREL_KERNEL_INVALID_HANDLE);
    EXPECT_EQ(dovrel_kernel_read_meters(handle, nullptr), DOVREL_KERNEL_INVALID_HANDLE);
    EXPECT_EQ(record.frames, 7u);
    ASSERT_EQ(dovrel_kernel_destroy(handle), 0);
    EXPECT_EQ(dovrel_kernel_read_meters(handle, &record), DOVREL_KERNEL_INVALID_HANDLE);
}

// Two instances render the same busy signal with the test pulse as side-chain; one has its meters
// read after every call, the other never. Their audio must agree bit for bit.
TEST_F(KernelMeters, ReadingMetersLeavesTheAudioBitIdentical) {
    const uint32_t other = static_cast<uint32_t>(dovrel_kernel_create(128, 2, 2, 48000));
    ASSERT_NE(other, 0u);
    float* otherInput = nullptr;
    float* otherOutput = nullptr;
    uint32_t length = 0;
    dovrel_kernel_input_view(other, &otherInput, &length);
    dovrel_kernel_output_view(other, &otherOutput, &length);
    for (uint32_t h : {handle, other}) {
        ASSERT_EQ(dovrel_kernel_push_event(h, DOVREL_KERNEL_EVENT_PARAMETER, 0, kSidechainSource, 2), 0);
    }
    constexpr std::size_t kFrames = 2 * 48000;
    const std::vector<float> kick = kickAt(kFrames, 300);
    int hits = 0;
    for (std::size_t start = 0; start < kFrames; start += 100) {
        const auto frames = static_cast<uint32_t>(std::min<std::size_t>(100, kFrames - start));
        for (uint32_t i = 0; i < frames; ++i) {
            const float noise = static_cast<float>(std::sin(0.37 * double(start + i)) * 0.2);
            input[i] = otherInput[i] = kick[start + i] + noise;
            input[128 + i] = otherInput[128 + i] = kick[start + i] - noise;
        }
        ASSERT_EQ(dovrel_kernel_process(handle, frames), 0);
        ASSERT_EQ(dovrel_kernel_process(other, frames), 0);
        dovrel_kernel_meter_record record;
        ASSERT_EQ(dovrel_kernel_read_meters(handle, &record), 0);
        hits += (record.hitLanes & 1u) != 0 ? 1 : 0;
        ASSERT_EQ(std::memcmp(output, otherOutput, 256 * sizeof(float)), 0) << start;
    }
    // The test pulse kicks every quarter second: the meters did see the effect at work.
    EXPECT_GE(hits, 6);
}

} // namespace
