#include "biquad_node.h"

#include "dsp_math.h"

#include <algorithm>

namespace vanto {

BiquadNode initBiquadNode(double sampleRate) {
    BiquadNode node;
    node.sampleRate = sampleRate;
    return node;
}

void setBiquadNodeType(BiquadNode& node, double type) {
    node.type = static_cast<int>(std::clamp(roundHalfUp(type), 0.0, 6.0));
}

void setBiquadNodeFrequency(BiquadNode& node, double frequency) {
    node.frequency = frequency < 10 ? 10 : std::min(frequency, 0.45 * node.sampleRate);
}

void setBiquadNodeQ(BiquadNode& node, double q) {
    node.q = std::clamp(q, 0.0001, 40.0);
}

void updateBiquadNodeCoefficients(BiquadNode& node) {
    const BiquadCoefficients c =
        biquadCoefficients(node.type, biquadTrigonometry(node.frequency, node.sampleRate, node.q), node.gain);
    node.b0 = c.b0;
    node.b1 = c.b1;
    node.b2 = c.b2;
    node.a1 = c.a1;
    node.a2 = c.a2;
}

void resetBiquadNode(BiquadNode& node) {
    node.z1 = 0;
    node.z2 = 0;
}

} // namespace vanto
