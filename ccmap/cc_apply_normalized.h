// Turns one absolute CC value into a parameter value through a binding's curve and range.
#pragma once

#include "ccmap/cc_binding.h"
#include "kernel/param_table.h"

namespace vanto {

struct CcAppliedValue {
    double normalized;
    double plain;
};

// The value 0 ... 127 (clamped) is shaped by the binding's curve and spread over the binding's range
// (the row's range where the binding gives none); a binding whose min lies above its max inverts the
// control. The plain value is then normalized by the row's kind.
CcAppliedValue ccApplyNormalized(const CcBinding& binding, const vanto_param_desc& row, int value) noexcept;

// The normalized value of a plain value for a CC binding. Differs from the table's normalization only
// for toggle rows, which switch at the half-way point instead of at zero so that a range end of 0.6
// reads as "on".
double ccNormalizePlain(const vanto_param_desc& row, double plain) noexcept;

// The plain value at the low and the high end of the binding's range.
double ccRangeLow(const CcBinding& binding, const vanto_param_desc& row) noexcept;
double ccRangeHigh(const CcBinding& binding, const vanto_param_desc& row) noexcept;

} // namespace vanto
