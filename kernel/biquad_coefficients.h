// Audio EQ Cookbook biquad coefficients, normalised by a0 and held in single precision.
#pragma once

namespace vanto {

enum BiquadType : int {
    BIQUAD_LOWPASS = 0,
    BIQUAD_HIGHPASS = 1,
    BIQUAD_BANDPASS = 2,
    BIQUAD_NOTCH = 3,
    BIQUAD_PEAKING = 4,
    BIQUAD_LOWSHELF = 5,
    BIQUAD_HIGHSHELF = 6,
};

struct BiquadCoefficients {
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

// Trigonometry of one design frequency. cos and sin are used rounded to single precision; they are held in
// float fields because GCC's SLP vectorizer has been seen to drop a (double)(float) round trip held in a
// local variable.
struct BiquadTrigonometry {
    float cosW = 1;
    float sinW = 0;
    double alpha = 0;
};

BiquadTrigonometry biquadTrigonometry(double frequency, double sampleRate, double q);
BiquadCoefficients biquadCoefficients(int type, const BiquadTrigonometry& trig, double gainDb);

} // namespace vanto
