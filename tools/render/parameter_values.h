// The parameter values the render tool hands the plug-in before the first block: a factory preset's
// values, then single plain values given by parameter path, all as normalized host values.
#pragma once

#include "param_table.h"

#include <array>
#include <optional>
#include <string>

namespace vanto {

// One entry per parameter id; empty entries are left as the plug-in has them.
using NormalizedValues = std::array<std::optional<double>, VANTO_PARAM_COUNT>;

// Sets every parameter to the factory preset's value; false with a message for an unknown preset id.
bool applyFactoryPreset(const std::string& presetId, NormalizedValues& values, std::string& error);

// Applies "PATH=VALUE", VALUE being a plain value within the parameter's range; false with a message
// for a malformed assignment, an unknown path, or a value that is no number or out of range.
bool applyPlainSetting(const std::string& assignment, NormalizedValues& values, std::string& error);

} // namespace vanto
