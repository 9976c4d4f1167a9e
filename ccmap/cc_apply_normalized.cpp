#include "ccmap/cc_apply_normalized.h"

#include <algorithm>
#include <cmath>

namespace vanto {

namespace {

double shape(CcCurve curve, double x) {
    switch (curve) {
    case CcCurve::exp:
        return x * x;
    case CcCurve::log:
        return std::sqrt(x);
    case CcCurve::sCurve:
        return x * x * (3.0 - 2.0 * x);
    case CcCurve::linear:
        break;
    }
    return x;
}

} // namespace

double ccRangeLow(const CcBinding& binding, const vanto_param_desc& row) noexcept {
    return binding.hasMin ? binding.min : row.min;
}

double ccRangeHigh(const CcBinding& binding, const vanto_param_desc& row) noexcept {
    return binding.hasMax ? binding.max : row.max;
}

double ccNormalizePlain(const vanto_param_desc& row, double plain) noexcept {
    if (row.kind == VANTO_PARAM_TOGGLE) {
        return std::clamp(plain, row.min, row.max) >= 0.5 ? 1.0 : 0.0;
    }
    return vanto_param_normalize(&row, plain);
}

CcAppliedValue ccApplyNormalized(const CcBinding& binding, const vanto_param_desc& row, int value) noexcept {
    const double x = std::clamp(value, 0, 127) / 127.0;
    const double s = shape(binding.curve, x);
    const double lo = ccRangeLow(binding, row);
    const double hi = ccRangeHigh(binding, row);
    double plain = lo + s * (hi - lo);
    // Ends far apart can make their distance overflow to infinity (and 0 x infinity is NaN); weighting
    // the ends instead keeps such a controller finite and on its range.
    if (!std::isfinite(plain)) {
        plain = lo * (1.0 - s) + hi * s;
    }
    return {ccNormalizePlain(row, plain), plain};
}

} // namespace vanto
