#include "polyphase_table.h"

#include <cmath>
#include <numbers>

namespace vanto {

namespace {

constexpr std::size_t kTableSize = static_cast<std::size_t>(kPolyphasePhaseCount) * kPolyphaseTapCount;

double normalisedSinc(double x) {
    if (std::fabs(x) < 1e-12) {
        return 1.0;
    }
    const double px = std::numbers::pi * x;
    return std::sin(px) / px;
}

// A Hann window whose end taps are zero.
double hannWindow(int tap) {
    return 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * tap / (kPolyphaseTapCount - 1));
}

double dotFast(const float* row, const float* samples) {
    // Four partial sums keep the double-precision accumulation short enough to pipeline.
    double partial[4] = {0.0, 0.0, 0.0, 0.0};
    for (int tap = 0; tap < kPolyphaseTapCount; tap += 4) {
        for (int lane = 0; lane < 4; ++lane) {
            partial[lane] += static_cast<double>(row[tap + lane]) * static_cast<double>(samples[tap + lane]);
        }
    }
    return (partial[0] + partial[1]) + (partial[2] + partial[3]);
}

double dotClamped(const float* row, const float* samples, uint64_t fill, int64_t first) {
    const int64_t last = static_cast<int64_t>(fill) - 1;
    double sum = 0.0;
    for (int tap = 0; tap < kPolyphaseTapCount; ++tap) {
        int64_t at = first + tap;
        at = at < 0 ? 0 : (at > last ? last : at);
        sum += static_cast<double>(row[tap]) * static_cast<double>(samples[at]);
    }
    return sum;
}

} // namespace

void PolyphaseTable::build(double cut) {
    taps_.resize(kTableSize);
    rowSums_.resize(kPolyphasePhaseCount);
    for (int phase = 0; phase < kPolyphasePhaseCount; ++phase) {
        float* row = taps_.data() + static_cast<std::size_t>(phase) * kPolyphaseTapCount;
        double unroundedSum = 0.0;
        for (int tap = 0; tap < kPolyphaseTapCount; ++tap) {
            const double x =
                cut * (static_cast<double>(phase) / kPolyphasePhaseCount - (tap - kPolyphaseCentreTap));
            const double h = hannWindow(tap) * cut * normalisedSinc(x);
            row[tap] = static_cast<float>(h);
            unroundedSum += h;
        }
        double storedSum = 0.0;
        for (int tap = 0; tap < kPolyphaseTapCount; ++tap) {
            if (unroundedSum != 0.0) {
                row[tap] = static_cast<float>(static_cast<double>(row[tap]) / unroundedSum);
            }
            storedSum += static_cast<double>(row[tap]);
        }
        rowSums_[phase] = storedSum;
    }
}

float interpolateAt(const PolyphaseTable& table, const float* samples, uint64_t fill, uint64_t index,
                    uint32_t phase) {
    const double weight = table.rowSum(phase);
    if (weight == 0.0) {
        return samples[index];
    }
    const float* row = table.row(phase);
    const int64_t first = static_cast<int64_t>(index) - kPolyphaseCentreTap;
    const bool inside = first >= 0 && static_cast<uint64_t>(first) + kPolyphaseTapCount <= fill;
    const double sum = inside ? dotFast(row, samples + first) : dotClamped(row, samples, fill, first);
    return static_cast<float>(sum / weight);
}

} // namespace vanto
