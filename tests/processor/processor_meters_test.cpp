// The processor's meter feeds through the built bundle: records flow to the controller's end as
// "vanto.diag.signal" on each feed drain only while signal feeds are asked for, about 100 a second
// whatever the host's rate and block size, in payloads within the size limit, with losses counted.
#include "processor/processor_harness.h"

#include "demo_signal.h"
#include "diagnostics/signal_meters_json.h"
#include "process_block.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vanto::SignalMeterRecord;
using vanto::test::ProcessorHarness;

constexpr const char* kSignal = "vanto.diag.signal";

void askForSignalFeeds(ProcessorHarness& harness, int64 feeds) {
    IPtr<IMessage> message = harness.makeMessage("vanto.diag.signalFeeds");
    message->getAttributes()->setInt("feeds", feeds);
    FUnknownPtr<IConnectionPoint> connection(&harness.component());
    ASSERT_EQ(connection->notify(message), kResultOk);
}

struct Received {
    std::vector<SignalMeterRecord> records;
    uint32_t dropped = 0;
    std::size_t payloads = 0;
};

// Parses and takes every signal payload recorded so far.
Received takeSignals(ProcessorHarness& harness) {
    Received received;
    for (const vanto::test::ReceivedMessage& message : harness.recorder().withId(kSignal)) {
        EXPECT_TRUE(message.payload.has_value());
        EXPECT_LE(message.payload->size(), vanto::kMaxSignalPayloadBytes);
        std::vector<SignalMeterRecord> records;
        uint32_t dropped = 0;
        EXPECT_TRUE(
            vanto::parseSignalMetersJson(message.payload->data(), message.payload->size(), records, dropped))
            << *message.payload;
        received.records.insert(received.records.end(), records.begin(), records.end());
        received.dropped += dropped;
        ++received.payloads;
    }
    harness.recorder().clear();
    return received;
}

// Plays `seconds` of the demo, draining the feeds every `drainEvery` frames (0: never).
void play(ProcessorHarness& harness, double rate, int32 blockFrames, double seconds, std::size_t drainEvery) {
    const vanto::StereoBuffer demo = vanto::makeDemoSignal(rate, seconds);
    vanto::host::ProcessBlock block({2}, {2}, blockFrames);
    std::size_t sinceDrain = 0;
    for (std::size_t start = 0; start + blockFrames <= demo.frames(); start += blockFrames) {
        std::copy_n(demo.left.begin() + static_cast<std::ptrdiff_t>(start), blockFrames,
                    block.input(0, 0).begin());
        std::copy_n(demo.right.begin() + static_cast<std::ptrdiff_t>(start), blockFrames,
                    block.input(0, 1).begin());
        block.clearQueues();
        ASSERT_EQ(harness.processor().process(block.prepare(blockFrames)), kResultOk);
        sinceDrain += static_cast<std::size_t>(blockFrames);
        if (drainEvery > 0 && sinceDrain >= drainEvery) {
            harness.notify("vanto.diag.feedDrain", std::nullopt);
            sinceDrain = 0;
        }
    }
    if (drainEvery > 0) {
        harness.notify("vanto.diag.feedDrain", std::nullopt);
    }
}

struct RateAndBlock {
    double rate;
    int32 block;
};

class ProcessorMeters : public ::testing::TestWithParam<RateAndBlock> {};

TEST_P(ProcessorMeters, DrainsSendAboutOneHundredRecordsASecondOnlyWhileFeedsAreAskedFor) {
    const auto [rate, block] = GetParam();
    ProcessorHarness harness;
    harness.start(rate, block);
    const auto cadence = static_cast<std::size_t>(rate / 30);

    play(harness, rate, block, 1, cadence);
    EXPECT_EQ(takeSignals(harness).payloads, 0u) << "no records while nobody looks";

    askForSignalFeeds(harness, 16);
    play(harness, rate, block, 2, cadence);
    const Received received = takeSignals(harness);
    EXPECT_EQ(received.dropped, 0u);
    EXPECT_NEAR(static_cast<double>(received.records.size()), 200, 4);
    // At 30 drains a second each payload holds a few records.
    EXPECT_GE(received.payloads, 40u);
    int kicks = 0;
    for (std::size_t i = 1; i < received.records.size(); ++i) {
        EXPECT_EQ(received.records[i].atFrame,
                  received.records[i - 1].atFrame + received.records[i - 1].frames);
        kicks += received.records[i].hit(0) ? 1 : 0;
    }
    // The demo kicks every quarter second over a bass tone; the kick lane hears most of them.
    EXPECT_GE(kicks, 5);
    EXPECT_LE(kicks, 8);

    askForSignalFeeds(harness, 0);
    play(harness, rate, block, 0.5, cadence);
    EXPECT_EQ(takeSignals(harness).payloads, 0u);
}

INSTANTIATE_TEST_SUITE_P(RatesAndBlocks, ProcessorMeters,
                         ::testing::Values(RateAndBlock{48000, 512}, RateAndBlock{44100, 64},
                                           RateAndBlock{96000, 2048}));

TEST(ProcessorMetersOverflow, AStalledDrainLosesTheOldestRecordsAndSaysHowMany) {
    ProcessorHarness harness;
    harness.start(48000, 512);
    askForSignalFeeds(harness, 32); // "scope" wants the records too
    play(harness, 48000, 512, 3, 0);
    harness.notify("vanto.diag.feedDrain", std::nullopt);
    const Received received = takeSignals(harness);
    // 128 records wait in the ring; they go out in payloads of at most 64.
    EXPECT_EQ(received.records.size(), 128u);
    EXPECT_EQ(received.payloads, 2u);
    EXPECT_NEAR(static_cast<double>(received.records.size() + received.dropped), 300, 2);
    // What was kept is the newest, back to back.
    for (std::size_t i = 1; i < received.records.size(); ++i) {
        EXPECT_EQ(received.records[i].atFrame,
                  received.records[i - 1].atFrame + received.records[i - 1].frames);
    }
}

TEST(ProcessorMetersMessages, MalformedFeedRequestsChangeNothing) {
    ProcessorHarness harness;
    harness.start(48000, 512);
    // No "feeds" attribute, and a message without attributes of its own content.
    EXPECT_EQ(harness.notify("vanto.diag.signalFeeds", std::string("16")), kResultOk);
    play(harness, 48000, 512, 0.5, 1600);
    EXPECT_EQ(takeSignals(harness).payloads, 0u);
}

} // namespace
