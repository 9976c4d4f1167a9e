// The plug-in format a diagnostics document speaks for. This build is a VST 3 plug-in.
#pragma once

#include <cstdint>

namespace vanto {

enum DiagnosticTarget : uint32_t {
    kTargetVst3 = 0,
    kTargetClap = 1,
    kTargetAu = 2,
    kTargetStandalone = 3,
    kTargetOffline = 4,
};

// "vst3", "clap", "au", "standalone", "offline"; larger values are "offline".
const char* diagnosticTargetName(uint32_t target);

} // namespace vanto
