// The transport ring between a real producer thread and a consumer draining at the same time.
#include "diagnostics/transport_ring.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vanto {
namespace {

// Every field derived from the frame, so a snapshot mixing two pushes shows.
TransportFact factFor(uint64_t frame) {
    TransportFact fact;
    fact.atFrame = frame;
    fact.playing = (frame & 1) != 0;
    fact.tempo = static_cast<double>(frame) * 0.5;
    fact.numerator = static_cast<int32_t>(frame % 97);
    fact.ppqPosition = static_cast<double>(frame) * 2.0;
    fact.sampleRate = static_cast<double>(frame) + 1.0;
    fact.projectTimeSamples = static_cast<int64_t>(frame) * 3;
    return fact;
}

bool consistent(const TransportFact& fact) {
    const TransportFact expected = factFor(fact.atFrame);
    return fact.playing == expected.playing && fact.tempo == expected.tempo &&
           fact.numerator == expected.numerator && fact.ppqPosition == expected.ppqPosition &&
           fact.sampleRate == expected.sampleRate && fact.projectTimeSamples == expected.projectTimeSamples;
}

TEST(TransportRingThreads, ConsumerSeesWholeSnapshotsInOrderWhileTheProducerRuns) {
    constexpr uint64_t kPushes = 200000;
    DiagnosticTransportRing ring;
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (uint64_t frame = 1; frame <= kPushes; ++frame) {
            ring.push(factFor(frame));
        }
        done.store(true, std::memory_order_release);
    });

    uint64_t lastSeen = 0;
    bool allConsistent = true;
    bool ordered = true;
    TransportFact fact;
    while (!done.load(std::memory_order_acquire)) {
        if (ring.drainLatest(fact)) {
            allConsistent = allConsistent && consistent(fact);
            ordered = ordered && fact.atFrame >= lastSeen;
            lastSeen = fact.atFrame;
        }
    }
    producer.join();
    if (ring.drainLatest(fact)) {
        lastSeen = fact.atFrame;
        allConsistent = allConsistent && consistent(fact);
    }
    EXPECT_TRUE(allConsistent);
    EXPECT_TRUE(ordered);
    EXPECT_EQ(lastSeen, kPushes);
    EXPECT_FALSE(ring.drainLatest(fact));
    EXPECT_EQ(ring.pending(), 0u);
}

} // namespace
} // namespace vanto
