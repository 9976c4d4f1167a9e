// Equality for reported quantities that may be NaN: a source that keeps reporting NaN has not
// changed, so change detection must not fire on every comparison.
#pragma once

#include <cmath>

namespace vanto {

inline bool sameNumber(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace vanto
