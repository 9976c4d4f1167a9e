// Multi-band parametric equaliser whose type changes crossfade and whose on/off switches fade over 64
// samples, so that coefficient changes never click.
#pragma once

#include "biquad_coefficients.h"

#include <array>

namespace vanto {

enum ParametricEqBandType : int {
    PARAMETRIC_EQ_BELL = 0,
    PARAMETRIC_EQ_LOW_SHELF = 1,
    PARAMETRIC_EQ_HIGH_SHELF = 2,
    PARAMETRIC_EQ_LOW_CUT = 3,
    PARAMETRIC_EQ_HIGH_CUT = 4,
    PARAMETRIC_EQ_NOTCH = 5,
};

inline constexpr int PARAMETRIC_EQ_MAX_BANDS = 6;
inline constexpr int PARAMETRIC_EQ_RAMP_SAMPLES = 64;
inline constexpr double PARAMETRIC_EQ_MIN_Q = 0.025;
inline constexpr double PARAMETRIC_EQ_MAX_Q = 40;

struct ParametricEqBand {
    bool requestedOn = false;
    bool active = false;
    int type = PARAMETRIC_EQ_BELL;
    double frequency = 0;
    double gainDb = 0;
    double q = 0;
    BiquadCoefficients coefficients{0, 0, 0, 0, 0};
    bool trigonometryValid = false;
    BiquadTrigonometry trigonometry;
    bool dirty = false;
    double z1 = 0, z2 = 0;
    BiquadCoefficients previous{0, 0, 0, 0, 0};
    double previousZ1 = 0, previousZ2 = 0;
    int crossfade = 0;
    double mix = 0, mixStart = 0, mixTarget = 0;
    int mixFade = 0;
};

struct ParametricEqNode {
    double sampleRate = 48000;
    int bandCount = 1;
    double outputGain = 1;
    std::array<ParametricEqBand, PARAMETRIC_EQ_MAX_BANDS> bands{};
};

ParametricEqNode initParametricEqNode(double sampleRate, double bandCount);
void setParametricEqBandType(ParametricEqNode& node, int band, int type);
void setParametricEqBandFrequency(ParametricEqNode& node, int band, double frequency);
void setParametricEqBandQ(ParametricEqNode& node, int band, double q);
void setParametricEqBandGain(ParametricEqNode& node, int band, double gainDb);
void setParametricEqBandOn(ParametricEqNode& node, int band, bool on);
void updateParametricEqCoefficients(ParametricEqNode& node);
double parametricEqNodeTick(ParametricEqNode& node, double x);
void resetParametricEqNode(ParametricEqNode& node);

} // namespace vanto
