// A mono biquad filter in transposed direct form II with single-precision coefficients and state.
#pragma once

#include "biquad_coefficients.h"

namespace vanto {

struct BiquadNode {
    float a1 = 0, a2 = 0, b0 = 1, b1 = 0, b2 = 0;
    double frequency = 1000;
    double gain = 0;
    double q = 0.7071;
    double sampleRate = 48000;
    int type = BIQUAD_LOWPASS;
    float z1 = 0, z2 = 0;
};

BiquadNode initBiquadNode(double sampleRate);
void setBiquadNodeType(BiquadNode& node, double type);
void setBiquadNodeFrequency(BiquadNode& node, double frequency);
void setBiquadNodeQ(BiquadNode& node, double q);
void updateBiquadNodeCoefficients(BiquadNode& node);
void resetBiquadNode(BiquadNode& node);

// The output, the state and every intermediate that the filter keeps are single precision: each result
// is stored in a float before it is used again, so no compiler keeps it in double precision.
inline double biquadNodeTick(BiquadNode& node, double x) {
    const float y = static_cast<float>(node.b0 * x + node.z1);
    const float z1 = static_cast<float>(node.b1 * x - node.a1 * static_cast<double>(y) + node.z2);
    const float z2 = static_cast<float>(node.b2 * x - node.a2 * static_cast<double>(y));
    node.z1 = z1;
    node.z2 = z2;
    return y;
}

} // namespace vanto
