// Linux: VST 3 hosts look for per-user plug-ins in ~/.vst3.
#include "default_bundle.h"

#include <cstdlib>

namespace vanto {

std::string installedBundlePath() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        return std::string();
    }
    return std::string(home) + "/.vst3/Dovrel.vst3";
}

} // namespace vanto
