// Which factory preset a value of the program-change parameter selects.
#pragma once

#include <cstdint>

namespace vanto {

// The preset index for a normalized program-change value: round(value × 7), at most 7. Values
// below 0 (and NaN) select preset 0, values above 1 preset 7.
uint32_t factoryProgramIndex(double normalized);

// The normalized program-change value that selects preset `index`: index / 7.
double factoryProgramValue(uint32_t index);

} // namespace vanto
