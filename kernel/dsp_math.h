// Small numeric helpers shared by the kernel's building blocks.
#pragma once

#include <algorithm>
#include <cmath>

namespace vanto {

// One-pole smoothing coefficient for a time constant, held in single precision as every node keeps it.
inline float smoothingCoefficient(double seconds, double sampleRate) {
    const double t = std::clamp(seconds, 0.0001, 10.0);
    return static_cast<float>(std::exp(-1.0 / (t * std::clamp(sampleRate, 8000.0, 384000.0))));
}

// Nearest integer with halves rounded upwards, as stepped values are rounded throughout the kernel.
inline double roundHalfUp(double value) {
    return std::floor(value + 0.5);
}

} // namespace vanto
