// The display texts of "sync.source": "Manual" (0, the timing follows "sync.bpm") and "Host" (1, it
// follows the host's tempo while the host gives one).
#pragma once

#include "kernel/param_table.h"

namespace vanto {

// Whether `row` is "sync.source", whose values are shown as texts.
bool isSyncSource(const vanto_param_desc& row);
// The text of a normalized "sync.source" value.
const char* syncSourceText(double normalized);
// The normalized value of a text ("Manual", "Host"); false for any other text.
bool syncSourceFromText(const char* text, double& normalized);

} // namespace vanto
