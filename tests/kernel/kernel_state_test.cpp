#include "kernel_state.h"

#include <gtest/gtest.h>

#include <memory>

namespace vanto {
namespace {

class KernelStateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        state = std::make_unique<KernelState>();
        createState(*state);
        ASSERT_TRUE(prepare(*state, {2, 128, 2, 48000}));
    }
    void set(const char* path, double value) { ASSERT_TRUE(setParameter(*state, path, value)) << path; }
    std::unique_ptr<KernelState> state;
};

TEST_F(KernelStateTest, PrepareAcceptsOnlyTheKernelConfiguration) {
    const KernelPrepareRecord refused[] = {
        {1, 128, 2, 48000}, {2, 64, 2, 48000}, {2, 128, 1, 48000}, {2, 128, 2, 44100}, {2, 128, 2, 96000}};
    for (const KernelPrepareRecord& record : refused) {
        KernelState other;
        createState(other);
        EXPECT_FALSE(prepare(other, record));
        EXPECT_FALSE(other.prepared);
    }
    EXPECT_TRUE(state->prepared);
}

TEST_F(KernelStateTest, DepthBudgetFollowsSpaceAndMaximumReduction) {
    EXPECT_FLOAT_EQ(state->depthDb, 2.1f);
    set("macro.space", 1);
    EXPECT_FLOAT_EQ(state->depthDb, 9);
    set("budget.maxReduction", 2);
    set("macro.space", 0.25);
    EXPECT_FLOAT_EQ(state->depthDb, 1);
    set("macro.space", 0);
    EXPECT_EQ(state->depthDb, 0);
}

TEST_F(KernelStateTest, TimingFollowsTempoDivisionAndFeelMorph) {
    EXPECT_FLOAT_EQ(state->periodSeconds, 0.25f);
    EXPECT_FLOAT_EQ(state->retriggerSeconds, 0.1125f);
    // Feel 1 with the product macro at 0.4 morphs 20 % from feel 1 towards feel 2.
    EXPECT_NEAR(state->releaseSeconds, 0.25 * 0.644, 1e-6);
    EXPECT_NEAR(state->holdSeconds, 0.25 * 0.06, 1e-6);
    EXPECT_NEAR(state->curveShape, 1.09, 1e-6);
    set("macro.dovrel", 1);
    EXPECT_NEAR(state->curveShape, 2, 1e-6);
    set("time.feel", 0);
    EXPECT_NEAR(state->curveShape, 0.55, 1e-6);
    EXPECT_NEAR(state->releaseSeconds, 0.25 * 0.4, 1e-6);
    set("time.hold", 0.2);
    EXPECT_NEAR(state->holdSeconds, 0.05, 1e-6);
    set("sync.bpm", 60);
    set("time.division", 13);
    EXPECT_FLOAT_EQ(state->periodSeconds, 4);
    EXPECT_EQ(state->releaseSeconds, 1.2); // clamped to the longest release
}

TEST_F(KernelStateTest, SwingAndAttack) {
    set("time.swing", 58);
    EXPECT_NEAR(state->swingSeconds, 0.04, 1e-7);
    set("time.swing", 75);
    EXPECT_NEAR(state->swingSeconds, 0.125, 1e-7);
    EXPECT_NEAR(state->attackSeconds, 0.0015, 1e-9);
    set("time.attack", 0.01);
    EXPECT_NEAR(state->attackSeconds, 0.0001, 1e-9);
}

TEST_F(KernelStateTest, GlueMacroScalesTheCompressor) {
    EXPECT_NEAR(state->glueThreshold, -6.3, 1e-6);
    EXPECT_NEAR(state->glueRatio, 1.525, 1e-6);
    EXPECT_NEAR(state->glueDrive, 0.07, 1e-6);
    EXPECT_NEAR(state->glueLeft.makeup, 0.07 * 1.575, 1e-6);
    EXPECT_EQ(state->glueLeft.knee, 6);
    set("macro.glue", 0);
    EXPECT_EQ(state->glueThreshold, 0);
    EXPECT_EQ(state->glueRatio, 1);
    EXPECT_EQ(state->glueRight.makeup, 0);
    EXPECT_EQ(state->broadbandShare, 1);
}

TEST_F(KernelStateTest, BellsSitOnTheirFrequenciesAndCount) {
    const double expected[] = {90, 880, 3220, 8000};
    for (int bell = 0; bell < 4; ++bell) {
        EXPECT_NEAR(bellFrequency(*state, bell), expected[bell], 1e-3);
        EXPECT_NEAR(state->bellEqLeft.bands[bell].frequency, expected[bell], 1e-3);
    }
    EXPECT_TRUE(state->bellEqLeft.bands[2].requestedOn);
    EXPECT_FALSE(state->bellEqLeft.bands[3].requestedOn);
    set("shape.bellCount", 4);
    EXPECT_TRUE(state->bellEqRight.bands[3].requestedOn);
    set("shape.bellCount", 2);
    EXPECT_FALSE(state->bellEqRight.bands[2].requestedOn);
    EXPECT_TRUE(state->bellEqRight.bands[0].requestedOn);
}

TEST_F(KernelStateTest, SteppedValuesRoundHalvesUpAndEverythingClamps) {
    set("time.feel", 2.5);
    EXPECT_EQ(state->values[6], 3);
    set("sync.bpm", 300);
    EXPECT_EQ(state->values[0], 240);
    set("sync.bpm", 90.4);
    EXPECT_FLOAT_EQ(state->values[0], 90.4f); // the tempo is not rounded
    set("sidechain.audition", 1.49);
    EXPECT_EQ(state->auditionMode, 1);
    set("detect.kickHz", 1);
    EXPECT_EQ(state->laneHz[0], 30);
    // Values are held in single precision, as an event's value would be.
    set("macro.space", 0.35);
    EXPECT_EQ(state->values[1], 0.3499999940395355);
}

TEST_F(KernelStateTest, RefusesUnknownPathsAndNonFiniteValuesWithoutChange) {
    const auto before = state->values;
    EXPECT_FALSE(setParameter(*state, "Macro.space", 0.5));
    EXPECT_FALSE(setParameter(*state, "macro.space ", 0.5));
    EXPECT_FALSE(setParameter(*state, "macro.space", std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(setParameter(*state, "macro.space", std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(setParameterById(*state, 34, 1));
    EXPECT_EQ(state->values, before);
    EXPECT_TRUE(setParameterById(*state, 1, 0.5));
    EXPECT_EQ(state->values[1], 0.5f);
}

} // namespace
} // namespace vanto
