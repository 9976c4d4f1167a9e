#include "recovery_curve.h"

#include <algorithm>
#include <cmath>

namespace vanto {

namespace {

double tableEntry(double x, double shape) {
    if (x == 0) {
        return 0.0;
    }
    if (shape == 1) {
        return x * x;
    }
    if (shape == 2) {
        return x * x * x * x;
    }
    return std::exp(std::log(x * x) * shape);
}

struct RecoveryTable {
    float entries[RECOVERY_CURVE_COUNT * RECOVERY_STRIDE];

    RecoveryTable() {
        for (int k = 0; k < RECOVERY_CURVE_COUNT; ++k) {
            for (int i = 0; i <= RECOVERY_TABLE_SIZE; ++i) {
                entries[k * RECOVERY_STRIDE + i] = static_cast<float>(
                    tableEntry(static_cast<double>(i) / RECOVERY_TABLE_SIZE, RECOVERY_SHAPES[k]));
            }
        }
    }
};

// Built once when the module loads; read-only afterwards, so instances on several threads share it safely.
const RecoveryTable recoveryTable;

} // namespace

namespace {

double lookup(int curve, double u, int j) {
    const float* row = recoveryTable.entries + curve * RECOVERY_STRIDE;
    if (j >= RECOVERY_TABLE_SIZE) {
        return row[RECOVERY_TABLE_SIZE];
    }
    const double weight = u - j;
    return row[j] + weight * (static_cast<double>(row[j + 1]) - row[j]);
}

} // namespace

RecoveryBlend recoveryBlendFor(double shape) {
    constexpr int last = RECOVERY_CURVE_COUNT - 1;
    if (shape <= RECOVERY_SHAPES[0]) {
        return {0, 0, 0.0};
    }
    if (shape >= RECOVERY_SHAPES[last]) {
        return {last, last, 0.0};
    }
    for (int i = 0; i < last; ++i) {
        const double low = RECOVERY_SHAPES[i];
        const double high = RECOVERY_SHAPES[i + 1];
        if (low <= shape && shape <= high) {
            const double span = high - low;
            return {i, i + 1, span > 0 ? (shape - low) / span : 0.0};
        }
    }
    return {last, last, 0.0};
}

double recoveryBlended(const RecoveryBlend& blend, double progress) {
    // The curves are tabulated over sqrt(progress), which spreads the table where they bend most.
    const double u = std::sqrt(std::clamp(progress, 0.0, 1.0)) * RECOVERY_TABLE_SIZE;
    const int j = static_cast<int>(std::floor(u));
    const double lower = lookup(blend.lower, u, j);
    if (blend.upper == blend.lower) {
        return lower;
    }
    return lower + blend.weight * (lookup(blend.upper, u, j) - lower);
}

double recovery(double progress, double shape) {
    return recoveryBlended(recoveryBlendFor(shape), progress);
}

} // namespace vanto
