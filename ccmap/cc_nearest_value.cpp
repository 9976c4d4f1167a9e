#include "ccmap/cc_nearest_value.h"

#include "ccmap/cc_apply_normalized.h"

#include <cmath>

namespace vanto {

int ccNearestValue(const CcBinding& binding, const vanto_param_desc& row, double current) noexcept {
    int nearest = 0;
    double nearestDistance = INFINITY;
    for (int value = 0; value <= 127; ++value) {
        const double distance = std::fabs(ccApplyNormalized(binding, row, value).normalized - current);
        if (distance < nearestDistance) {
            nearest = value;
            nearestDistance = distance;
        }
    }
    return nearest;
}

} // namespace vanto
