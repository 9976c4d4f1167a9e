// Peak or RMS envelope follower with separate attack and release smoothing.
#pragma once

#include <cmath>

namespace vanto {

enum EnvelopeMode : int { ENVELOPE_MODE_PEAK = 0, ENVELOPE_MODE_RMS = 1 };

struct EnvelopeFollower {
    float attackCoefficient = 0;
    double attackSeconds = 0.01;
    float envelope = 0;
    int mode = ENVELOPE_MODE_PEAK;
    float releaseCoefficient = 0;
    double releaseSeconds = 0.1;
    double sampleRate = 48000;
};

EnvelopeFollower initEnvelopeFollower(double sampleRate);
void setEnvelopeFollowerAttack(EnvelopeFollower& node, double seconds);
void setEnvelopeFollowerRelease(EnvelopeFollower& node, double seconds);

inline double envelopeFollowerTick(EnvelopeFollower& node, double x) {
    const bool rms = node.mode == ENVELOPE_MODE_RMS;
    const double d = rms ? x * x : std::fabs(x);
    const double k = d > node.envelope ? node.attackCoefficient : node.releaseCoefficient;
    const float envelope = static_cast<float>(k * node.envelope + (1 - k) * d);
    node.envelope = envelope;
    return rms ? std::sqrt(static_cast<double>(envelope)) : envelope;
}

} // namespace vanto
