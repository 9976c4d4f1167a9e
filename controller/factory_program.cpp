#include "controller/factory_program.h"

#include "kernel/param_table.h"

#include <algorithm>
#include <cmath>

namespace vanto {

uint32_t factoryProgramIndex(double normalized) {
    const double last = static_cast<double>(VANTO_FACTORY_PRESET_COUNT - 1);
    const double clamped = normalized > 0.0 ? std::min(normalized, 1.0) : 0.0;
    return static_cast<uint32_t>(std::min(std::floor(clamped * last + 0.5), last));
}

double factoryProgramValue(uint32_t index) {
    return static_cast<double>(index) / static_cast<double>(VANTO_FACTORY_PRESET_COUNT - 1);
}

} // namespace vanto
