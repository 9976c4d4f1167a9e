// The engine's meters: the ring that carries records to the main thread, the aggregation of kernel
// calls into about 100 records a second, and the engine gathering them at any host rate and block
// size.
#include "engine/kernel_engine.h"
#include "engine/meter_aggregator.h"
#include "engine/meter_ring.h"
#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vanto {
namespace {

SignalMeterRecord recordAt(uint64_t frame) {
    SignalMeterRecord record;
    record.atFrame = frame;
    record.frames = static_cast<uint32_t>(frame % 1000);
    record.laneDuckDb[2] = static_cast<float>(frame);
    return record;
}

TEST(MeterRing, FullRingGivesUpTheOldestAndCountsThem) {
    MeterRing ring;
    const uint32_t pushes = MeterRing::kCapacity + 12;
    for (uint64_t i = 1; i <= pushes; ++i) {
        ring.push(recordAt(i));
    }
    EXPECT_EQ(ring.pending(), MeterRing::kCapacity);
    EXPECT_EQ(ring.takeDropped(), 12u);
    EXPECT_EQ(ring.takeDropped(), 0u);
    SignalMeterRecord out;
    for (uint64_t expected = 13; expected <= pushes; ++expected) {
        ASSERT_TRUE(ring.pop(out));
        EXPECT_EQ(out.atFrame, expected);
        EXPECT_EQ(out.laneDuckDb[2], static_cast<float>(expected));
    }
    EXPECT_FALSE(ring.pop(out));
    ring.push(recordAt(7));
    ASSERT_TRUE(ring.pop(out));
    EXPECT_EQ(out.atFrame, 7u);
}

dovrel_kernel_meter_record call(uint32_t frames) {
    dovrel_kernel_meter_record record{};
    record.frames = frames;
    return record;
}

TEST(MeterAggregator, RecordsCloseAtEveryTenMillisecondsOfKernelFramesAndHoldWholeCalls) {
    MeterAggregator aggregator;
    std::vector<SignalMeterRecord> records;
    // One second at 48 kHz in 128-frame calls.
    for (int i = 0; i < 375; ++i) {
        if (aggregator.add(call(128))) {
            records.push_back(aggregator.completed());
        }
    }
    ASSERT_EQ(records.size(), 100u);
    uint64_t next = 0;
    for (const SignalMeterRecord& record : records) {
        EXPECT_EQ(record.atFrame, next);
        EXPECT_EQ(record.frames % 128, 0u);
        EXPECT_TRUE(record.frames == 384 || record.frames == 512) << record.frames;
        next += record.frames;
    }
    EXPECT_EQ(next, 48000u);
}

TEST(MeterAggregator, FoldsHitsDucksLevelsAndBellsOfItsCalls) {
    MeterAggregator aggregator;
    dovrel_kernel_meter_record first = call(128);
    first.hitLanes = 0b0010;
    first.hitFrame[1] = 100;
    first.laneDuckDb[0] = 2;
    first.lowBandGainDb = -1;
    first.glueReductionDb = 3;
    first.inputPeak[0] = 0.5f;
    first.inputMeanSquare[0] = 0.25f;
    first.bellGainDb[0] = -4;
    dovrel_kernel_meter_record second = call(128);
    second.hitLanes = 0b0011;
    second.hitFrame[0] = 5;
    second.hitFrame[1] = 7; // a lane's first hit in the record stands
    second.laneDuckDb[0] = 1;
    second.lowBandGainDb = -6;
    second.glueReductionDb = 1;
    second.inputPeak[0] = 0.25f;
    second.inputMeanSquare[0] = 0.75f;
    second.activeBells = 0b0101;
    second.bellGainDb[0] = -2;
    second.bellHz[2] = 3220;
    EXPECT_FALSE(aggregator.add(first));
    EXPECT_FALSE(aggregator.add(second));
    EXPECT_FALSE(aggregator.add(call(128)));
    ASSERT_TRUE(aggregator.add(call(128)));
    const SignalMeterRecord& record = aggregator.completed();
    EXPECT_EQ(record.frames, 512u);
    EXPECT_EQ(record.hitLanes, 0b0011u);
    EXPECT_EQ(record.hitOffset[0], 128u + 5u);
    EXPECT_EQ(record.hitOffset[1], 100u);
    EXPECT_EQ(record.laneDuckDb[0], 2.0f);
    EXPECT_EQ(record.lowBandGainDb, -6.0f);
    EXPECT_EQ(record.glueReductionDb, 3.0f);
    EXPECT_EQ(record.inputPeak[0], 0.5f);
    // (0.25 × 128 + 0.75 × 128 + 0 + 0) / 512
    EXPECT_FLOAT_EQ(record.inputMeanSquare[0], 0.25f);
    // The last call's bells stand for the record.
    EXPECT_EQ(record.activeBells, 0u);
    EXPECT_EQ(record.bellGainDb[0], 0.0f);
    EXPECT_FALSE(aggregator.add(call(128)));
    // Unmetered frames drop the open record; the next one starts after them, on the same boundaries.
    aggregator.skip(1200);
    ASSERT_TRUE(aggregator.add(call(128)));
    EXPECT_EQ(aggregator.completed().atFrame, 512u + 128u + 1200u);
    EXPECT_EQ(aggregator.completed().frames, 128u);
}

struct RateAndBlock {
    double rate;
    int block;
};

class EngineMeters : public ::testing::TestWithParam<RateAndBlock> {};

// Two seconds of the test pulse's kicks (every quarter second) and a tone, at the host's rate and
// block size: about 100 records a second, back to back, with every kick marked.
TEST_P(EngineMeters, GathersAboutOneHundredRecordsASecondWithEveryKick) {
    const auto [rate, block] = GetParam();
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(rate, block));
    engine.setParamValue(4, 2); // side-chain: the test pulse
    engine.setMetersWanted(true);
    const double seconds = 2;
    const test::Stereo tone = test::sine(220.0, rate, static_cast<std::size_t>(rate), 0.25);
    std::vector<SignalMeterRecord> records;
    // Drained after every second, well before the ring fills.
    for (int second = 0; second < seconds; ++second) {
        test::renderSignal(engine, tone, block);
        SignalMeterRecord record;
        while (engine.meterRing().pop(record)) {
            records.push_back(record);
        }
        EXPECT_EQ(engine.meterRing().takeDropped(), 0u);
    }
    // The adapter's delay holds back a few kernel frames at other rates.
    EXPECT_NEAR(static_cast<double>(records.size()), 100 * seconds, 3);
    uint64_t next = records.empty() ? 0 : records.front().atFrame;
    int kicks = 0;
    for (const SignalMeterRecord& each : records) {
        EXPECT_EQ(each.atFrame, next);
        next += each.frames;
        kicks += each.hit(0) ? 1 : 0;
        EXPECT_GT(each.inputPeak[0], 0.1f);
        EXPECT_NEAR(each.inputMeanSquare[0], 0.25 * 0.25 / 2, 0.01);
    }
    EXPECT_GE(kicks, 7);
    EXPECT_LE(kicks, 8);
}

INSTANTIATE_TEST_SUITE_P(RatesAndBlocks, EngineMeters,
                         ::testing::Values(RateAndBlock{48000, 64}, RateAndBlock{48000, 1000},
                                           RateAndBlock{44100, 512}, RateAndBlock{96000, 4096}));

TEST(EngineMeters, NothingIsGatheredWhileMetersAreNotWanted) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000, 512));
    const test::Stereo tone = test::sine(220.0, 48000, 48000, 0.25);
    test::renderSignal(engine, tone, 512);
    EXPECT_EQ(engine.meterRing().pending(), 0u);
    engine.setMetersWanted(true);
    test::renderSignal(engine, tone, 512);
    SignalMeterRecord first;
    ASSERT_TRUE(engine.meterRing().pop(first));
    // Time went on while nobody looked.
    EXPECT_GE(first.atFrame, 48000u);
}

} // namespace
} // namespace vanto
