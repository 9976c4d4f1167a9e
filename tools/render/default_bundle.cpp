#include "default_bundle.h"

#include <filesystem>

namespace vanto {

std::string defaultBundlePath(const std::string& buildBundle) {
    const std::string installed = installedBundlePath();
    std::error_code ignored;
    if (!installed.empty() && std::filesystem::is_directory(installed, ignored)) {
        return installed;
    }
    return buildBundle;
}

} // namespace vanto
