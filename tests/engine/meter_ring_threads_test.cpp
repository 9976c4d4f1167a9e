// The meter ring between a real producer thread and a consumer draining at the same time.
#include "engine/meter_ring.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vanto {
namespace {

// Every field derived from the index, so a record mixing two pushes shows.
SignalMeterRecord recordFor(uint64_t index) {
    SignalMeterRecord record;
    record.atFrame = index;
    record.frames = static_cast<uint32_t>(index * 7);
    record.hitOffset[3] = static_cast<uint32_t>(index ^ 0x5555);
    record.lowBandGainDb = -static_cast<float>(index % 1000);
    record.outputMeanSquare[1] = static_cast<float>(index % 4096);
    return record;
}

bool consistent(const SignalMeterRecord& record) {
    const SignalMeterRecord expected = recordFor(record.atFrame);
    return record.frames == expected.frames && record.hitOffset[3] == expected.hitOffset[3] &&
           record.lowBandGainDb == expected.lowBandGainDb &&
           record.outputMeanSquare[1] == expected.outputMeanSquare[1];
}

TEST(MeterRingThreads, ConsumerGetsWholeRecordsInOrderAndEveryLossIsCounted) {
    constexpr uint64_t kPushes = 200000;
    MeterRing ring;
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (uint64_t index = 1; index <= kPushes; ++index) {
            ring.push(recordFor(index));
        }
        done.store(true, std::memory_order_release);
    });

    uint64_t lastSeen = 0;
    uint64_t received = 0;
    uint64_t dropped = 0;
    bool allConsistent = true;
    bool ordered = true;
    SignalMeterRecord record;
    const auto take = [&] {
        while (ring.pop(record)) {
            allConsistent = allConsistent && consistent(record);
            ordered = ordered && record.atFrame > lastSeen;
            lastSeen = record.atFrame;
            ++received;
        }
        dropped += ring.takeDropped();
    };
    while (!done.load(std::memory_order_acquire)) {
        take();
    }
    producer.join();
    take();
    EXPECT_TRUE(allConsistent);
    EXPECT_TRUE(ordered);
    EXPECT_EQ(lastSeen, kPushes);
    EXPECT_EQ(received + dropped, kPushes);
    EXPECT_EQ(ring.pending(), 0u);
}

} // namespace
} // namespace vanto
