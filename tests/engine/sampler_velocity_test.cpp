// The velocity rules run against a parameter table that has the three velocity controls, since the
// product's own table has none; and the per-key sensitivity table built from a bank's zones.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "engine/sampler_velocity.h"

namespace vanto {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

vanto_param_desc row(uint32_t id, const char* path) {
    vanto_param_desc desc{};
    desc.id = id;
    desc.path = path;
    return desc;
}

// Velocity controls at ids 2 (mode), 3 (fixed) and 1 (variation), behind an unrelated row.
const std::array<vanto_param_desc, 4> kTestTable{row(0, "kick.gain"), row(1, "velocity.variation"),
                                                 row(2, "velocity.mode"), row(3, "velocity.fixed")};

class VelocityRules : public ::testing::Test {
  protected:
    VelocityRules() {
        rebuildSamplerVelocitySensitivity(sensitivity, nullptr, nullptr);
        set(0.0, 0.0, 0.0);
    }

    void set(double mode, double fixed, double variation) {
        params[2].store(mode);
        params[3].store(fixed);
        params[1].store(variation);
    }

    double resolve(int note, double velocity) {
        return resolveSamplerVelocity(note, velocity, ids, params, sensitivity, randomState);
    }

    SamplerVelocityParamIds ids = findSamplerVelocityParamIds(kTestTable);
    std::array<std::atomic<double>, 4> params{};
    SamplerVelocitySensitivity sensitivity;
    std::atomic<uint32_t> randomState{kVelocityRandomSeed};
};

TEST(SamplerVelocityParams, FoundByPathInTheGivenTable) {
    const SamplerVelocityParamIds ids = findSamplerVelocityParamIds(kTestTable);
    EXPECT_EQ(ids.mode, 2);
    EXPECT_EQ(ids.fixed, 3);
    EXPECT_EQ(ids.variation, 1);
    EXPECT_TRUE(ids.complete());

    const SamplerVelocityParamIds product = findSamplerVelocityParamIds(VANTO_PARAMS);
    EXPECT_EQ(product.mode, -1);
    EXPECT_EQ(product.fixed, -1);
    EXPECT_EQ(product.variation, -1);
}

TEST_F(VelocityRules, TableMissingAnyControlReturnsTheVelocityUnchanged) {
    ids = findSamplerVelocityParamIds(std::span(kTestTable).first(3)); // no "velocity.fixed"
    ASSERT_FALSE(ids.complete());
    set(1.0, 0.5, 0.25);
    for (const double velocity : {0.5, 1.7, -3.0, kInf}) {
        EXPECT_EQ(resolve(60, velocity), velocity);
    }
    EXPECT_TRUE(std::isnan(resolve(60, kNaN)));
    EXPECT_EQ(randomState.load(), kVelocityRandomSeed);
}

struct VelocityCase {
    const char* name;
    double mode;
    double fixed;
    float keySensitivity; // of note 60
    int note;
    double velocity;
    double expected;
};

void PrintTo(const VelocityCase& c, std::ostream* os) {
    *os << c.name;
}

class VelocityRuleTable : public VelocityRules, public ::testing::WithParamInterface<VelocityCase> {};

TEST_P(VelocityRuleTable, ResolvesWithoutVariation) {
    const VelocityCase& c = GetParam();
    set(c.mode, c.fixed, 0.0);
    sensitivity[60].store(c.keySensitivity);
    EXPECT_EQ(resolve(c.note, c.velocity), c.expected);
    EXPECT_EQ(randomState.load(), kVelocityRandomSeed) << "no variation, no random draw";
}

INSTANTIATE_TEST_SUITE_P(
    Table, VelocityRuleTable,
    ::testing::Values(VelocityCase{"PlayedVelocity", 0, 0, 1.0f, 60, 0.5, 0.5},
                      VelocityCase{"PlayedVelocityCappedAtOne", 0, 0, 1.0f, 60, 1.5, 1.0},
                      VelocityCase{"PlayedVelocityRaisedToTheMinimum", 0, 0, 1.0f, 60, 0.004, 0.01},
                      VelocityCase{"NegativeVelocity", 0, 0, 1.0f, 60, -0.2, 0.01},
                      VelocityCase{"NaNVelocity", 0, 0, 1.0f, 60, kNaN, 0.01},
                      VelocityCase{"InfiniteVelocity", 0, 0, 1.0f, 60, kInf, 0.01},
                      VelocityCase{"FixedBelowTheMinimum", 1, 0.005, 1.0f, 60, 0.8, 0.01},
                      VelocityCase{"FixedValue", 1, 0.7, 1.0f, 60, 0.2, 0.7},
                      VelocityCase{"FixedCappedAtOne", 1, 3.0, 1.0f, 60, 0.2, 1.0},
                      VelocityCase{"FixedNaN", 1, kNaN, 1.0f, 60, 0.2, 0.01},
                      VelocityCase{"ModeRoundsToFixed", 0.6, 0.3, 1.0f, 60, 0.2, 0.3},
                      VelocityCase{"ModeJustBelowOneAndAHalf", 1.49, 0.3, 1.0f, 60, 0.2, 0.3},
                      VelocityCase{"ModeOneAndAHalfIsNotFixed", 1.5, 0.3, 1.0f, 60, 0.2, 0.2},
                      VelocityCase{"ModeNaNIsNotFixed", kNaN, 0.3, 1.0f, 60, 0.2, 0.2},
                      VelocityCase{"HalfSensitivity", 0, 0, 0.5f, 60, 0.5, 0.75},
                      VelocityCase{"NoSensitivity", 0, 0, 0.0f, 60, 0.1, 1.0},
                      VelocityCase{"NaNSensitivityCountsAsNone", 0, 0, std::nanf(""), 60, 0.1, 1.0},
                      VelocityCase{"NegativeSensitivityCountsAsNone", 0, 0, -1.0f, 60, 0.1, 1.0},
                      VelocityCase{"SensitivityCappedAtOne", 0, 0, 2.0f, 60, 0.3, 0.3},
                      VelocityCase{"SensitivityWithFixedMode", 1, 0.5, 0.5f, 60, 0.9, 0.75},
                      VelocityCase{"OtherKeysKeepFullSensitivity", 0, 0, 0.0f, 61, 0.3, 0.3},
                      VelocityCase{"NoteBelowTheKeys", 0, 0, 0.0f, -1, 0.3, 0.3},
                      VelocityCase{"NoteAboveTheKeys", 0, 0, 0.0f, 128, 0.3, 0.3}),
    [](const ::testing::TestParamInfo<VelocityCase>& info) { return std::string(info.param.name); });

TEST_F(VelocityRules, VariationScattersAroundTheVelocityAndAdvancesTheState) {
    set(0.0, 0.0, 0.2);
    double lowest = 1.0;
    double highest = 0.0;
    constexpr int kNotes = 1000;
    for (int i = 0; i < kNotes; ++i) {
        const double v = resolve(60, 0.5);
        ASSERT_GE(v, 0.4);
        ASSERT_LT(v, 0.6);
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    EXPECT_LT(lowest, 0.42);
    EXPECT_GT(highest, 0.58);
    EXPECT_EQ(randomState.load(), kVelocityRandomSeed + static_cast<uint32_t>(kNotes) * 0x9E3779B9u);
}

TEST_F(VelocityRules, VariationIsCappedAtAQuarter) {
    set(0.0, 0.0, 5.0);
    bool beyondTwentyPercent = false;
    for (int i = 0; i < 1000; ++i) {
        const double v = resolve(60, 0.5);
        ASSERT_GE(v, 0.375);
        ASSERT_LT(v, 0.625);
        beyondTwentyPercent = beyondTwentyPercent || v < 0.4 || v >= 0.6;
    }
    EXPECT_TRUE(beyondTwentyPercent);
}

TEST_F(VelocityRules, VariationKeepsTheResultWithinTheVelocityRange) {
    set(1.0, 0.005, 0.25);
    for (int i = 0; i < 200; ++i) {
        const double low = resolve(60, 0.5);
        ASSERT_GE(low, 0.01);
        ASSERT_LE(low, 0.0125);
    }
    set(0.0, 0.0, 0.25);
    for (int i = 0; i < 200; ++i) {
        const double high = resolve(60, 1.0);
        ASSERT_GE(high, 0.75);
        ASSERT_LE(high, 1.0);
    }
}

TEST_F(VelocityRules, UnusableVariationIsNone) {
    for (const double variation : {0.0, -0.1, kNaN, -kInf}) {
        set(0.0, 0.0, variation);
        EXPECT_EQ(resolve(60, 0.5), 0.5);
    }
    EXPECT_EQ(randomState.load(), kVelocityRandomSeed);
}

TEST_F(VelocityRules, IdsBeyondTheParameterValuesReadAsMissing) {
    ids = SamplerVelocityParamIds{10, 11, 12};
    EXPECT_EQ(resolve(60, 0.8), 0.01) << "a missing mode means fixed mode; a missing fixed value the minimum";
    EXPECT_EQ(randomState.load(), kVelocityRandomSeed) << "a missing variation means none";
}

// A drum bank's zones: single keys without key tracking take their pad's sensitivity.
StagedZone zone(const char* id, uint32_t lowKey, uint32_t highKey, bool keyTracking) {
    StagedZone z;
    z.id = id;
    z.lowKey = lowKey;
    z.highKey = highKey;
    z.keyTracking = keyTracking;
    return z;
}

SamplerPadOverride sensitivityPad(std::string id, double sensitivity) {
    SamplerPadOverride pad;
    pad.padId = std::move(id);
    pad.velocitySensitivity = sensitivity;
    pad.mask = kPadVelocitySensitivity;
    return pad;
}

TEST(SamplerVelocitySensitivity, BuiltFromTheFirstMatchingSingleKeyZone) {
    StagedBank bank;
    bank.zones = {zone("kick", 36, 36, false),   zone("kick2", 36, 36, false), zone("snare", 38, 38, true),
                  zone("hats", 42, 44, false),   zone("far", 200, 200, false), zone("clap", 39, 39, false),
                  zone("clap-b", 39, 39, false), zone("ride", 51, 51, false),  zone("crash", 49, 49, false),
                  zone("top", 127, 127, false),  zone("edge", 128, 128, false)};
    SamplerPadOverride clapGainOnly;
    clapGainOnly.padId = "clap";
    clapGainOnly.mask = kPadGain;
    clapGainOnly.gain = 2.0;
    const SamplerPadOverrides overrides{
        sensitivityPad("kick", 0.25),  sensitivityPad("kick2", 0.75),
        sensitivityPad("snare", 0.5),  sensitivityPad("hats", 0.5),
        sensitivityPad("far", 0.5),    clapGainOnly,
        sensitivityPad("clap-b", 0.6), sensitivityPad(std::string("crash\0tail", 10), 0.125),
        sensitivityPad("top", 0.0),    sensitivityPad("edge", 0.5)};

    SamplerVelocitySensitivity table;
    rebuildSamplerVelocitySensitivity(table, &overrides, &bank);
    std::array<float, kSamplerKeyCount> expected;
    expected.fill(1.0f);
    expected[36] = 0.25f;  // the first of two zones on the key
    expected[39] = 0.6f;   // the first zone's pad sets no sensitivity, so the key stays open
    expected[49] = 0.125f; // ids compare up to their first zero byte
    expected[127] = 0.0f;
    for (int key = 0; key < kSamplerKeyCount; ++key) {
        EXPECT_EQ(table[static_cast<std::size_t>(key)].load(), expected[static_cast<std::size_t>(key)])
            << "key " << key;
    }

    const SamplerPadOverrides none;
    for (const auto& [list, source] : {std::pair{&overrides, static_cast<const StagedBank*>(nullptr)},
                                       std::pair{&none, static_cast<const StagedBank*>(&bank)},
                                       std::pair{static_cast<const SamplerPadOverrides*>(nullptr),
                                                 static_cast<const StagedBank*>(&bank)}}) {
        rebuildSamplerVelocitySensitivity(table, &overrides, &bank);
        rebuildSamplerVelocitySensitivity(table, list, source);
        for (const std::atomic<float>& value : table) {
            ASSERT_EQ(value.load(), 1.0f) << "no overrides or no bank: every key back to full sensitivity";
        }
    }
}

} // namespace
} // namespace vanto
