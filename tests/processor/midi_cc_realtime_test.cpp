// Resolving MIDI controllers through the CC map on the audio thread allocates nothing, takes no lock and
// makes no system call: every value mode and takeover rule, messages on every channel, flush calls, and
// maps replaced between blocks.
#include "processor/processor_harness.h"

#include "ccmap/midi_cc_parameter_ids.h"

#include "process_block.h"
#include "support/allocation_counter.h"
#include "support/realtime_guard.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vanto::test::allocationsDuring;
using vanto::test::ProcessorHarness;

const char* const kMaps[] = {
    R"([{"cc":1,"path":"glue.ratio","min":2,"max":6,"curve":"exp"},
        {"cc":2,"path":"master.level","valueMode":"relative-twos-complement"},
        {"cc":3,"path":"mix.amount","valueMode":"toggle"},
        {"cc":4,"path":"glue.drive","takeover":"pickup"},
        {"cc":5,"path":"macro.space","takeover":"scaled","channel":2},
        {"cc":5,"path":"glue.threshold","curve":"s-curve"}])",
    R"([{"cc":1,"path":"sync.bpm","valueMode":"relative-signed-bit"},
        {"cc":2,"path":"time.division","valueMode":"relative-binary-offset"}])",
};

TEST(MidiCcRealtime, ResolvingControllersAllocatesLocksAndCallsTheSystemNever) {
    constexpr int32 kBlock = 256;
    ProcessorHarness harness;
    harness.start(48000, kBlock);
    vanto::host::ProcessBlock block({2}, {2}, kBlock);
    long allocations = 0;
    vanto::test::RealtimeViolations violations;
    for (int blockIndex = 0; blockIndex < 64; ++blockIndex) {
        if (blockIndex % 16 == 0) {
            ASSERT_EQ(harness.notify("vanto.ccMap", std::string(kMaps[(blockIndex / 16) % 2])), kResultOk);
        }
        block.clearQueues();
        for (int message = 0; message < 24; ++message) {
            const int channel = (blockIndex + message) % 16;
            const int cc = 1 + message % 6;
            block.inputParameterChanges().add(vanto::midiCcParamId(channel, cc), message * 10,
                                              ((blockIndex * 7 + message * 13) % 128) / 127.0);
        }
        block.inputParameterChanges().add(26, 5, 0.5);
        ProcessData& data = block.prepare(blockIndex % 8 == 7 ? 0 : kBlock);
        std::thread audio([&] {
            const bool watched = vanto::test::watchThisThreadForSystemCalls();
            EXPECT_TRUE(watched || !vanto::test::kWatchesLocksAndSystemCalls);
            const vanto::test::RealtimeViolations seen = vanto::test::realtimeViolationsDuring(
                [&] { allocations += allocationsDuring([&] { harness.processor().process(data); }); });
            violations.locks += seen.locks;
            violations.systemCalls += seen.systemCalls;
        });
        audio.join();
        EXPECT_GT(block.outputParameterChanges().getParameterCount(), 0) << "block " << blockIndex;
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(violations.locks, 0);
    EXPECT_EQ(violations.systemCalls, 0);
}

} // namespace
