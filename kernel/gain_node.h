// A gain stage: the linear gain applied to the low band and the dB value it was derived from.
#pragma once

namespace vanto {

struct GainDbNode {
    double gain = 1;
    double gainDb = 0;
    double sampleRate = 48000;
};

inline GainDbNode initGainDbNode(double sampleRate) {
    GainDbNode node;
    node.sampleRate = sampleRate;
    return node;
}

} // namespace vanto
