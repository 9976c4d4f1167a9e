// The names a CC binding's curve, value mode and takeover rule carry in the CC map document.
#pragma once

#include "ccmap/cc_binding.h"

#include <string_view>

namespace vanto {

// The document name of each setting; null for the default setting, which the document leaves out.
const char* ccCurveName(CcCurve curve) noexcept;
const char* ccValueModeName(CcValueMode mode) noexcept;
const char* ccTakeoverName(CcTakeover takeover) noexcept;

// The setting a document name stands for; any unknown name gives the default setting.
CcCurve ccCurveFromName(std::string_view name) noexcept;
CcValueMode ccValueModeFromName(std::string_view name) noexcept;
CcTakeover ccTakeoverFromName(std::string_view name) noexcept;

} // namespace vanto
