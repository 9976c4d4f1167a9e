#include "envelope_follower.h"

#include "dsp_math.h"

#include <algorithm>

namespace vanto {

EnvelopeFollower initEnvelopeFollower(double sampleRate) {
    EnvelopeFollower node;
    node.sampleRate = sampleRate;
    node.attackCoefficient = smoothingCoefficient(node.attackSeconds, sampleRate);
    node.releaseCoefficient = smoothingCoefficient(node.releaseSeconds, sampleRate);
    return node;
}

void setEnvelopeFollowerAttack(EnvelopeFollower& node, double seconds) {
    node.attackSeconds = std::clamp(seconds, 0.0001, 2.0);
    node.attackCoefficient = smoothingCoefficient(node.attackSeconds, node.sampleRate);
}

void setEnvelopeFollowerRelease(EnvelopeFollower& node, double seconds) {
    node.releaseSeconds = std::clamp(seconds, 0.001, 10.0);
    node.releaseCoefficient = smoothingCoefficient(node.releaseSeconds, node.sampleRate);
}

} // namespace vanto
