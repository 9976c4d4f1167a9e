// The external side-chain in the engine: it reaches the kernel in step with the main input and with
// the same latency, at the kernel's rate and through the sample-rate adapter; a block without one runs
// exactly as before, even between blocks with one.
#include "engine/kernel_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

using vanto::KernelEngine;

constexpr uint32_t kSidechainSource = 4;
constexpr uint32_t kAudition = 30;
constexpr int kBlock = 300; // not a multiple of the kernel's chunk

// Kick-like bursts: what the detection would listen to.
std::vector<float> bursts(double rate, std::size_t frames) {
    std::vector<float> samples(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = std::fmod(static_cast<double>(i) / rate, 0.25);
        samples[i] = static_cast<float>(0.8 * std::exp(-t / 0.05) * std::sin(2 * std::numbers::pi * 70 * t));
    }
    return samples;
}

// Renders in `kBlock`-frame blocks: `main` on both main channels, `sidechain` (when given for a block)
// on the side-chain with `sidechainChannels` channels. Returns the left output.
std::vector<float> render(KernelEngine& engine, const std::vector<float>& main,
                          const std::vector<float>* sidechain, int sidechainChannels,
                          bool (*sidechainInBlock)(std::size_t block) = nullptr) {
    std::vector<float> all;
    std::vector<float> left(kBlock), right(kBlock);
    float* out[2] = {left.data(), right.data()};
    for (std::size_t start = 0, block = 0; start + kBlock <= main.size(); start += kBlock, ++block) {
        const float* in[2] = {main.data() + start, main.data() + start};
        const bool withSidechain =
            sidechain != nullptr && (sidechainInBlock == nullptr || sidechainInBlock(block));
        const float* side[2] = {withSidechain ? sidechain->data() + start : nullptr,
                                withSidechain ? sidechain->data() + start : nullptr};
        engine.processBlock(in, 2, withSidechain ? side : nullptr, withSidechain ? sidechainChannels : 0, out,
                            2, kBlock);
        EXPECT_FALSE(engine.callbackFailed());
        all.insert(all.end(), left.begin(), left.end());
    }
    return all;
}

class EngineSidechain : public ::testing::TestWithParam<double> {};

// With "sidechain.audition" 1 the output is what the detection hears. A signal on the side-chain
// (source 0) must sound exactly like the same signal on the main input (source 1): same samples, same
// place, same latency.
TEST_P(EngineSidechain, TheSidechainArrivesInStepWithTheMainInput) {
    const double rate = GetParam();
    const std::vector<float> signal = bursts(rate, static_cast<std::size_t>(rate));
    const std::vector<float> silence(signal.size(), 0.0f);
    for (const int channels : {2, 1}) {
        KernelEngine throughSidechain;
        ASSERT_TRUE(throughSidechain.setup(rate, kBlock));
        throughSidechain.setParamValue(kAudition, 1);
        KernelEngine throughMain;
        ASSERT_TRUE(throughMain.setup(rate, kBlock));
        throughMain.setParamValue(kAudition, 1);
        throughMain.setParamValue(kSidechainSource, 1);
        const std::vector<float> heard = render(throughSidechain, silence, &signal, channels);
        EXPECT_EQ(heard, render(throughMain, signal, nullptr, 0)) << channels << " channels at " << rate;
        EXPECT_GT(*std::max_element(heard.begin(), heard.end()), 0.1f);
    }
}

// Blocks without a side-chain between blocks with one: those blocks listen to the main input, exactly
// as an engine that never had a side-chain does while the side-chain is away.
TEST_P(EngineSidechain, BlocksWithoutTheSidechainFallBackToTheMainInput) {
    const double rate = GetParam();
    const std::vector<float> main = bursts(rate, static_cast<std::size_t>(rate));
    const std::vector<float> silence(main.size(), 0.0f);
    KernelEngine never;
    ASSERT_TRUE(never.setup(rate, kBlock));
    KernelEngine absent;
    ASSERT_TRUE(absent.setup(rate, kBlock));
    // The side-chain is silence and comes in no block: output as without a bus, bit for bit.
    EXPECT_EQ(render(absent, main, &silence, 2, [](std::size_t) { return false; }),
              render(never, main, nullptr, 0));

    // A silent side-chain in every other block keeps those blocks from hearing the main input's bursts.
    KernelEngine sometimes;
    ASSERT_TRUE(sometimes.setup(rate, kBlock));
    KernelEngine reference;
    ASSERT_TRUE(reference.setup(rate, kBlock));
    const auto oddBlocks = [](std::size_t block) { return block % 2 == 1; };
    EXPECT_NE(render(sometimes, main, &silence, 2, oddBlocks), render(reference, main, nullptr, 0));
}

INSTANTIATE_TEST_SUITE_P(Rates, EngineSidechain, ::testing::Values(48000.0, 44100.0, 96000.0));

} // namespace
