#include "diagnostics/diagnostic_target.h"

namespace vanto {

const char* diagnosticTargetName(uint32_t target) {
    constexpr const char* kNames[] = {"vst3", "clap", "au", "standalone", "offline"};
    return target < kTargetOffline ? kNames[target] : kNames[kTargetOffline];
}

} // namespace vanto
