// process() allocates nothing once the processor is active. This program links the counting
// allocation functions; the dlopened plug-in shares them, since it takes them from the process's
// global scope.
#include "processor/processor_harness.h"

#include "demo_signal.h"
#include "process_block.h"
#include "support/allocation_counter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vanto::test::allocationsDuring;
using vanto::test::ProcessorHarness;

TEST(ProcessorAllocation, TheCountersSeeAllocationsMadeInsideThePlugIn) {
    ProcessorHarness harness;
    EXPECT_GT(allocationsDuring([&] { harness.saveState(); }), 0)
        << "getState builds its document on the heap";
}

class ProcessorAllocationAtRate : public ::testing::TestWithParam<double> {};

TEST_P(ProcessorAllocationAtRate, ProcessAllocatesNothingAfterActivation) {
    const double rate = GetParam();
    constexpr int32 kBlock = 512;
    const vanto::StereoBuffer demo = vanto::makeDemoSignal(rate, 0.5);
    ProcessorHarness harness;
    harness.start(rate, kBlock);
    vanto::host::ProcessBlock block({2}, {2}, kBlock);

    long counted = 0;
    int blockIndex = 0;
    for (std::size_t start = 0; start + kBlock <= demo.frames(); start += kBlock, ++blockIndex) {
        std::copy_n(demo.left.begin() + static_cast<std::ptrdiff_t>(start), kBlock,
                    block.input(0, 0).begin());
        std::copy_n(demo.right.begin() + static_cast<std::ptrdiff_t>(start), kBlock,
                    block.input(0, 1).begin());
        block.clearQueues();
        block.inputParameterChanges().add(static_cast<ParamID>(blockIndex % 34), blockIndex % kBlock, 0.3);
        block.inputParameterChanges().add(32, 100, (blockIndex % 10) / 10.0);
        block.inputParameterChanges().add(40, 5, 1.0);
        Event note{};
        note.type = Event::kNoteOnEvent;
        note.noteOn.pitch = 60;
        note.noteOn.velocity = 0.5f;
        block.inputEvents().addEvent(note);
        // Every fourth call is a flush with the same changes.
        ProcessData& data = block.prepare(blockIndex % 4 == 3 ? 0 : kBlock);
        counted += allocationsDuring([&] { harness.processor().process(data); });
    }
    EXPECT_EQ(counted, 0);
}

INSTANTIATE_TEST_SUITE_P(Rates, ProcessorAllocationAtRate, ::testing::Values(48000.0, 44100.0, 96000.0));

} // namespace
