// The runtime health report ("vanto-runtime-health/v1"): a snapshot of a diagnostic ring with an
// overall status, sent from the processor to the controller and on to the web editor.
#pragma once

#include "diagnostics/runtime_diagnostic_ring.h"

#include <string>

namespace vanto {

// Writes the health document of `ring` as compact JSON. Status is "failed" when `failed` is set or a
// stored record is an error or fatal, "degraded" when records were dropped or one is a warning, else
// "healthy". Each stored record becomes a "vanto-plugin-runtime-diagnostic/v1" document carrying the
// module id and version (null = "unknown") and the host configuration (a non-finite rate is null).
std::string writeRuntimeHealthJson(const vanto_runtime_diagnostic_ring& ring, const char* moduleId,
                                   const char* version, double sampleRate, int maxBlockFrames, bool failed);

} // namespace vanto
