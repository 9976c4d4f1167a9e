// KernelEngine::setup: host configuration checks, converter sizing, kernel instances and the
// diagnostics recorded when set-up fails.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "diagnostics/diagnostic_vocabulary.h"
#include "engine/kernel_engine.h"
#include "engine_test_support.h"
#include "kernel/dovrel_kernel.h"

namespace vanto {
namespace {

struct AcceptedSetup {
    double rate;
    int maxBlock;
    uint64_t numerator;
    uint64_t denominator;
    bool converting;
    uint64_t fifoCapacity;
};

class SetupAccepts : public ::testing::TestWithParam<AcceptedSetup> {};

TEST_P(SetupAccepts, StoresTheExactRateAndSizesTheConverter) {
    const AcceptedSetup c = GetParam();
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(c.rate, c.maxBlock));
    EXPECT_TRUE(engine.ready());
    EXPECT_NE(engine.instanceToken(), 0u);
    EXPECT_EQ(engine.rateNumerator(), c.numerator);
    EXPECT_EQ(engine.rateDenominator(), c.denominator);
    EXPECT_EQ(engine.hostRate(), static_cast<double>(c.numerator) / static_cast<double>(c.denominator));
    EXPECT_EQ(engine.maxBlockFrames(), c.maxBlock);
    EXPECT_EQ(engine.rateConversionActive(), c.converting);
    EXPECT_EQ(engine.fifoCapacity(), c.fifoCapacity);
    EXPECT_EQ(engine.diagnostics().count, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, SetupAccepts,
    ::testing::Values(AcceptedSetup{48000.0, 512, 48000, 1, false, 1544},
                      // max(3 × 512 + 8, ceil(512 × 48000 / 44100) + 64 = 622)
                      AcceptedSetup{44100.0, 512, 44100, 1, true, 1544},
                      AcceptedSetup{44100.5, 256, 88201, 2, true, 776},
                      AcceptedSetup{96000.0, 64, 96000, 1, true, 200},
                      AcceptedSetup{48000.0, 16384, 48000, 1, false, 49160},
                      // Low rates need more kernel frames per host block than the history.
                      AcceptedSetup{8000.0, 1024, 8000, 1, true, 6208}));

struct RejectedSetup {
    double rate;
    int maxBlock;
    const char* message;
    bool ceilingLine;
};

class SetupRejects : public ::testing::TestWithParam<RejectedSetup> {};

TEST_P(SetupRejects, RecordsInvalidConfigurationAndStaysNotReady) {
    const RejectedSetup c = GetParam();
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 128));
    const uint32_t previousInstance = engine.instanceToken();

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(engine.setup(c.rate, c.maxBlock));
    const std::string stderrText = ::testing::internal::GetCapturedStderr();

    EXPECT_FALSE(engine.ready());
    // The previous instance is kept (unused) when set-up fails before replacing it.
    EXPECT_EQ(engine.instanceToken(), previousInstance);
    const vanto_runtime_diagnostic_ring& ring = engine.diagnostics();
    ASSERT_EQ(ring.count, 1u);
    EXPECT_EQ(ring.entries[0].code, kDiagInvalidConfiguration);
    EXPECT_EQ(ring.entries[0].severity, kSeverityError);
    EXPECT_EQ(ring.entries[0].phase, kPhaseConfigure);
    EXPECT_STREQ(ring.entries[0].message, c.message);
    EXPECT_STREQ(ring.entries[0].detail, "");
    EXPECT_EQ(ring.firstErrorSequence, ring.entries[0].sequence);

    const bool fifoRefusal = std::strcmp(c.message, "host rate requires unsupported SRC FIFO capacity") == 0;
    EXPECT_EQ(stderrText.find("vanto-plugin-shell: rejected host format (sampleRate=") != std::string::npos,
              !fifoRefusal)
        << stderrText;
    const std::string ceiling =
        "vanto-plugin-shell: maxBlockFrames exceeds the 16384-frame ceiling; render long "
        "fixtures as a LOOP of <=16384-frame blocks rather than declaring the whole fixture "
        "as one block\n";
    EXPECT_EQ(stderrText.find(ceiling) != std::string::npos, c.ceilingLine) << stderrText;
}

constexpr const char* kInvalid = "host processing configuration is invalid";

INSTANTIATE_TEST_SUITE_P(
    Configurations, SetupRejects,
    ::testing::Values(RejectedSetup{0.0, 512, kInvalid, false},
                      RejectedSetup{std::numeric_limits<double>::quiet_NaN(), 512, kInvalid, false},
                      RejectedSetup{std::numeric_limits<double>::infinity(), 512, kInvalid, false},
                      RejectedSetup{4000001.0, 512, kInvalid, false},
                      RejectedSetup{48000.0, 0, kInvalid, false}, RejectedSetup{48000.0, -5, kInvalid, false},
                      RejectedSetup{48000.0, 16385, kInvalid, true},
                      // 16384 × 48000 / 700 + 64 = 1,123,539 frames per channel.
                      RejectedSetup{700.0, 16384, "host rate requires unsupported SRC FIFO capacity",
                                    false}));

TEST(SetupFormat, RejectedFormatLineNamesTheArgumentsAsReceived) {
    KernelEngine engine;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(engine.setup(44100.25, 20000));
    const std::string stderrText = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(stderrText.find(
                  "vanto-plugin-shell: rejected host format (sampleRate=44100.25, maxBlockFrames=20000)\n"),
              std::string::npos)
        << stderrText;
}

TEST(SetupInstances, EachSetupReplacesTheInstanceAndKeepsThePoolFree) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 256));
    const uint32_t first = engine.instanceToken();
    // More set-ups than the kernel has slots: each one destroys the old instance before creating.
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(engine.setup(i % 2 == 0 ? 44100.0 : 48000.0, 256)) << i;
    }
    EXPECT_NE(engine.instanceToken(), first);
    // The first handle is stale now.
    EXPECT_EQ(dovrel_kernel_process(first, 16), 1.0);
}

TEST(SetupInstances, AnEngineBeyondThePoolRecordsTheFailureAndPassesItsInputThrough) {
    std::vector<std::unique_ptr<KernelEngine>> engines;
    for (int i = 0; i < DOVREL_KERNEL_MAX_INSTANCES; ++i) {
        engines.push_back(std::make_unique<KernelEngine>());
        ASSERT_TRUE(engines.back()->setup(48000.0, 128)) << i;
    }
    KernelEngine extra;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(extra.setup(48000.0, 128));
    const std::string stderrText = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(extra.ready());
    EXPECT_EQ(extra.instanceToken(), 0u);
    const vanto_runtime_diagnostic_ring& ring = extra.diagnostics();
    ASSERT_EQ(ring.count, 2u);
    EXPECT_EQ(ring.entries[0].code, kDiagKernelCreateFailed);
    EXPECT_EQ(ring.entries[0].severity, kSeverityFatal);
    EXPECT_STREQ(ring.entries[0].message, "product kernel instance creation failed");
    EXPECT_EQ(ring.entries[1].code, kDiagEngineUnavailable);
    EXPECT_EQ(ring.entries[1].severity, kSeverityFatal);
    EXPECT_STREQ(ring.entries[1].message, "kernel runtime is unavailable after setup");
    EXPECT_EQ(ring.entries[1].sequence, ring.entries[0].sequence + 1);
    EXPECT_NE(stderrText.find("vanto-plugin-shell: kernel setup failed at 48000 Hz\n"), std::string::npos);

    // The runtime was initialised only once: the engines set up first still own live instances.
    std::vector<float> silence(128, 0.0f);
    const float* in[2] = {silence.data(), silence.data()};
    std::vector<float> left(128), right(128);
    float* out[2] = {left.data(), right.data()};
    engines.front()->processBlock(in, 2, out, 2, 128);
    EXPECT_FALSE(engines.front()->callbackFailed());

    // The engine without an instance passes its input through, unchanged and without latency, and the
    // host's changes still become its stored values.
    EXPECT_TRUE(extra.passingThrough());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(extra.setup(44100.0, 128));
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(extra.passingThrough());
    EXPECT_EQ(extra.latencySamples(), 0);
    std::vector<float> inLeft(128), inRight(128);
    for (int i = 0; i < 128; ++i) {
        inLeft[static_cast<std::size_t>(i)] = 0.5f * std::sin(0.1f * static_cast<float>(i));
        inRight[static_cast<std::size_t>(i)] = -0.25f;
    }
    inRight[7] = std::numeric_limits<float>::quiet_NaN();
    const float* sound[2] = {inLeft.data(), inRight.data()};
    ASSERT_TRUE(extra.pushParamNormalized(11, 1.0, 64));
    extra.processBlock(sound, 2, out, 2, 128);
    EXPECT_FALSE(extra.callbackFailed());
    EXPECT_EQ(left, inLeft);
    inRight[7] = 0.0f; // a sample that is no number still enters as silence
    EXPECT_EQ(right, inRight);
    EXPECT_EQ(extra.paramValue(11), 18.0);
    extra.drainRuntimeDiagnostics();
    EXPECT_EQ(extra.diagnostics().count, 4u) << "the set-ups reported; the blocks add nothing";

    // A freed slot makes room again.
    engines.pop_back();
    EXPECT_TRUE(extra.setup(48000.0, 128));
    EXPECT_FALSE(extra.passingThrough());
}

TEST(Lifecycle, VariationIsClampedToItsRange) {
    KernelEngine engine;
    EXPECT_EQ(engine.variation(), 16);
    for (const auto& [given, stored] :
         {std::pair{-3, 0}, std::pair{25, 19}, std::pair{7, 7}, std::pair{19, 19}}) {
        engine.setVariation(given);
        EXPECT_EQ(engine.variation(), stored) << given;
    }
}

TEST(Lifecycle, ResetParamsRestoresDefaultsWithoutReplacingTheInstance) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(44100.0, 256));
    const uint32_t instance = engine.instanceToken();
    engine.setParamValue(11, 12.0);
    engine.setVariation(3);
    ASSERT_TRUE(engine.pushParamNormalized(0, 1.0, 5));

    engine.resetParams();
    EXPECT_EQ(engine.paramValue(11), 9.0);
    EXPECT_EQ(engine.variation(), 16);
    EXPECT_EQ(engine.queuedEventCount(), 0);
    EXPECT_EQ(engine.instanceToken(), instance);
    EXPECT_TRUE(engine.ready());
}

// At 44100 Hz the adapter holds changes queued late in a host block for a kernel chunk that is not
// rendered yet. A new setup (the host deactivating and reactivating) must not lose them.
class PendingChangesAcrossSetup : public ::testing::Test {
  protected:
    static constexpr double kRate = 44100.0;
    static constexpr int kBlock = 256;
    static constexpr double kOlderMix = 0.14;

    void SetUp() override {
        ASSERT_TRUE(engine.setup(kRate, kBlock));
        engine.setParamValue(test::kParamMix, kOlderMix);
    }

    // Renders one block after queuing `changes` (frame, mix value), and checks they stayed pending.
    void renderWithPendingMixChanges(std::initializer_list<std::pair<int, double>> changes) {
        for (const auto& [frame, mix] : changes) {
            ASSERT_TRUE(engine.pushParamNormalized(test::kParamMix, mix, frame));
        }
        test::renderSignal(engine, test::Stereo(kBlock), kBlock);
        ASSERT_EQ(engine.queuedEventCount(), static_cast<int>(changes.size()));
        EXPECT_EQ(engine.paramValue(test::kParamMix), kOlderMix);
    }

    // What a freshly set-up engine renders from a sine with `mix` stored before its first block.
    static test::Stereo renderFreshWithMix(double mix, const test::Stereo& input) {
        KernelEngine fresh;
        EXPECT_TRUE(fresh.setup(kRate, kBlock));
        fresh.setParamValue(test::kParamMix, mix);
        return test::renderSignal(fresh, input, kBlock);
    }

    KernelEngine engine;
};

TEST_F(PendingChangesAcrossSetup, NewestPendingValueBecomesTheStoredValue) {
    // Queued out of time order: the later frame is the newer value, whatever the arrival order.
    renderWithPendingMixChanges({{kBlock - 2, 0.13}, {kBlock - 6, 0.5}});

    ASSERT_TRUE(engine.setup(kRate, kBlock));
    EXPECT_EQ(engine.queuedEventCount(), 0);
    EXPECT_EQ(engine.paramValue(test::kParamMix), 0.13);
}

TEST_F(PendingChangesAcrossSetup, TheNewInstanceRendersWithThePendingValue) {
    constexpr double kNewerMix = 0.6;
    renderWithPendingMixChanges({{kBlock - 1, kNewerMix}});
    ASSERT_TRUE(engine.setup(kRate, kBlock));

    const test::Stereo input = test::sine(1000.0, kRate, 4 * kBlock, 0.5);
    const test::Stereo rendered = test::renderSignal(engine, input, kBlock);
    const test::Stereo expected = renderFreshWithMix(kNewerMix, input);
    EXPECT_EQ(rendered.left, expected.left);
    EXPECT_EQ(rendered.right, expected.right);
    // The comparison only shows the change if the older value renders differently.
    EXPECT_NE(renderFreshWithMix(kOlderMix, input).left, expected.left);
}

TEST(Lifecycle, NewEngineMirrorsTheDefaultsAndHasNoKernel) {
    const double defaults[KernelEngine::kParamCount] = {
        120, 0.35, 0.4,  0.35, 0,    5,   1, 1.5, 0,   50,  0.35, 9,  1, 0.85, 0.6, 0.45, 0.5,
        70,  440,  7000, 120,  6000, 0.6, 3, 1.4, -18, 2.5, 0.2,  30, 1, 0,    1,   0.9,  0};
    KernelEngine engine;
    for (uint32_t id = 0; id < KernelEngine::kParamCount; ++id) {
        EXPECT_EQ(engine.paramValue(id), defaults[id]) << id;
    }
    EXPECT_FALSE(engine.ready());
    EXPECT_EQ(engine.instanceToken(), 0u);
    EXPECT_TRUE(engine.hasKernel());
    EXPECT_FALSE(KernelEngine::kernelTrapped());
    EXPECT_EQ(engine.diagnostics().headerWord, 1u);
    EXPECT_EQ(engine.diagnostics().nextSequence, 1u);
    EXPECT_EQ(engine.eventInputCount(), 0);
    EXPECT_EQ(engine.eventOutputCount(), 0);
    EXPECT_EQ(engine.midiOutput().count(), 0);
}

TEST(Lifecycle, LatencyIsTheAdapterDelayRoundedUp) {
    struct Case {
        double rate;
        int latency;
    };
    for (const Case c : {Case{48000.0, 0}, Case{44100.0, 35}, Case{96000.0, 56}, Case{88200.0, 53}}) {
        KernelEngine engine;
        ASSERT_TRUE(engine.setup(c.rate, 512));
        EXPECT_EQ(engine.latencySamples(), c.latency) << c.rate;
    }
}

} // namespace
} // namespace vanto
