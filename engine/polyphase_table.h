// A windowed-sinc interpolation filter precomputed for 1024 fractional phases of 32 taps, so that
// resampling evaluates no trigonometry per sample.
#pragma once

#include <cstdint>
#include <vector>

#include "host_rate.h"

namespace vanto {

inline constexpr int kPolyphaseTapCount = 32;
// Tap k weighs the sample k − 15 frames from the integer part of the interpolation point.
inline constexpr int kPolyphaseCentreTap = 15;

class PolyphaseTable {
  public:
    // Fills every phase row for a pass band of `cut` times the Nyquist frequency (cut = 1: the full
    // band; below 1 it band-limits a decimating direction). Allocates on first use only.
    void build(double cut);

    const float* row(uint32_t phase) const {
        return taps_.data() + static_cast<std::size_t>(phase) * kPolyphaseTapCount;
    }
    // The sum of the row's stored taps, in double precision; 0 means the row cannot normalise.
    double rowSum(uint32_t phase) const { return rowSums_[phase]; }

  private:
    std::vector<float> taps_;
    std::vector<double> rowSums_;
};

// The interpolated value of a sample history at integer index `index` (relative to its first sample)
// and phase row `phase`. Reads outside [0, fill) repeat the nearest end sample.
float interpolateAt(const PolyphaseTable& table, const float* samples, uint64_t fill, uint64_t index,
                    uint32_t phase);

} // namespace vanto
