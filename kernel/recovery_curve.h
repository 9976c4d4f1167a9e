// Release curves of the ducking envelopes: recovery r(p) ~ p^shape for progress p in [0, 1), read from a
// table of four shapes and blended between neighbouring shapes.
#pragma once

namespace vanto {

inline constexpr int RECOVERY_TABLE_SIZE = 256;
inline constexpr int RECOVERY_CURVE_COUNT = 4;
inline constexpr int RECOVERY_STRIDE = RECOVERY_TABLE_SIZE + 1;
inline constexpr float RECOVERY_SHAPES[RECOVERY_CURVE_COUNT] = {0.55f, 1.0f, 1.45f, 2.0f};

// The two table curves a shape lies between and its weight towards the upper one, chosen once per shape
// so that the per-sample lookup only interpolates.
struct RecoveryBlend {
    int lower = 1;
    int upper = 1;
    double weight = 0;
};

RecoveryBlend recoveryBlendFor(double shape);
double recoveryBlended(const RecoveryBlend& blend, double progress);
double recovery(double progress, double shape);

} // namespace vanto
