// Which kind of configuration change a new host-facts record brings, compared with the previous
// one. Identity texts and the validator kind are never compared: they are the controller's own.
#pragma once

#include "diagnostics/host_facts.h"
#include "diagnostics/lifecycle_kind.h"

namespace vanto {

// The first of these that holds decides: sample rate, maximum block size, buses, latency, tail,
// process mode, bypass, last block size ("blockSizeChanged"), sample size ("configured"),
// internal sample rate ("sampleRateChanged"). False when nothing compared differs.
bool diagnosticHostChange(const HostFacts& previous, const HostFacts& next, DiagnosticLifecycleKind& kind);

// The name of that kind, or null when nothing differs.
const char* diagnosticHostChangeKind(const HostFacts& previous, const HostFacts& next);

// The comparisons shared with the delta document.
bool hostBusesDiffer(const HostFacts& previous, const HostFacts& next);
bool hostTailDiffers(const HostFacts& previous, const HostFacts& next);
// Bypass became known, or its value changed.
bool hostBypassChanged(const HostFacts& previous, const HostFacts& next);

} // namespace vanto
