#include "dovrel_kernel.h"
#include "kernel_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace {

uint32_t create() {
    return static_cast<uint32_t>(dovrel_kernel_create(128, 2, 2, 48000));
}

class KernelModule : public ::testing::Test {
  protected:
    void SetUp() override { dovrel_kernel_runtime_init(); }
};

float* inputOf(uint32_t handle) {
    float* data = nullptr;
    uint32_t length = 0;
    dovrel_kernel_input_view(handle, &data, &length);
    EXPECT_EQ(length, 256u);
    return data;
}

std::vector<float> outputOf(uint32_t handle, uint32_t frames) {
    float* data = nullptr;
    uint32_t length = 0;
    dovrel_kernel_output_view(handle, &data, &length);
    EXPECT_EQ(length, 256u);
    std::vector<float> out(data, data + frames);
    out.insert(out.end(), data + 128, data + 128 + frames);
    return out;
}

void fillSine(float* input, uint32_t frames, uint32_t startFrame) {
    for (uint32_t i = 0; i < frames; ++i) {
        input[i] = input[128 + i] =
            static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 440 * (startFrame + i) / 48000));
    }
}

TEST_F(KernelModule, CreateAcceptsOnlyTheKernelConfigurationAndFailedAttemptsConsumeAGeneration) {
    EXPECT_EQ(dovrel_kernel_abi_version(), 3);
    EXPECT_EQ(dovrel_kernel_create(0, 2, 2, 48000), 0);
    EXPECT_EQ(dovrel_kernel_create(129, 2, 2, 48000), 0);
    EXPECT_EQ(dovrel_kernel_create(128, 1, 2, 48000), 0);
    EXPECT_EQ(dovrel_kernel_create(128, 2, 2, 0), 0);
    EXPECT_EQ(dovrel_kernel_create(128, 2, 2, std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(dovrel_kernel_create(64, 2, 2, 48000), 0);
    EXPECT_EQ(dovrel_kernel_create(128, 2, 2, 44100), 0);
    // The last two reached slot 0 and used its generations 1 and 2.
    EXPECT_EQ(create(), 1u + DOVREL_KERNEL_MAX_INSTANCES * 2);
}

TEST_F(KernelModule, PoolHoldsTwoHundredFiftySixInstancesAndReusesFreedSlotsWithANewGeneration) {
    ASSERT_EQ(DOVREL_KERNEL_MAX_INSTANCES, 256);
    std::vector<uint32_t> handles;
    for (int i = 0; i < DOVREL_KERNEL_MAX_INSTANCES; ++i) {
        handles.push_back(create());
        EXPECT_EQ(handles.back(), static_cast<uint32_t>(i + 1));
    }
    EXPECT_EQ(create(), 0u);
    EXPECT_EQ(dovrel_kernel_destroy(handles[0]), 0);
    EXPECT_EQ(create(), DOVREL_KERNEL_MAX_INSTANCES + 1u);
}

TEST_F(KernelModule, StaleAndInvalidHandlesAreRefused) {
    const uint32_t handle = create();
    ASSERT_EQ(dovrel_kernel_destroy(handle), 0);
    for (uint32_t stale : {handle, 0u, 2u, 4294967295u}) {
        EXPECT_EQ(dovrel_kernel_process(stale, 16), 1) << stale;
        EXPECT_EQ(dovrel_kernel_push_event(stale, 1, 0, 0, 120), 1) << stale;
        EXPECT_EQ(dovrel_kernel_reset(stale), 1) << stale;
        EXPECT_EQ(dovrel_kernel_destroy(stale), 1) << stale;
        float* data = nullptr;
        uint32_t length = 99;
        dovrel_kernel_input_view(stale, &data, &length);
        EXPECT_EQ(length, 0u);
        EXPECT_NE(data, nullptr);
    }
    // The slot's next instance does not answer to the old handle.
    const uint32_t next = create();
    EXPECT_EQ(next, handle + DOVREL_KERNEL_MAX_INSTANCES);
    EXPECT_EQ(dovrel_kernel_process(handle, 16), 1);
    EXPECT_EQ(dovrel_kernel_process(next, 16), 0);
}

TEST_F(KernelModule, EventChecksRunInTheirOrder) {
    const uint32_t h = create();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(dovrel_kernel_push_event(h, 1, 128, 0, 120), 2); // frame beyond the block size
    EXPECT_EQ(dovrel_kernel_push_event(h, 2, 0, 0, 120), 2);   // kind
    EXPECT_EQ(dovrel_kernel_push_event(h, 1, 0, 34, 120), 2);  // parameter
    EXPECT_EQ(dovrel_kernel_push_event(h, 2, 0, 0, nan), 2);   // kind is checked before the value
    EXPECT_EQ(dovrel_kernel_push_event(h, 1, 0, 0, nan), 3);
    EXPECT_EQ(dovrel_kernel_push_event(h, 1, 20, 0, 120), 0);
    EXPECT_EQ(dovrel_kernel_push_event(h, 1, 10, 0, nan), 3); // value is checked before the order
    EXPECT_EQ(dovrel_kernel_push_event(h, 1, 10, 0, 120), 4);
    for (int i = 1; i < 64; ++i) {
        EXPECT_EQ(dovrel_kernel_push_event(h, 1, 20, 1, 0.5), 0);
    }
    EXPECT_EQ(dovrel_kernel_push_event(h, 1, 20, 1, 0.5), 3); // the 65th
}

TEST_F(KernelModule, EventsSplitTheBlockAtTheirFrames) {
    // Events at 0, 0, 32 and 100 in a 64-frame block: the first two apply before any audio, the third at
    // frame 32, the fourth is dropped. The same block rendered directly on a state must match exactly.
    const uint32_t h = create();
    fillSine(inputOf(h), 64, 0);
    ASSERT_EQ(dovrel_kernel_push_event(h, 1, 0, 31, 0.25), 0);
    ASSERT_EQ(dovrel_kernel_push_event(h, 1, 0, 32, 0.5), 0);
    ASSERT_EQ(dovrel_kernel_push_event(h, 1, 32, 31, 0.0), 0);
    ASSERT_EQ(dovrel_kernel_push_event(h, 1, 100, 32, 0.1), 0);
    ASSERT_EQ(dovrel_kernel_process(h, 64), 0);
    const std::vector<float> viaModule = outputOf(h, 64);

    vanto::KernelState state;
    vanto::createState(state);
    ASSERT_TRUE(vanto::prepare(state, {2, 128, 2, 48000}));
    float input[256] = {};
    float output[256] = {};
    fillSine(input, 64, 0);
    ASSERT_TRUE(vanto::setParameter(state, "mix.amount", 0.25));
    ASSERT_TRUE(vanto::setParameter(state, "master.level", 0.5));
    ASSERT_TRUE(vanto::processBlock(state, {128, 32, 0, input, 256, 2, output, 256, 2}));
    ASSERT_TRUE(vanto::setParameter(state, "mix.amount", 0.0));
    ASSERT_TRUE(vanto::processBlock(state, {128, 32, 32, input, 256, 2, output, 256, 2}));
    std::vector<float> direct(output, output + 64);
    direct.insert(direct.end(), output + 128, output + 192);
    EXPECT_EQ(viaModule, direct);

    // The dropped event never reached the instance: the next block still matches the direct rendering.
    fillSine(inputOf(h), 64, 64);
    fillSine(input, 64, 64);
    ASSERT_EQ(dovrel_kernel_process(h, 64), 0);
    ASSERT_TRUE(vanto::processBlock(state, {128, 64, 0, input, 256, 2, output, 256, 2}));
    std::vector<float> directNext(output, output + 64);
    directNext.insert(directNext.end(), output + 128, output + 192);
    EXPECT_EQ(outputOf(h, 64), directNext);
}

TEST_F(KernelModule, ZeroFramesDiscardsTheQueuedEvents) {
    const uint32_t a = create();
    const uint32_t b = create();
    ASSERT_EQ(dovrel_kernel_push_event(a, 1, 0, 32, 0.1), 0);
    ASSERT_EQ(dovrel_kernel_process(a, 0), 0);
    fillSine(inputOf(a), 128, 0);
    fillSine(inputOf(b), 128, 0);
    ASSERT_EQ(dovrel_kernel_process(a, 128), 0);
    ASSERT_EQ(dovrel_kernel_process(b, 128), 0);
    EXPECT_EQ(outputOf(a, 128), outputOf(b, 128));
    EXPECT_EQ(dovrel_kernel_process(a, 129), 1);
}

TEST_F(KernelModule, EventValuesAreHeldInSinglePrecisionLikeDefaults) {
    // 0.35 is the default of "macro.space"; pushed as an event it must leave the instance identical to one
    // that kept the default.
    const uint32_t a = create();
    const uint32_t b = create();
    ASSERT_EQ(dovrel_kernel_push_event(a, 1, 0, 1, 0.35), 0);
    fillSine(inputOf(a), 128, 0);
    fillSine(inputOf(b), 128, 0);
    ASSERT_EQ(dovrel_kernel_process(a, 128), 0);
    ASSERT_EQ(dovrel_kernel_process(b, 128), 0);
    EXPECT_EQ(outputOf(a, 128), outputOf(b, 128));
}

TEST_F(KernelModule, ResetRestoresDefaultsAndClearsRegions) {
    const uint32_t a = create();
    const uint32_t b = create();
    ASSERT_EQ(dovrel_kernel_push_event(a, 1, 0, 32, 0.2), 0);
    fillSine(inputOf(a), 128, 0);
    ASSERT_EQ(dovrel_kernel_process(a, 128), 0);
    ASSERT_EQ(dovrel_kernel_push_event(a, 1, 0, 32, 0.3), 0);
    ASSERT_EQ(dovrel_kernel_reset(a), 0);
    for (float sample : outputOf(a, 128)) {
        ASSERT_EQ(sample, 0.0f);
    }
    fillSine(inputOf(a), 128, 0);
    fillSine(inputOf(b), 128, 0);
    ASSERT_EQ(dovrel_kernel_process(a, 128), 0);
    ASSERT_EQ(dovrel_kernel_process(b, 128), 0);
    EXPECT_EQ(outputOf(a, 128), outputOf(b, 128));
}

TEST_F(KernelModule, ProcessRestoresTheCallersFloatingPointMode) {
#if defined(__x86_64__)
    const unsigned before = _mm_getcsr();
    const uint32_t h = create();
    inputOf(h)[0] = 1.0f;
    ASSERT_EQ(dovrel_kernel_process(h, 128), 0);
    EXPECT_EQ(_mm_getcsr(), before);
    // A decaying tail never leaves denormals in the output.
    for (int block = 0; block < 3000; ++block) {
        std::memset(inputOf(h), 0, 256 * sizeof(float));
        ASSERT_EQ(dovrel_kernel_process(h, 128), 0);
        for (float sample : outputOf(h, 128)) {
            ASSERT_NE(std::fpclassify(sample), FP_SUBNORMAL);
        }
    }
#else
    GTEST_SKIP() << "floating-point control register check is written for x86-64";
#endif
}

} // namespace

namespace {

// The host's tempo: taken as an event of its own, followed only while "sync.source" is Host, and held
// in the kernel's state like a parameter value would be.
TEST_F(KernelModule, HostTempoEventsAreCheckedAndFollowedOnlyWithSyncSourceHost) {
    const uint32_t h = create();
    EXPECT_EQ(dovrel_kernel_push_event(h, DOVREL_KERNEL_EVENT_HOST_TEMPO, 0, 0, -1.0), 3);
    EXPECT_EQ(dovrel_kernel_push_event(h, DOVREL_KERNEL_EVENT_HOST_TEMPO, 0, 0, NAN), 3);
    EXPECT_EQ(dovrel_kernel_push_event(h, 2, 0, 60, 1.0), 2) << "note events are still refused";
    EXPECT_EQ(dovrel_kernel_push_event(h, DOVREL_KERNEL_EVENT_HOST_TEMPO, 128, 0, 90.0), 2);
    EXPECT_EQ(dovrel_kernel_push_event(0, DOVREL_KERNEL_EVENT_HOST_TEMPO, 0, 0, 90.0), 1);

    vanto::KernelState state;
    vanto::createState(state);
    ASSERT_TRUE(vanto::prepare(state, {2, 128, 2, 48000}));
    ASSERT_TRUE(vanto::setHostTempo(state, 90));
    EXPECT_EQ(state.bpm, 120.0f) << "Manual keeps to sync.bpm";
    ASSERT_TRUE(vanto::setParameter(state, "sync.source", 1));
    EXPECT_EQ(state.bpm, 90.0f);
    EXPECT_FLOAT_EQ(state.periodSeconds, 1.0f / 3.0f);
    ASSERT_TRUE(vanto::setHostTempo(state, 400));
    EXPECT_EQ(state.bpm, 240.0f) << "limited to the tempo range";
    ASSERT_TRUE(vanto::setHostTempo(state, 0));
    EXPECT_EQ(state.bpm, 120.0f) << "without a host tempo sync.bpm takes over";
    EXPECT_FALSE(vanto::setHostTempo(state, -5));
}

// The side-chain region: with source 0 the detection hears it; its mono sum is what counts.
TEST_F(KernelModule, ProcessSidechainedListensToTheSidechainRegionWithExternalSource) {
    const uint32_t withRegion = create();
    const uint32_t withoutRegion = create();
    float* sidechain = nullptr;
    uint32_t length = 0;
    dovrel_kernel_sidechain_view(withRegion, &sidechain, &length);
    ASSERT_EQ(length, 256u);
    dovrel_kernel_sidechain_view(0, &sidechain, &length);
    EXPECT_EQ(length, 0u);
    dovrel_kernel_sidechain_view(withRegion, &sidechain, &length);
    for (const uint32_t h : {withRegion, withoutRegion}) {
        ASSERT_EQ(dovrel_kernel_push_event(h, 1, 0, 30, 1.0), 0); // "sidechain.audition": side-chain
    }
    // Silence in the main input, a tone in the side-chain: audition plays the side-chain only when the
    // region is used.
    fillSine(sidechain, 128, 0);
    ASSERT_EQ(dovrel_kernel_process_sidechained(withRegion, 128), 0);
    ASSERT_EQ(dovrel_kernel_process(withoutRegion, 128), 0);
    const std::vector<float> heard = outputOf(withRegion, 128);
    const std::vector<float> unheard = outputOf(withoutRegion, 128);
    EXPECT_GT(*std::max_element(heard.begin(), heard.end()), 0.01f);
    EXPECT_EQ(*std::max_element(unheard.begin(), unheard.end()), 0.0f);
    EXPECT_EQ(dovrel_kernel_process_sidechained(0, 16), 1);
}

} // namespace
