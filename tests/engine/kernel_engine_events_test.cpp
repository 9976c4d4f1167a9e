// The engine's event queue and parameter mirror: what is queued, how it is converted and sorted, and
// what the zero-frame flush does with it.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "engine/kernel_engine.h"

namespace vanto {
namespace {

TEST(EventQueue, ParameterChangesAreQueuedAsPlainValues) {
    struct Case {
        uint32_t id;
        double normalized;
        double plain;
    };
    KernelEngine engine;
    const Case cases[] = {
        {0, 0.5, 140.0},    // "sync.bpm" 40 to 240, step 1
        {0, 0.5012, 140.0}, // snapped to the step
        {7, 0.0, 0.1},      // "time.attack" minimum
        {25, 2.0, 0.0},     // "glue.threshold", clamped to its maximum
        {25, -1.0, -40.0},  // and to its minimum
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(engine.pushParamNormalized(c.id, c.normalized, 9));
    }
    ASSERT_EQ(engine.queuedEventCount(), 5);
    for (int i = 0; i < 5; ++i) {
        const KernelEvent& event = engine.queuedEvent(i);
        EXPECT_EQ(event.kind, kEventParameter);
        EXPECT_EQ(event.frame, 9);
        EXPECT_EQ(event.target, cases[i].id);
        EXPECT_DOUBLE_EQ(event.value, cases[i].plain) << i;
        EXPECT_EQ(event.note, 0);
        EXPECT_EQ(event.route, 0u);
        EXPECT_FALSE(event.stamped);
    }
}

TEST(EventQueue, RefusesUnknownIdsNonFiniteVelocitiesAndAFullQueue) {
    KernelEngine engine;
    EXPECT_FALSE(engine.pushParamNormalized(34, 0.5, 0));
    EXPECT_FALSE(engine.pushController(128, 5, 0, 0, 0));
    EXPECT_FALSE(engine.pushController(5, 128, 0, 0, 0));
    EXPECT_FALSE(engine.pushNoteOn(60, std::numeric_limits<double>::quiet_NaN(), 0, 0, 0));
    EXPECT_EQ(engine.queuedEventCount(), 0);

    for (int i = 0; i < KernelEventQueue::kCapacity; ++i) {
        ASSERT_TRUE(engine.pushParamNormalized(1, 0.5, i));
    }
    EXPECT_FALSE(engine.pushParamNormalized(1, 0.5, 0));
    EXPECT_FALSE(engine.pushNoteOff(60, 0, 0, 0));
    EXPECT_EQ(engine.queuedEventCount(), KernelEventQueue::kCapacity);
}

TEST(EventQueue, OutOfRangeAndNaNValuesQueueTheClampedPlainValue) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // "sync.bpm" runs from 40 to 240.
    const struct {
        double normalized;
        double plain;
    } cases[] = {{nan, 40},  {-inf, 40}, {-1e300, 40}, {-0.5, 40},
                 {-0.0, 40}, {1.5, 240}, {1e300, 240}, {inf, 240}};
    KernelEngine engine;
    for (const auto& c : cases) {
        ASSERT_TRUE(engine.pushParamNormalized(0, c.normalized, 0)) << c.normalized;
        EXPECT_EQ(engine.queuedEvent(engine.queuedEventCount() - 1).value, c.plain) << c.normalized;
    }
}

TEST(EventQueue, NotesAndControllersFillTheirFields) {
    KernelEngine engine;
    ASSERT_TRUE(engine.pushNoteOn(64, 0.75, 3, 2, 17));
    ASSERT_TRUE(engine.pushNoteOff(64, 4, 1, 31));
    ASSERT_TRUE(engine.pushController(7, 100, 5, 0, 15));
    const KernelEvent& on = engine.queuedEvent(0);
    EXPECT_EQ(on.kind, kEventNoteOn);
    EXPECT_EQ(on.note, 64);
    EXPECT_EQ(on.value, 0.75);
    EXPECT_EQ(on.route, 2u);
    EXPECT_EQ(on.channel, 1u); // 17 & 15
    EXPECT_EQ(on.target, 0u);
    const KernelEvent& off = engine.queuedEvent(1);
    EXPECT_EQ(off.kind, kEventNoteOff);
    EXPECT_EQ(off.value, 0.0);
    EXPECT_EQ(off.channel, 15u);
    const KernelEvent& controller = engine.queuedEvent(2);
    EXPECT_EQ(controller.kind, kEventController);
    EXPECT_EQ(controller.target, 7u);
    EXPECT_EQ(controller.value, 100.0);
    EXPECT_EQ(controller.note, 0);
}

TEST(EventQueue, SortIsStableByFrame) {
    KernelEngine engine;
    const int frames[] = {7, 0, 7, 3, -2};
    for (uint32_t i = 0; i < 5; ++i) {
        ASSERT_TRUE(engine.pushParamNormalized(i, 0.5, frames[i]));
    }
    engine.sortEventsInPlace();
    const int sortedFrames[] = {-2, 0, 3, 7, 7};
    const uint32_t sortedIds[] = {4, 1, 3, 0, 2};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(engine.queuedEvent(i).frame, sortedFrames[i]);
        EXPECT_EQ(engine.queuedEvent(i).target, sortedIds[i]);
    }
}

TEST(ParameterMirror, SetAndReadValues) {
    KernelEngine engine;
    engine.setParamValue(11, 12.0);
    EXPECT_EQ(engine.paramValue(11), 12.0);
    // Stored as received, outside the range too.
    engine.setParamValue(11, 30.0);
    EXPECT_EQ(engine.paramValue(11), 30.0);
    EXPECT_EQ(engine.paramNormalized(11), 1.0);
    // Unknown ids and non-finite values leave the mirror alone.
    engine.setParamValue(40, 1.0);
    engine.setParamValue(11, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(engine.paramValue(11), 30.0);
    EXPECT_EQ(engine.paramValue(40), 0.0);
    EXPECT_EQ(engine.paramNormalized(40), 0.0);
    engine.setParamValue(7, 1.5);
    EXPECT_EQ(engine.paramNormalized(7), 0.046822742474916385);
}

TEST(ParameterMirror, FlushParameterEventsAppliesValuesInQueueOrder) {
    KernelEngine engine;
    ASSERT_TRUE(engine.pushParamNormalized(11, 1.0, 50));
    ASSERT_TRUE(engine.pushNoteOn(60, 1.0, 0, 0, 0));
    ASSERT_TRUE(engine.pushParamNormalized(11, 0.0, 10));
    engine.flushParameterEvents();
    // Queue order, not frame order: the last pushed value wins.
    EXPECT_EQ(engine.paramValue(11), 0.0);
    EXPECT_EQ(engine.queuedEventCount(), 0);
}

TEST(DeferredParameters, BecomeTheStoredValueAfterTheBlockOverEveryQueuedChange) {
    for (const double rate : {48000.0, 44100.0}) {
        SCOPED_TRACE(rate);
        KernelEngine engine;
        ASSERT_TRUE(engine.setup(rate, 128));
        // A full queue of older changes, the last ones late enough for the rate adapter to keep them
        // for the next block.
        while (engine.eventQueueRoom() > 0) {
            ASSERT_TRUE(engine.pushParamNormalized(11, 0.5, 127));
        }
        EXPECT_FALSE(engine.pushParamNormalized(11, 1.0, 127));
        engine.deferParamNormalized(11, 1.0);
        engine.deferParamNormalized(99, 1.0); // no such parameter: ignored
        std::vector<float> left(128, 0.1f), right(128, 0.1f);
        const float* in[2] = {left.data(), right.data()};
        float* out[2] = {left.data(), right.data()};
        engine.processBlock(in, 2, out, 2, 128);
        EXPECT_EQ(engine.paramValue(11), 18.0); // "budget.maxReduction" at its maximum
        for (int i = 0; i < engine.queuedEventCount(); ++i) {
            EXPECT_NE(engine.queuedEvent(i).target, 11u) << "an older change would land after it";
        }
        engine.processBlock(in, 2, out, 2, 128);
        EXPECT_EQ(engine.paramValue(11), 18.0);
        EXPECT_EQ(engine.eventQueueRoom(), KernelEventQueue::kCapacity);
    }
}

TEST(ZeroFrameFlush, MovesSortedValuesIntoTheMirrorAndEmptiesTheQueue) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 256));
    ASSERT_TRUE(engine.pushParamNormalized(5, 1.0, 10));
    ASSERT_TRUE(engine.pushParamNormalized(5, 0.0, 2));
    ASSERT_TRUE(engine.pushNoteOn(60, 1.0, 0, 0, 0));
    engine.processBlock(nullptr, 0, nullptr, 0, 0);
    // Frame order: the change at frame 10 is applied last.
    EXPECT_EQ(engine.paramValue(5), 13.0);
    EXPECT_EQ(engine.queuedEventCount(), 0);
    EXPECT_FALSE(engine.callbackFailed());
    engine.drainRuntimeDiagnostics();
    EXPECT_EQ(engine.diagnostics().count, 0u);
}

TEST(ZeroFrameFlush, WithoutAKernelDropsTheChangesAndReports) {
    KernelEngine engine;
    ASSERT_TRUE(engine.pushParamNormalized(5, 1.0, 0));
    engine.processBlock(nullptr, 0, nullptr, 0, 0);
    EXPECT_EQ(engine.paramValue(5), 5.0);
    EXPECT_EQ(engine.queuedEventCount(), 0);
    EXPECT_TRUE(engine.callbackFailed());
    engine.drainRuntimeDiagnostics();
    ASSERT_EQ(engine.diagnostics().count, 1u);
    EXPECT_EQ(engine.diagnostics().entries[0].code, 4u);
    EXPECT_EQ(engine.diagnostics().entries[0].severity, 3u);
}

} // namespace
} // namespace vanto
