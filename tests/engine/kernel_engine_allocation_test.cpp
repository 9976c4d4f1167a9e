// The audio path allocates nothing: this executable counts every allocation (through the counting
// allocation functions it links) and renders blocks with parameter changes at every supported kind
// of rate.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "engine/kernel_engine.h"
#include "engine_test_support.h"
#include "support/allocation_counter.h"

namespace vanto {
namespace {

using test::AllocationCount;
using test::kCountsMalloc;

TEST(AllocationHooks, SeeAllocations) {
    volatile std::size_t size = 64;
    AllocationCount count;
    void* fromNew = ::operator new(size);
    ::operator delete(fromNew);
    void* volatile fromMalloc = std::malloc(size);
    std::free(fromMalloc);
    EXPECT_GE(count.stop(), kCountsMalloc ? 2 : 1);
}

class AudioPathAllocation : public ::testing::TestWithParam<double> {};

TEST_P(AudioPathAllocation, ProcessBlockAllocatesNothingAfterSetup) {
    const double rate = GetParam();
    if (!kCountsMalloc) {
        RecordProperty("note", "malloc is interposed by the sanitizer; only operator new is counted");
    }
    constexpr int kBlock = 512;
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(rate, kBlock));
    const test::Stereo tone = test::sine(440.0, rate, kBlock + 1, 0.5);
    // One frame more than announced, for the block the engine refuses.
    std::vector<float> left(kBlock + 1);
    std::vector<float> right(kBlock + 1);
    std::vector<float> third(kBlock + 1);
    const float* in[2] = {tone.left.data(), tone.right.data()};
    float* out[3] = {left.data(), right.data(), third.data()};
    engine.processBlock(in, 2, out, 3, kBlock);

    AllocationCount count;
    for (int block = 0; block < 40; ++block) {
        for (uint32_t id = 0; id < KernelEngine::kParamCount; ++id) {
            engine.pushParamNormalized(id, (block % 5) / 4.0,
                                       static_cast<int>((id * 37 + block * 11) % kBlock));
        }
        engine.pushNoteOn(60, 0.5, 3, 0, 0);
        engine.setParamValue(11, block % 2 == 0 ? 3.0 : 6.0);
        engine.processBlock(in, 2, out, 3, kBlock);
        engine.processBlock(in, 2, out, 2, kBlock / 3);
        engine.pushParamNormalized(4, 1.0, 0);
        engine.processBlock(nullptr, 0, nullptr, 0, 0);
    }
    // A block the engine refuses allocates nothing either.
    engine.processBlock(in, 2, out, 3, kBlock + 1);
    EXPECT_EQ(count.stop(), 0);
    EXPECT_TRUE(engine.callbackFailed());
}

INSTANTIATE_TEST_SUITE_P(Rates, AudioPathAllocation, ::testing::Values(48000.0, 44100.0, 96000.0));

} // namespace
} // namespace vanto
