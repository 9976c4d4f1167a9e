// process() allocates nothing, takes no lock and makes no system call once the processor is active.
// This program links the counting allocation and lock functions; the dlopened plug-in shares them,
// since it takes them from the process's global scope. System calls are trapped on the thread that
// processes.
#include "processor/processor_harness.h"

#include "demo_signal.h"
#include "plugin_instance.h"
#include "process_block.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "support/allocation_counter.h"
#include "support/realtime_guard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

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

// Runs `work` on a thread of its own whose system calls are trapped and counted.
template <class Work> vanto::test::RealtimeViolations onWatchedThread(Work&& work) {
    vanto::test::RealtimeViolations violations;
    bool watched = false;
    std::thread thread([&] {
        watched = vanto::test::watchThisThreadForSystemCalls();
        violations = vanto::test::realtimeViolationsDuring(work);
    });
    thread.join();
    EXPECT_TRUE(watched || !vanto::test::kWatchesLocksAndSystemCalls);
    return violations;
}

TEST(ProcessorRealtime, TheWatchSeesLocksAndSystemCallsMadeInsideThePlugIn) {
    if (!vanto::test::kWatchesLocksAndSystemCalls) {
        GTEST_SKIP() << "the sanitizers take locks and make system calls of their own";
    }
    ProcessorHarness harness;
    // Restoring a state that names a bank looks for it on disk, on the restoring thread. (A bank
    // request's pack is read on a thread the processor starts, and a watched thread cannot start one:
    // its trapped calls are made again from the signal handler.)
    const auto violations = onWatchedThread([&] {
        harness.restoreState(
            R"({"bank":{"version":1,"id":"kit","source":"user-folder","locator":"/nonexistent/bank"}})");
    });
    EXPECT_GT(violations.systemCalls, 0);
    // The controller's program list registers with the SDK's update handler, which locks: a lock inside
    // the dlopened plug-in reaches the program's counting entry points.
    const auto module = ProcessorHarness::module();
    const auto processorClass = module->findClass(kVstAudioEffectClass);
    ASSERT_TRUE(processorClass.has_value());
    const auto withController = onWatchedThread([&] {
        std::string error;
        auto instance = vanto::host::PluginInstance::create(
            module, reinterpret_cast<const char*>(processorClass->cid.data()), error);
        EXPECT_NE(instance, nullptr) << error;
    });
    EXPECT_GT(withController.locks, 0);
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
        vanto::test::RealtimeViolations violations = onWatchedThread(
            [&] { counted += allocationsDuring([&] { harness.processor().process(data); }); });
        ASSERT_EQ(violations.locks, 0) << "block " << blockIndex;
        ASSERT_EQ(violations.systemCalls, 0)
            << "block " << blockIndex << ", last call " << violations.lastSystemCall;
    }
    EXPECT_EQ(counted, 0);
}

// With a page looking at the meters, the audio thread gathers meter records and pushes them into the
// ring for the main thread; the main thread drains them between blocks, as the cadence does.
TEST_P(ProcessorAllocationAtRate, MetersFlowWithoutAllocationLocksOrSystemCalls) {
    const double rate = GetParam();
    constexpr int32 kBlock = 256;
    const vanto::StereoBuffer demo = vanto::makeDemoSignal(rate, 1.0);
    ProcessorHarness harness;
    harness.start(rate, kBlock);
    IPtr<IMessage> feeds = harness.makeMessage("vanto.diag.signalFeeds");
    feeds->getAttributes()->setInt("feeds", 16);
    ASSERT_EQ(FUnknownPtr<IConnectionPoint>(&harness.component())->notify(feeds), kResultOk);
    vanto::host::ProcessBlock block({2}, {2}, kBlock);

    long counted = 0;
    for (std::size_t start = 0; start + kBlock <= demo.frames(); start += kBlock) {
        std::copy_n(demo.left.begin() + static_cast<std::ptrdiff_t>(start), kBlock,
                    block.input(0, 0).begin());
        std::copy_n(demo.right.begin() + static_cast<std::ptrdiff_t>(start), kBlock,
                    block.input(0, 1).begin());
        block.clearQueues();
        ProcessData& data = block.prepare(kBlock);
        vanto::test::RealtimeViolations violations = onWatchedThread(
            [&] { counted += allocationsDuring([&] { harness.processor().process(data); }); });
        ASSERT_EQ(violations.locks, 0) << "at frame " << start;
        ASSERT_EQ(violations.systemCalls, 0)
            << "at frame " << start << ", last call " << violations.lastSystemCall;
        harness.notify("vanto.diag.feedDrain", std::nullopt);
    }
    EXPECT_EQ(counted, 0);
    EXPECT_GE(harness.recorder().withId("vanto.diag.signal").size(), 20u) << "the meters did flow";
}

// Following the host: a transport that starts, stops, loops and changes tempo and meter every few
// blocks, "sync.source" Host, and an active side-chain bus feeding the detection.
TEST_P(ProcessorAllocationAtRate, FollowingTheHostsTransportAndSidechainAllocatesNothing) {
    const double rate = GetParam();
    constexpr int32 kBlock = 512;
    const vanto::StereoBuffer demo = vanto::makeDemoSignal(rate, 0.5);
    ProcessorHarness harness;
    ASSERT_EQ(harness.component().activateBus(kAudio, kInput, 1, true), kResultOk);
    harness.start(rate, kBlock);
    vanto::host::ProcessBlock block({2, 2}, {2}, kBlock);

    long counted = 0;
    int blockIndex = 0;
    for (std::size_t start = 0; start + kBlock <= demo.frames(); start += kBlock, ++blockIndex) {
        const auto at = static_cast<std::ptrdiff_t>(start);
        std::copy_n(demo.left.begin() + at, kBlock, block.input(0, 0).begin());
        std::copy_n(demo.right.begin() + at, kBlock, block.input(0, 1).begin());
        std::copy_n(demo.left.begin() + at, kBlock, block.input(1, 0).begin());
        std::copy_n(demo.left.begin() + at, kBlock, block.input(1, 1).begin());
        block.clearQueues();
        block.inputParameterChanges().add(33, 0, 1.0); // "sync.source" Host
        block.inputParameterChanges().add(4, 0, 0.0);  // "sidechain.source" external
        ProcessData& data = block.prepare(blockIndex % 4 == 3 ? 0 : kBlock);
        ProcessContext& context = block.processContext();
        context.state = ProcessContext::kTempoValid | ProcessContext::kTimeSigValid |
                        ProcessContext::kProjectTimeMusicValid | ProcessContext::kCycleValid |
                        (blockIndex % 6 < 3 ? ProcessContext::kPlaying | ProcessContext::kCycleActive : 0u);
        context.tempo = 80.0 + 10.0 * (blockIndex % 5);
        context.timeSigNumerator = 3 + blockIndex % 2;
        context.timeSigDenominator = 4;
        context.projectTimeMusic = 0.1 * blockIndex;
        context.sampleRate = rate;
        vanto::test::RealtimeViolations violations = onWatchedThread(
            [&] { counted += allocationsDuring([&] { harness.processor().process(data); }); });
        ASSERT_EQ(violations.locks, 0) << "block " << blockIndex;
        ASSERT_EQ(violations.systemCalls, 0)
            << "block " << blockIndex << ", last call " << violations.lastSystemCall;
    }
    EXPECT_EQ(counted, 0);
}

INSTANTIATE_TEST_SUITE_P(Rates, ProcessorAllocationAtRate, ::testing::Values(48000.0, 44100.0, 96000.0));

} // namespace
