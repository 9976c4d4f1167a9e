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
                entries[k * RECOVERY_STRIDE + i] =
                    static_cast<float>(tableEntry(static_cast<double>(i) / RECOVERY_TABLE_SIZE, RECOVERY_SHAPES[k]));
            }
        }
    }
};

// Built once when the module loads; read-only afterwards, so instances on several threads share it safely.
const RecoveryTable recoveryTable;

} // namespace

double recoveryCurve(int curve, double progress) {
    const float* row = recoveryTable.entries + curve * RECOVERY_STRIDE;
    const double u = std::sqrt(std::clamp(progress, 0.0, 1.0)) * RECOVERY_TABLE_SIZE;
    const int j = static_cast<int>(std::floor(u));
    if (j >= RECOVERY_TABLE_SIZE) {
        return row[RECOVERY_TABLE_SIZE];
    }
    const double weight = u - j;
    return row[j] + weight * (static_cast<double>(row[j + 1]) - row[j]);
}

double recovery(double progress, double shape) {
    if (shape <= RECOVERY_SHAPES[0]) {
        return recoveryCurve(0, progress);
    }
    if (shape >= RECOVERY_SHAPES[RECOVERY_CURVE_COUNT - 1]) {
        return recoveryCurve(RECOVERY_CURVE_COUNT - 1, progress);
    }
    for (int i = 0; i + 1 < RECOVERY_CURVE_COUNT; ++i) {
        const double low = RECOVERY_SHAPES[i];
        const double high = RECOVERY_SHAPES[i + 1];
        if (low <= shape && shape <= high) {
            const double span = high - low;
            const double f = span > 0 ? (shape - low) / span : 0.0;
            const double a = recoveryCurve(i, progress);
            return a + f * (recoveryCurve(i + 1, progress) - a);
        }
    }
    return recoveryCurve(RECOVERY_CURVE_COUNT - 1, progress);
}

} // namespace vanto
