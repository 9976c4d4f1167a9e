#include "biquad_node.h"
#include "compressor_node.h"
#include "envelope_follower.h"
#include "parametric_eq_node.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace vanto {
namespace {

TEST(BiquadNode, FreshNodePassesInputUnchanged) {
    BiquadNode node = initBiquadNode(48000);
    for (double x : {0.5, -0.25, 0.125, 1e-3}) {
        EXPECT_EQ(biquadNodeTick(node, x), static_cast<float>(x));
    }
}

TEST(BiquadNode, TicksRoundOutputAndStateToSinglePrecision) {
    // Expected outputs worked out with every intermediate rounded to single precision; keeping the state in
    // double precision would give 0.3810000147819519 for the second tick instead.
    BiquadNode node = initBiquadNode(48000);
    node.b0 = 0.3f;
    node.b1 = 0.6f;
    node.b2 = 0.3f;
    node.a1 = -0.7f;
    node.a2 = 0.2f;
    const double inputs[] = {0.1, 1.0, -0.7, 0.25, 0.0, 0.0};
    const double expected[] = {0x1.eb852p-6,  0x1.8624dep-2, 0x1.5c84b8p-1,
                               0x1.6bd128p-2, 0x1.ae98ap-5,  0x1.4db5cap-5};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(biquadNodeTick(node, inputs[i]), expected[i]) << "tick " << i;
    }
}

TEST(BiquadNode, CoefficientsUseSinglePrecisionTrigonometry) {
    // Band-pass designs worked out with cos and sin rounded to single precision before use; with the
    // trigonometry left in double precision every one of these differs in at least one coefficient.
    struct Case {
        double hz, q;
        float b0, a1, a2;
    };
    const Case cases[] = {{440, 0.7, 0x1.43877ap-5f, -0x1.eaf6c6p+0f, 0x1.d78f1p-1f},
                          {7000, 0.6, 0x1.978d24p-2f, -0x1.77452ap-1f, 0x1.a1cb7p-3f},
                          {692.8203230275509, 0.4, 0x1.a08a7ep-4f, -0x1.ca0ad4p+0f, 0x1.97dd6p-1f}};
    for (const Case& c : cases) {
        BiquadNode node = initBiquadNode(48000);
        setBiquadNodeType(node, BIQUAD_BANDPASS);
        setBiquadNodeFrequency(node, c.hz);
        setBiquadNodeQ(node, c.q);
        updateBiquadNodeCoefficients(node);
        EXPECT_EQ(node.b0, c.b0) << c.hz;
        EXPECT_EQ(node.b1, 0.0f) << c.hz;
        EXPECT_EQ(node.b2, -c.b0) << c.hz;
        EXPECT_EQ(node.a1, c.a1) << c.hz;
        EXPECT_EQ(node.a2, c.a2) << c.hz;
    }
}

TEST(BiquadNode, FrequencyAndQAreLimited) {
    BiquadNode node = initBiquadNode(48000);
    setBiquadNodeFrequency(node, 30000);
    EXPECT_EQ(node.frequency, 0.45 * 48000);
    setBiquadNodeFrequency(node, 5);
    EXPECT_EQ(node.frequency, 10);
    setBiquadNodeQ(node, 100);
    EXPECT_EQ(node.q, 40);
    setBiquadNodeQ(node, 0);
    EXPECT_EQ(node.q, 0.0001);
    setBiquadNodeType(node, 9);
    EXPECT_EQ(node.type, 6);
    setBiquadNodeType(node, 1.6);
    EXPECT_EQ(node.type, 2);
}

// Steady-state RMS gain of the node for a sine.
double sineGain(BiquadNode node, double hz) {
    double in = 0;
    double out = 0;
    for (int i = 0; i < 48000; ++i) {
        const double x = std::sin(2 * std::numbers::pi * hz * i / 48000);
        const double y = biquadNodeTick(node, x);
        if (i >= 24000) {
            in += x * x;
            out += y * y;
        }
    }
    return std::sqrt(out / in);
}

TEST(BiquadNode, CookbookResponsesAtTheirDesignFrequency) {
    struct Case {
        int type;
        double probeHz;
        double expectedGain;
    };
    const Case cases[] = {
        {BIQUAD_LOWPASS, 50, 1.0},   {BIQUAD_LOWPASS, 8000, 0.0},  {BIQUAD_HIGHPASS, 8000, 1.0},
        {BIQUAD_HIGHPASS, 50, 0.0},  {BIQUAD_BANDPASS, 1000, 1.0}, {BIQUAD_NOTCH, 1000, 0.0},
        {BIQUAD_PEAKING, 1000, 0.5}, {BIQUAD_LOWSHELF, 30, 0.5},   {BIQUAD_HIGHSHELF, 20000, 0.5}};
    for (const Case& c : cases) {
        BiquadNode node = initBiquadNode(48000);
        setBiquadNodeType(node, c.type);
        setBiquadNodeFrequency(node, 1000);
        node.gain = 20 * std::log10(0.5);
        updateBiquadNodeCoefficients(node);
        EXPECT_NEAR(sineGain(node, c.probeHz), c.expectedGain, 0.02)
            << "type " << c.type << " at " << c.probeHz;
    }
}

TEST(EnvelopeFollower, SettlesOnTheLevelOfItsMode) {
    EnvelopeFollower rms = initEnvelopeFollower(48000);
    rms.mode = ENVELOPE_MODE_RMS;
    EnvelopeFollower peak = initEnvelopeFollower(48000);
    double rmsLevel = 0;
    double peakLevel = 0;
    for (int i = 0; i < 48000; ++i) {
        rmsLevel = envelopeFollowerTick(rms, 0.5);
        peakLevel = envelopeFollowerTick(peak, i % 2 == 0 ? 0.5 : -0.5);
    }
    EXPECT_NEAR(rmsLevel, 0.5, 1e-4);
    EXPECT_NEAR(peakLevel, 0.5, 1e-4);
}

TEST(EnvelopeFollower, CoefficientsFollowTheClampedTimes) {
    EnvelopeFollower node = initEnvelopeFollower(48000);
    EXPECT_EQ(node.attackCoefficient, static_cast<float>(std::exp(-1 / (0.01 * 48000))));
    EXPECT_EQ(node.releaseCoefficient, static_cast<float>(std::exp(-1 / (0.1 * 48000))));
    setEnvelopeFollowerAttack(node, 5);
    EXPECT_EQ(node.attackSeconds, 2);
    setEnvelopeFollowerRelease(node, 0);
    EXPECT_EQ(node.releaseSeconds, 0.001);
    EXPECT_EQ(node.releaseCoefficient, static_cast<float>(std::exp(-1 / (0.001 * 48000))));
}

TEST(CompressorNode, SettlesOnTheStaticGainReduction) {
    CompressorNode node = initCompressorNode(48000);
    node.threshold = -24;
    node.ratio = 4;
    node.knee = 0;
    node.makeup = 0;
    double y = 0;
    for (int i = 0; i < 48000 * 3; ++i) {
        y = compressorNodeTick(node, 0.25);
    }
    const double overDb = 20 * std::log10(0.25) + 24;
    EXPECT_NEAR(node.envelope, 0.75 * overDb, 1e-3);
    EXPECT_NEAR(y, 0.25 * std::pow(10, -0.75 * overDb / 20), 1e-5);
}

TEST(CompressorNode, SoftKneeBlendsBetweenNoReductionAndFullSlope) {
    struct Case {
        double level;
        double reduction;
    };
    // threshold -24, ratio 4 (slope 0.75), knee 30: the knee runs from -39 to -9 dB.
    const Case cases[] = {{-40, 0}, {-24, 0.75 * 15 * 15 / 60}, {-9, 0.75 * 15}, {-6, 0.75 * 18}};
    for (const Case& c : cases) {
        CompressorNode node = initCompressorNode(48000);
        node.ratio = 4;
        const double x = std::pow(10, c.level / 20);
        for (int i = 0; i < 48000 * 4; ++i) {
            compressorNodeTick(node, x);
        }
        EXPECT_NEAR(node.envelope, c.reduction, 2e-3) << c.level;
    }
}

ParametricEqNode bellEq(double gainDb) {
    ParametricEqNode eq = initParametricEqNode(48000, 4);
    setParametricEqBandFrequency(eq, 0, 1000);
    setParametricEqBandQ(eq, 0, 1);
    setParametricEqBandGain(eq, 0, gainDb);
    setParametricEqBandOn(eq, 0, true);
    updateParametricEqCoefficients(eq);
    resetParametricEqNode(eq);
    return eq;
}

TEST(ParametricEq, WithNoActiveBandReturnsItsInputExactly) {
    ParametricEqNode eq = initParametricEqNode(48000, 6);
    for (double x : {0.1, -0.3, 1e-9, 0.7}) {
        EXPECT_EQ(parametricEqNodeTick(eq, x), x);
    }
}

TEST(ParametricEq, LimitsFrequencyQAndGain) {
    ParametricEqNode eq = initParametricEqNode(48000, 9);
    EXPECT_EQ(eq.bandCount, 6);
    setParametricEqBandFrequency(eq, 1, 30000);
    setParametricEqBandQ(eq, 1, 100);
    setParametricEqBandGain(eq, 1, -45);
    EXPECT_EQ(eq.bands[1].frequency, 20000);
    EXPECT_EQ(eq.bands[1].q, PARAMETRIC_EQ_MAX_Q);
    EXPECT_EQ(eq.bands[1].gainDb, -30);
    setParametricEqBandFrequency(eq, 1, 3);
    setParametricEqBandQ(eq, 1, 0);
    EXPECT_EQ(eq.bands[1].frequency, 20);
    EXPECT_EQ(eq.bands[1].q, PARAMETRIC_EQ_MIN_Q);
}

// Largest sample-to-sample step of a processed 1 kHz sine, with a change made near a peak of the sine.
template <typename Change> double largestStep(ParametricEqNode eq, Change change) {
    double previous = 0;
    double largest = 0;
    for (int i = 0; i < 4800; ++i) {
        if (i == 2412) {
            change(eq);
        }
        const double y = parametricEqNodeTick(eq, std::sin(2 * std::numbers::pi * 1000 * i / 48000));
        if (i > 100) {
            largest = std::max(largest, std::fabs(y - previous));
        }
        previous = y;
    }
    return largest;
}

// A click-free change of a sine whose amplitude is at most `amplitude` moves the output per sample by at
// most the sine's own step plus one 64th of the amplitude.
double clickFreeBound(double amplitude) {
    return amplitude * 2 * std::sin(std::numbers::pi * 1000 / 48000) + amplitude / 64 + 0.01;
}

void toNotch(ParametricEqNode& eq) {
    setParametricEqBandType(eq, 0, PARAMETRIC_EQ_NOTCH);
    updateParametricEqCoefficients(eq);
}

TEST(ParametricEq, TypeChangesAndSwitchingAreClickFree) {
    const double boosted = std::pow(10, 24.0 / 20);
    EXPECT_LT(largestStep(bellEq(24), toNotch), clickFreeBound(boosted));
    EXPECT_LT(largestStep(bellEq(24), [](ParametricEqNode& eq) { setParametricEqBandOn(eq, 0, false); }),
              clickFreeBound(boosted));
    EXPECT_LT(largestStep(bellEq(-24), [](ParametricEqNode& eq) { setParametricEqBandOn(eq, 0, false); }),
              clickFreeBound(1));

    // Without the crossfade the same type change jumps: the checks above can fail.
    const double abrupt = largestStep(bellEq(24), [](ParametricEqNode& eq) {
        toNotch(eq);
        eq.bands[0].crossfade = 0;
    });
    EXPECT_GT(abrupt, 2 * clickFreeBound(boosted));
}

TEST(ParametricEq, SwitchedOffBandStopsAfterItsFade) {
    ParametricEqNode eq = bellEq(-12);
    setParametricEqBandOn(eq, 0, false);
    for (int i = 0; i < PARAMETRIC_EQ_RAMP_SAMPLES - 1; ++i) {
        parametricEqNodeTick(eq, 0.1);
        EXPECT_TRUE(eq.bands[0].active);
    }
    parametricEqNodeTick(eq, 0.1);
    EXPECT_FALSE(eq.bands[0].active);
    EXPECT_EQ(eq.bands[0].mix, 0);
    EXPECT_EQ(parametricEqNodeTick(eq, 0.3), 0.3);
}

TEST(ParametricEq, ResetEndsEveryFade) {
    ParametricEqNode eq = bellEq(-12);
    setParametricEqBandOn(eq, 1, true);
    setParametricEqBandOn(eq, 0, false);
    resetParametricEqNode(eq);
    EXPECT_EQ(eq.bands[0].mix, 0);
    EXPECT_FALSE(eq.bands[0].active);
    EXPECT_EQ(eq.bands[1].mix, 1);
    EXPECT_EQ(eq.bands[1].mixFade, 0);
    EXPECT_TRUE(eq.bands[1].active);
}

} // namespace
} // namespace vanto
