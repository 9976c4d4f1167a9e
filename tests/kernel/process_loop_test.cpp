#include "denormal_guard.h"
#include "kernel_process.h"
#include "param_table.h"
#include "recovery_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace vanto {
namespace {

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(std::size_t frames = 0) : left(frames), right(frames) {}
    std::size_t frames() const { return left.size(); }
};

std::unique_ptr<KernelState> preparedState() {
    auto state = std::make_unique<KernelState>();
    createState(*state);
    EXPECT_TRUE(prepare(*state, {2, 128, 2, 48000}));
    return state;
}

// Renders through the kernel in 128-frame blocks; `perFrame` (if given) runs after every block of one frame
// so that tests can watch the state block by block.
template <typename Watch> Stereo render(KernelState& state, const Stereo& in, int blockFrames, Watch watch) {
    const DenormalGuard denormals; // as the module's process entry does
    Stereo out(in.frames());
    float input[256] = {};
    float output[256] = {};
    for (std::size_t start = 0; start < in.frames(); start += blockFrames) {
        const int frames = static_cast<int>(std::min<std::size_t>(blockFrames, in.frames() - start));
        for (int i = 0; i < frames; ++i) {
            input[i] = in.left[start + i];
            input[128 + i] = in.right[start + i];
        }
        const KernelBlock block{128, double(frames), 0, input, 256, 2, output, 256, 2};
        EXPECT_TRUE(processBlock(state, block));
        for (int i = 0; i < frames; ++i) {
            out.left[start + i] = output[i];
            out.right[start + i] = output[128 + i];
        }
        watch(start + frames);
    }
    return out;
}

Stereo render(KernelState& state, const Stereo& in) {
    return render(state, in, 128, [](std::size_t) {});
}

Stereo noise(std::size_t frames, double amplitude, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> sample(-1, 1);
    Stereo s(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        s.left[i] = static_cast<float>(amplitude * sample(random));
        s.right[i] = static_cast<float>(amplitude * sample(random));
    }
    return s;
}

// A drum-like signal: a decaying 55 Hz kick every `period` seconds over a quiet sustained tone.
Stereo kicks(std::size_t frames, const std::vector<double>& hitSeconds) {
    Stereo s(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = i / 48000.0;
        double x = 0.02 * std::sin(2 * std::numbers::pi * 220 * t);
        for (double hit : hitSeconds) {
            const double tau = t - hit;
            if (tau >= 0 && tau < 0.2) {
                x += 0.8 * std::exp(-25 * tau) * std::sin(2 * std::numbers::pi * 55 * tau);
            }
        }
        s.left[i] = s.right[i] = static_cast<float>(x);
    }
    return s;
}

TEST(ProcessLoop, SilenceInGivesSilenceOut) {
    auto state = preparedState();
    const Stereo out = render(*state, Stereo(48000));
    for (std::size_t i = 0; i < out.frames(); ++i) {
        ASSERT_EQ(out.left[i], 0.0f);
        ASSERT_EQ(out.right[i], 0.0f);
    }
}

TEST(ProcessLoop, MixZeroGivesDryTimesMasterAndDeltaAuditionGivesSilence) {
    for (int audition : {0, 2}) {
        auto state = preparedState();
        ASSERT_TRUE(setParameter(*state, "mix.amount", 0));
        ASSERT_TRUE(setParameter(*state, "sidechain.audition", audition));
        const Stereo in = noise(48000 * 3, 0.5);
        const Stereo out = render(*state, in);
        ASSERT_EQ(state->mixAmount, 0.0f) << "the mix has settled";
        for (std::size_t i = 48000 * 2; i < in.frames(); ++i) {
            const double master = 0.9f; // the kernel holds its values in single precision
            const float left = audition == 2 ? 0.0f : static_cast<float>(in.left[i] * master);
            const float right = audition == 2 ? 0.0f : static_cast<float>(in.right[i] * master);
            ASSERT_EQ(out.left[i], left) << i;
            ASSERT_EQ(out.right[i], right) << i;
        }
    }
}

TEST(ProcessLoop, ExternalSourceBehavesExactlyLikeInternal) {
    const Stereo in = kicks(48000, {0.0, 0.5});
    auto external = preparedState();
    auto internal = preparedState();
    ASSERT_TRUE(setParameter(*internal, "sidechain.source", 1));
    const Stereo a = render(*external, in);
    const Stereo b = render(*internal, in);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
    EXPECT_TRUE(external->externalFallback);
    EXPECT_FALSE(internal->externalFallback);
}

TEST(ProcessLoop, SidechainAuditionOutputsTheFilteredSidechain) {
    auto state = preparedState();
    ASSERT_TRUE(setParameter(*state, "sidechain.audition", 1));
    ASSERT_TRUE(setParameter(*state, "sidechain.source", 2));
    const Stereo out = render(*state, noise(4800, 0.5));
    double energy = 0;
    for (std::size_t i = 0; i < out.frames(); ++i) {
        ASSERT_EQ(out.left[i], out.right[i]);
        energy += out.left[i] * out.left[i];
    }
    EXPECT_GT(energy, 1.0) << "the test pulse's kick is heard";
}

struct PulseRun {
    std::vector<std::size_t> kickHitFrames;
    double largestLowDuck = 0;
    double largestDepthSum = 0;
};

PulseRun runTestPulse(KernelState& state, std::size_t frames) {
    PulseRun run;
    uint32_t hits = 0;
    render(state, Stereo(frames), 1, [&](std::size_t frame) {
        if (state.laneHits[0] != hits) {
            hits = state.laneHits[0];
            run.kickHitFrames.push_back(frame);
        }
        double sum = 0;
        for (float depth : state.laneDepth) {
            sum += depth;
        }
        run.largestDepthSum = std::max(run.largestDepthSum, sum);
        run.largestLowDuck = std::max(run.largestLowDuck, state.broadbandDuckDb);
    });
    return run;
}

TEST(ProcessLoop, TestPulseKickFiresOnEveryDivisionWithinTheBudget) {
    auto state = preparedState();
    ASSERT_TRUE(setParameter(*state, "sidechain.source", 2));
    ASSERT_TRUE(setParameter(*state, "macro.space", 1)); // depth 9 dB
    for (const char* weight : {"detect.clapWeight", "detect.percWeight", "detect.sustainWeight"}) {
        ASSERT_TRUE(setParameter(*state, weight, 1));
    }
    const PulseRun run = runTestPulse(*state, 48000 * 2);
    // One hit per kick, every 12000 frames; where the onset crosses the detector's threshold moves by a few
    // milliseconds with the level that the floor follower has reached.
    ASSERT_EQ(run.kickHitFrames.size(), 8u);
    for (std::size_t i = 1; i < run.kickHitFrames.size(); ++i) {
        EXPECT_NEAR(double(run.kickHitFrames[i] - run.kickHitFrames[i - 1]), 12000.0, 240.0) << "kick " << i;
        EXPECT_NEAR(double(run.kickHitFrames[i]), 12000.0 * i, 240.0) << "kick " << i;
    }
    EXPECT_LT(run.kickHitFrames[0], 48u) << "the first kick is heard within a millisecond";
    EXPECT_GT(run.largestLowDuck, 1.0);
    EXPECT_LE(run.largestLowDuck, state->depthDb);
    EXPECT_GT(run.largestDepthSum, 0.5 * state->depthDb);
    EXPECT_LE(run.largestDepthSum, state->depthDb);
}

TEST(ProcessLoop, DuckRecoversAlongTheFeelCurve) {
    for (int feel : {0, 4}) {
        auto state = preparedState();
        ASSERT_TRUE(setParameter(*state, "sidechain.source", 2));
        ASSERT_TRUE(setParameter(*state, "time.feel", feel));
        for (const char* weight : {"detect.clapWeight", "detect.percWeight", "detect.sustainWeight"}) {
            ASSERT_TRUE(setParameter(*state, weight, 0));
        }
        const double shape = feel == 0 ? 0.55 : 2.0;
        const double holdEnd = state->holdSeconds;
        const double release = state->releaseSeconds;
        int checked = 0;
        render(*state, Stereo(12000), 1, [&](std::size_t) {
            const double elapsed =
                state->laneElapsed[0] - 1.0 / 48000; // the duck was computed before the step
            const double progress = (elapsed - holdEnd) / release;
            if (state->laneDepth[0] <= 0 || progress <= 0.02 || progress >= 0.98) {
                return;
            }
            const double expected = (1 - std::pow(progress, shape)) * state->laneDepth[0];
            EXPECT_NEAR(state->laneDuck[0], expected, 0.01 * state->laneDepth[0]) << "progress " << progress;
            ++checked;
        });
        EXPECT_GT(checked, 1000) << "feel " << feel;
    }
}

TEST(ProcessLoop, RecoveryCurvesFollowTheirShape) {
    for (double shape : {0.55, 1.0, 1.45, 2.0, 1.2}) {
        for (double p : {0.0, 0.1, 0.5, 0.9, 0.999}) {
            EXPECT_NEAR(recovery(p, shape), std::pow(p, shape), 0.01) << shape << " " << p;
        }
    }
    EXPECT_EQ(recovery(1.5, 2.0), 1.0);
}

TEST(ProcessLoop, SecondKickInsideTheRetriggerWindowStartsNoHit) {
    auto state = preparedState();
    ASSERT_TRUE(setParameter(*state, "sidechain.source", 1));
    render(*state, kicks(48000 / 10, {0.0, 0.06}));
    EXPECT_EQ(state->laneHits[0], 1u);
    auto spaced = preparedState();
    render(*spaced, kicks(48000 / 2, {0.0, 0.3}));
    EXPECT_EQ(spaced->laneHits[0], 2u);
}

TEST(ProcessLoop, ZeroDepthBudgetNeverDucks) {
    auto state = preparedState();
    ASSERT_TRUE(setParameter(*state, "sidechain.source", 2));
    ASSERT_TRUE(setParameter(*state, "budget.maxReduction", 0));
    const PulseRun run = runTestPulse(*state, 24000);
    EXPECT_TRUE(run.kickHitFrames.empty());
    EXPECT_EQ(run.largestLowDuck, 0);
}

TEST(ProcessLoop, RefusesInvalidBlocksWithoutTouchingOutput) {
    auto state = preparedState();
    float input[256] = {};
    float output[256];
    std::fill(std::begin(output), std::end(output), 7.0f);
    const KernelBlock refused[] = {
        {128, 40, 100, input, 256, 2, output, 256, 2}, {128, 129, 0, input, 256, 2, output, 256, 2},
        {128, 8, 0, input, 256, 1, output, 256, 2},    {128, 8, 0.5, input, 256, 2, output, 256, 2},
        {128, -1, 0, input, 256, 2, output, 256, 2},   {128, 8, 0, input, 200, 2, output, 256, 2},
        {0, 0, 0, input, 256, 2, output, 256, 2},      {128, 8, 0, nullptr, 256, 2, output, 256, 2},
    };
    for (const KernelBlock& block : refused) {
        EXPECT_FALSE(processBlock(*state, block));
    }
    KernelState unprepared;
    createState(unprepared);
    EXPECT_FALSE(processBlock(unprepared, {128, 8, 0, input, 256, 2, output, 256, 2}));
    for (float sample : output) {
        ASSERT_EQ(sample, 7.0f);
    }
    EXPECT_EQ(state->frameCounter, 0u);
}

TEST(ProcessLoop, NonFiniteInputReadsAsSilenceAndPoisonsNothing) {
    Stereo dirty = kicks(24000, {0.0, 0.25});
    Stereo clean = dirty;
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (std::size_t i = 1000; i < 1300; ++i) {
        dirty.left[i] = bad[i % 3];
        dirty.right[i] = bad[(i + 1) % 3];
        clean.left[i] = clean.right[i] = 0;
    }
    auto a = preparedState();
    auto b = preparedState();
    const Stereo outDirty = render(*a, dirty);
    const Stereo outClean = render(*b, clean);
    EXPECT_EQ(outDirty.left, outClean.left);
    EXPECT_EQ(outDirty.right, outClean.right);
}

TEST(ProcessLoop, RandomParametersWithExtremeInputsStayFinite) {
    std::mt19937 random(1234);
    const float extremes[] = {std::numeric_limits<float>::max(),
                              -std::numeric_limits<float>::max(),
                              1e30f,
                              -1e-40f,
                              std::numeric_limits<float>::denorm_min(),
                              std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              1.0f,
                              -1.0f,
                              0.0f};
    for (int round = 0; round < 12; ++round) {
        auto state = preparedState();
        std::uniform_real_distribution<double> unit(-0.2, 1.2);
        for (uint32_t id = 0; id < 34; ++id) {
            const vanto_param_desc& desc = VANTO_PARAMS[id];
            ASSERT_TRUE(setParameterById(*state, id, desc.min + unit(random) * (desc.max - desc.min)));
        }
        Stereo in = noise(9600, round % 2 == 0 ? 1.0 : 1e6, round);
        std::uniform_int_distribution<std::size_t> pick(0, std::size(extremes) - 1);
        for (std::size_t i = 0; i < in.frames(); i += 37) {
            in.left[i] = extremes[pick(random)];
            in.right[i] = extremes[pick(random)];
        }
        const Stereo out = render(*state, in);
        for (std::size_t i = 0; i < out.frames(); ++i) {
            ASSERT_TRUE(std::isfinite(out.left[i]) && std::isfinite(out.right[i]))
                << "round " << round << " frame " << i;
        }
    }
}

} // namespace
} // namespace vanto
