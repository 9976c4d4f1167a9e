// Many instances in one process, as in a large session or a host that prepares every plug-in when a
// project opens: each holds a kernel instance from its set-up on. One more than the kernel's pool holds
// must not silence its track: it accepts its set-up, passes its input through and says why.
#include "processor/processor_harness.h"

#include "kernel/dovrel_kernel.h"
#include "process_block.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using namespace Steinberg;
using vanto::test::ProcessorHarness;

constexpr int32 kBlock = 256;

// Renders one block of a tone; the output of both channels.
std::vector<float> renderTone(ProcessorHarness& harness, std::vector<float>& input, tresult& result) {
    vanto::host::ProcessBlock block({2}, {2}, kBlock);
    input.resize(kBlock);
    for (int32 i = 0; i < kBlock; ++i) {
        input[static_cast<std::size_t>(i)] = 0.5f * std::sin(0.05f * static_cast<float>(i));
    }
    for (int32 ch = 0; ch < 2; ++ch) {
        std::copy(input.begin(), input.end(), block.input(0, ch).begin());
    }
    result = harness.processor().process(block.prepare(kBlock));
    std::vector<float> output(block.output(0, 0).begin(), block.output(0, 0).end());
    output.insert(output.end(), block.output(0, 1).begin(), block.output(0, 1).end());
    return output;
}

TEST(ProcessorPool, AnInstanceBeyondTheKernelPoolPassesItsInputThroughAndReports) {
    std::vector<std::unique_ptr<ProcessorHarness>> session;
    for (int i = 0; i < DOVREL_KERNEL_MAX_INSTANCES; ++i) {
        session.push_back(std::make_unique<ProcessorHarness>());
        ASSERT_NO_FATAL_FAILURE(session.back()->start(44100, kBlock)) << "instance " << i;
    }
    // Every instance the pool holds renders the effect, the 33rd among them.
    std::vector<float> input;
    tresult result = kResultFalse;
    const std::vector<float> processed = renderTone(*session[32], input, result);
    EXPECT_EQ(result, kResultOk);
    EXPECT_EQ(session[32]->processor().getLatencySamples(), 35u);
    std::vector<float> dry = input;
    dry.insert(dry.end(), input.begin(), input.end());
    EXPECT_NE(processed, dry);

    ProcessorHarness extra;
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(extra.setupProcessing(44100, kBlock), kResultOk);
    ASSERT_EQ(extra.setActive(true), kResultOk);
    ::testing::internal::GetCapturedStderr();
    const auto reports = extra.recorder().withId("vanto.runtimeDiagnostics");
    ASSERT_FALSE(reports.empty());
    ASSERT_TRUE(reports.back().payload.has_value());
    EXPECT_NE(reports.back().payload->find("runtime.kernel-create-failed"), std::string::npos);
    // No converter runs, so nothing is delayed.
    EXPECT_EQ(extra.processor().getLatencySamples(), 0u);

    const std::vector<float> passed = renderTone(extra, input, result);
    EXPECT_EQ(result, kResultOk);
    EXPECT_EQ(passed, dry);

    // Once an instance goes, the next set-up gets a kernel again.
    session.pop_back();
    ASSERT_EQ(extra.setActive(false), kResultOk);
    ASSERT_EQ(extra.setActive(true), kResultOk);
    EXPECT_EQ(extra.processor().getLatencySamples(), 35u);
    renderTone(extra, input, result);
    EXPECT_EQ(result, kResultOk);
}

} // namespace
