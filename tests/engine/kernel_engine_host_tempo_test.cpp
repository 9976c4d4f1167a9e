// The host's tempo in the engine: handed to the kernel at the block that changes it, given again to a
// new or reset kernel instance and after the kernel refused it, and never written into "sync.bpm".
#include "engine/kernel_engine.h"
#include "kernel/dovrel_kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

using vanto::KernelEngine;

constexpr uint32_t kSidechainSource = 4;
constexpr uint32_t kSyncSource = 33;
constexpr int kBlock = 512;

// An engine at 48 kHz playing its test pulse with "sync.source" Host.
void followTheHost(KernelEngine& engine) {
    ASSERT_TRUE(engine.setup(48000, kBlock));
    engine.setParamValue(kSidechainSource, 2);
    engine.setParamValue(kSyncSource, 1);
}

// A steady 55 Hz bass: the test pulse's ducks show in it. The same for every block (a whole number of
// periods would not fit; the phase restarting per block does not matter to the comparisons).
std::vector<float> bassBlock() {
    std::vector<float> bass(kBlock);
    for (int i = 0; i < kBlock; ++i) {
        bass[static_cast<std::size_t>(i)] =
            static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * 55 * i / 48000.0));
    }
    return bass;
}

// `blocks` blocks at the host tempo `bpm`; the left output channel.
std::vector<float> render(KernelEngine& engine, double bpm, int blocks) {
    static const std::vector<float> bass = bassBlock();
    const float* in[1] = {bass.data()};
    std::vector<float> all;
    std::vector<float> left(kBlock), right(kBlock);
    float* out[2] = {left.data(), right.data()};
    for (int block = 0; block < blocks; ++block) {
        engine.setHostTempo(bpm);
        engine.processBlock(in, 1, out, 2, kBlock);
        EXPECT_FALSE(engine.callbackFailed());
        all.insert(all.end(), left.begin(), left.end());
    }
    return all;
}

TEST(EngineHostTempo, ANewKernelInstanceIsGivenTheHostTempoAgain) {
    KernelEngine fresh;
    followTheHost(fresh);
    KernelEngine renewed;
    followTheHost(renewed);
    render(renewed, 90, 20);
    ASSERT_TRUE(renewed.setup(48000, kBlock)) << "a new instance, still at a host tempo of 90";
    EXPECT_EQ(render(renewed, 90, 60), render(fresh, 90, 60));

    KernelEngine reset;
    followTheHost(reset);
    render(reset, 90, 20);
    reset.resetParams();
    reset.setParamValue(kSidechainSource, 2);
    reset.setParamValue(kSyncSource, 1);
    KernelEngine freshAfterReset;
    followTheHost(freshAfterReset);
    EXPECT_EQ(render(reset, 90, 60), render(freshAfterReset, 90, 60));
}

TEST(EngineHostTempo, TheHostTempoIsNoParameterValueAndOutOfRangeTemposAreLimited) {
    KernelEngine atLimit;
    followTheHost(atLimit);
    KernelEngine beyond;
    followTheHost(beyond);
    EXPECT_EQ(render(beyond, 500, 60), render(atLimit, 240, 60));
    EXPECT_EQ(beyond.paramValue(0), 120.0) << "sync.bpm keeps its value";

    // When the host stops giving a tempo, "sync.bpm" rules again from that block on: as if the user had
    // switched to Manual there.
    KernelEngine dropped;
    followTheHost(dropped);
    render(dropped, 90, 20);
    KernelEngine switched;
    followTheHost(switched);
    render(switched, 90, 20);
    switched.setParamValue(kSyncSource, 0);
    EXPECT_EQ(render(dropped, std::numeric_limits<double>::quiet_NaN(), 40), render(switched, 90, 40));
}

TEST(EngineHostTempo, AFullKernelEventListDelaysTheTempoToTheNextChunk) {
    // 64 parameter changes at frame 0 fill the kernel's event list for the first chunk; the tempo
    // queued after them is refused there and handed over at the start of the next chunk, which must
    // sound like an engine whose tempo arrived with that chunk.
    KernelEngine crowded;
    followTheHost(crowded);
    for (int i = 0; i < 70; ++i) {
        ASSERT_TRUE(crowded.pushParamNormalized(31, 1.0, 0)); // "mix.amount" 1, as it already is
    }
    const std::vector<float> first = render(crowded, 90, 1);
    const std::vector<float> rest = render(crowded, 90, 40);

    KernelEngine late;
    followTheHost(late);
    std::vector<float> lateFirst(kBlock), right(kBlock);
    float* out[2] = {lateFirst.data(), right.data()};
    static const std::vector<float> bass = bassBlock();
    const float* in[1] = {bass.data()};
    late.processBlock(in, 1, out, 2, 128); // one chunk without a host tempo
    late.setHostTempo(90);
    const float* rest128[1] = {bass.data() + 128};
    late.processBlock(rest128, 1, out, 2, kBlock - 128);
    std::vector<float> expected(lateFirst.begin(), lateFirst.begin() + (kBlock - 128));
    EXPECT_EQ(std::vector<float>(first.begin() + 128, first.end()), expected);
    EXPECT_EQ(rest, render(late, 90, 40));
}

} // namespace
