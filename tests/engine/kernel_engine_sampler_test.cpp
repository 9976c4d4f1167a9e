// The engine's sampler side: publishing pad overrides as immutable snapshots, the sensitivity table
// they feed, velocities in this product, and the sample-bank hooks with the records they leave.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <ostream>
#include <string>

#include "diagnostics/diagnostic_vocabulary.h"
#include "engine/kernel_engine.h"

namespace vanto {
namespace {

SamplerPadOverride pad(std::string id, double gain = 0.5) {
    SamplerPadOverride p;
    p.padId = std::move(id);
    p.gain = gain;
    p.mask = kPadGain;
    return p;
}

SamplerPadOverrides pads(std::size_t count) {
    SamplerPadOverrides list;
    for (std::size_t i = 0; i < count; ++i) {
        // Appending the number (rather than "p" + text) keeps GCC 12's -Wrestrict quiet at -O2, where
        // it misreads the inlined insert at the front of a string.
        std::string id = "p";
        id += std::to_string(i);
        list.push_back(pad(std::move(id)));
    }
    return list;
}

void expectFullSensitivity(const KernelEngine& engine) {
    for (int key = 0; key < kSamplerKeyCount; ++key) {
        ASSERT_EQ(engine.samplerVelocitySensitivity(key), 1.0f) << "key " << key;
    }
}

TEST(SamplerPadPublication, NothingIsPublishedBeforeTheFirstPublication) {
    const KernelEngine engine;
    EXPECT_EQ(engine.samplerPadOverrides(), nullptr);
    EXPECT_EQ(engine.samplerPadOverridesGeneration(), 0u);
    expectFullSensitivity(engine);
}

TEST(SamplerPadPublication, PublishesAnImmutableCopyAndCountsGenerations) {
    KernelEngine engine;
    SamplerPadOverrides list{pad("kick"), pad("snare", 2.0)};
    ASSERT_TRUE(engine.publishSamplerPadOverrides(list));
    const SamplerPadOverrides* published = engine.samplerPadOverrides();
    ASSERT_NE(published, nullptr);
    EXPECT_EQ(*published, list);
    list[0].gain = 4.0;
    EXPECT_EQ((*published)[0].gain, 0.5) << "the snapshot is a copy";
    EXPECT_EQ(engine.samplerPadOverridesGeneration(), 1u);

    ASSERT_TRUE(engine.publishSamplerPadOverrides({}));
    ASSERT_NE(engine.samplerPadOverrides(), nullptr);
    EXPECT_TRUE(engine.samplerPadOverrides()->empty()) << "an empty list clears the overrides";
    EXPECT_EQ(engine.samplerPadOverridesGeneration(), 2u);

    ASSERT_TRUE(engine.publishSamplerPadOverrides(pads(256)));
    EXPECT_EQ(engine.samplerPadOverrides()->size(), 256u);
    EXPECT_EQ(engine.samplerPadOverridesGeneration(), 3u);
    EXPECT_EQ(engine.retiredSamplerPadOverrideCount(), 0u) << "no reader holds a replaced snapshot";
}

struct RefusedList {
    const char* name;
    SamplerPadOverrides list;
};

void PrintTo(const RefusedList& c, std::ostream* os) {
    *os << c.name;
}

SamplerPadOverrides withEmptyMask() {
    SamplerPadOverrides list{pad("a"), pad("b")};
    list[1].mask = 0;
    return list;
}

class RefusedPublication : public ::testing::TestWithParam<RefusedList> {};

TEST_P(RefusedPublication, KeepsThePreviousSnapshot) {
    KernelEngine engine;
    const SamplerPadOverrides previous{pad("kept")};
    ASSERT_TRUE(engine.publishSamplerPadOverrides(previous));
    const SamplerPadOverrides* snapshot = engine.samplerPadOverrides();

    EXPECT_FALSE(engine.publishSamplerPadOverrides(GetParam().list));
    EXPECT_EQ(engine.samplerPadOverrides(), snapshot);
    EXPECT_EQ(*engine.samplerPadOverrides(), previous);
    EXPECT_EQ(engine.samplerPadOverridesGeneration(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedPublication,
    ::testing::Values(RefusedList{"MoreThan256Entries", pads(257)},
                      RefusedList{"EmptyId", {pad("a"), pad("")}},
                      RefusedList{"IdLongerThan160Bytes", {pad(std::string(kMaxSamplerPadIdBytes + 1, 'x'))}},
                      RefusedList{"EmptyMask", withEmptyMask()}),
    [](const ::testing::TestParamInfo<RefusedList>& info) { return std::string(info.param.name); });

TEST(SamplerPadPublication, IdOf160BytesIsPublished) {
    KernelEngine engine;
    EXPECT_TRUE(engine.publishSamplerPadOverrides({pad(std::string(kMaxSamplerPadIdBytes, 'x'))}));
}

TEST(SamplerPadPublication, RefusedFirstPublicationLeavesNothingPublished) {
    KernelEngine engine;
    EXPECT_FALSE(engine.publishSamplerPadOverrides({pad("")}));
    EXPECT_EQ(engine.samplerPadOverrides(), nullptr);
    EXPECT_EQ(engine.samplerPadOverridesGeneration(), 0u);
}

TEST(SamplerPadPublication, ASnapshotMarkedInUseOutlivesLaterPublications) {
    KernelEngine engine;
    ASSERT_TRUE(engine.publishSamplerPadOverrides({pad("first", 0.25)}));
    const SamplerPadOverrides* held = engine.acquireSamplerPadOverrides();
    ASSERT_EQ(held, engine.samplerPadOverrides());

    ASSERT_TRUE(engine.publishSamplerPadOverrides({pad("second")}));
    ASSERT_TRUE(engine.publishSamplerPadOverrides({pad("third")}));
    EXPECT_EQ(engine.retiredSamplerPadOverrideCount(), 1u) << "only the held snapshot is kept";
    // Still readable (the address sanitizer build would catch a freed snapshot here).
    ASSERT_EQ(held->size(), 1u);
    EXPECT_EQ((*held)[0].padId, "first");
    EXPECT_EQ((*held)[0].gain, 0.25);

    engine.releaseSamplerPadOverrides();
    ASSERT_TRUE(engine.publishSamplerPadOverrides({pad("fourth")}));
    EXPECT_EQ(engine.retiredSamplerPadOverrideCount(), 0u);
}

TEST(SamplerPadPublication, RebuildsTheSensitivityWithoutABank) {
    KernelEngine engine;
    StagedBank bank;
    StagedZone kick;
    kick.id = "kick";
    kick.lowKey = kick.highKey = 36;
    kick.keyTracking = false;
    bank.zones.push_back(kick);
    SamplerPadOverride soft = pad("kick");
    soft.mask |= kPadVelocitySensitivity;
    soft.velocitySensitivity = 0.25;
    const SamplerPadOverrides overrides{soft};

    engine.refreshSamplerPadVelocitySensitivity(&overrides, &bank, 7);
    EXPECT_EQ(engine.samplerVelocitySensitivity(36), 0.25f);
    EXPECT_EQ(engine.samplerVelocitySensitivity(35), 1.0f);
    EXPECT_EQ(engine.samplerVelocitySensitivity(-1), 1.0f);
    EXPECT_EQ(engine.samplerVelocitySensitivity(128), 1.0f);

    // The engine holds no bank, so the same overrides published leave every key at full sensitivity.
    ASSERT_TRUE(engine.publishSamplerPadOverrides(overrides));
    expectFullSensitivity(engine);
}

TEST(SamplerVelocity, ThisProductReturnsEveryVelocityUnchanged) {
    KernelEngine engine;
    EXPECT_EQ(engine.velocityRandomState(), kVelocityRandomSeed);
    for (const int note : {-5, 0, 60, 127, 300}) {
        for (const double velocity : {0.0, 0.004, 0.5, 1.0, 1.5, -1.0}) {
            EXPECT_EQ(engine.resolveSamplerVelocity(note, velocity), velocity);
        }
    }
    EXPECT_TRUE(std::isnan(engine.resolveSamplerVelocity(60, std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(engine.velocityRandomState(), kVelocityRandomSeed);
    ASSERT_TRUE(engine.setup(48000.0, 256));
    EXPECT_EQ(engine.velocityRandomState(), kVelocityRandomSeed);
    engine.resetParams();
    EXPECT_EQ(engine.velocityRandomState(), kVelocityRandomSeed);
}

// Sample-bank hooks.

const vanto_runtime_diagnostic& lastRecord(const KernelEngine& engine) {
    return engine.diagnostics().entries[engine.diagnostics().count - 1];
}

TEST(SampleBankHooks, EveryBankIsRefusedAndNothingRecorded) {
    KernelEngine engine;
    auto bank = std::make_shared<StagedBank>();
    bank->id = "drums";
    bank->zones.resize(4);
    EXPECT_FALSE(engine.publishRuntimeBank(bank));
    EXPECT_FALSE(engine.publishRuntimeBank(nullptr));
    EXPECT_EQ(engine.diagnostics().count, 0u);
    EXPECT_EQ(bank.use_count(), 1) << "the engine keeps no reference";
}

TEST(SampleBankHooks, RecallOfANamedBankIsRecordedAsMissing) {
    KernelEngine engine;
    EXPECT_EQ(engine.recallSampleBank(false, "drums"), BankRecallOutcome::ok);
    EXPECT_EQ(engine.recallSampleBank(true, ""), BankRecallOutcome::ok);
    EXPECT_EQ(engine.recallSampleBank(true, nullptr), BankRecallOutcome::ok);
    EXPECT_EQ(engine.diagnostics().count, 0u);

    EXPECT_EQ(engine.recallSampleBank(true, "drums"), BankRecallOutcome::missing);
    ASSERT_EQ(engine.diagnostics().count, 1u);
    const vanto_runtime_diagnostic& record = lastRecord(engine);
    EXPECT_EQ(record.code, kDiagBankMissing);
    EXPECT_EQ(record.severity, kSeverityError);
    EXPECT_EQ(record.phase, kPhaseState);
    EXPECT_STREQ(
        record.message,
        "state recall named a bank this build does not contain; parameters kept, output silent, no bank "
        "substituted");
    EXPECT_STREQ(record.detail, R"({"bank":"drums","banks":0})");
}

TEST(SampleBankHooks, RecallFailuresOnlyForMissingAndMismatchedBanks) {
    KernelEngine engine;
    engine.recordBankRecallFailure(BankRecallOutcome::ok, "drums");
    EXPECT_EQ(engine.diagnostics().count, 0u);
    engine.recordBankRecallFailure(BankRecallOutcome::hashMismatch, "drums");
    ASSERT_EQ(engine.diagnostics().count, 1u);
    EXPECT_EQ(lastRecord(engine).code, kDiagBankHashMismatch);
    EXPECT_EQ(lastRecord(engine).phase, kPhaseState);
    EXPECT_STREQ(lastRecord(engine).message,
                 "state recall named a bank whose manifest hash differs from the one "
                 "compiled in; parameters kept, output silent");
}

TEST(SampleBankHooks, RuntimeBankFailuresNameTheOutcome) {
    KernelEngine engine;
    engine.recordRuntimeBankFailure(RuntimeBankOutcome::ok, "fine", "hosted");
    EXPECT_EQ(engine.diagnostics().count, 0u);

    engine.recordRuntimeBankFailure(RuntimeBankOutcome::bankHashMismatch, "asset \"kick\" sha256 differs",
                                    "user-folder");
    ASSERT_EQ(engine.diagnostics().count, 1u);
    EXPECT_EQ(lastRecord(engine).code, kDiagBankHashMismatch);
    EXPECT_EQ(lastRecord(engine).severity, kSeverityError);
    EXPECT_EQ(lastRecord(engine).phase, kPhaseLoad);
    EXPECT_STREQ(lastRecord(engine).message,
                 "runtime bank load refused (bank-hash-mismatch): asset \"kick\" sha256 differs");
    EXPECT_STREQ(lastRecord(engine).detail, R"({"reason":"bank-hash-mismatch","source":"user-folder"})");

    engine.recordRuntimeBankFailure(RuntimeBankOutcome::bankTooLarge,
                                    "the engine refused the staged bank (arena capacity)", nullptr);
    ASSERT_EQ(engine.diagnostics().count, 2u);
    EXPECT_EQ(lastRecord(engine).code, kDiagBankMissing);
    EXPECT_STREQ(
        lastRecord(engine).message,
        "runtime bank load refused (bank-too-large): the engine refused the staged bank (arena capacity)");
    EXPECT_STREQ(lastRecord(engine).detail, R"({"reason":"bank-too-large","source":""})");
}

} // namespace
} // namespace vanto
