// The controller position that best matches a parameter's current value, the starting point for
// relative controllers and the target of takeover.
#pragma once

#include "ccmap/cc_binding.h"
#include "kernel/param_table.h"

namespace vanto {

// The CC value 0 ... 127 whose normalized result through the binding is closest to `current`; on equal
// distance the lowest value wins.
int ccNearestValue(const CcBinding& binding, const vanto_param_desc& row, double current) noexcept;

} // namespace vanto
