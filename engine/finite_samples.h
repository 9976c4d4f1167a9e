// Host audio may carry NaN or infinite samples. One such sample inside a recursive filter would turn
// every later output of the kernel into NaN, so they enter the engine's buffers as silence.
#pragma once

#include <cmath>
#include <cstddef>

namespace vanto {

inline void copyFiniteSamples(const float* source, float* destination, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const float sample = source[i];
        destination[i] = std::isfinite(sample) ? sample : 0.0f;
    }
}

} // namespace vanto
