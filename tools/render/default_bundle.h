// Where the tools look for the plug-in when they are not told.
#pragma once

#include <string>

namespace vanto {

// The user's installed copy of the bundle (the platform's per-user VST 3 folder), or empty when the
// platform cannot say where that is.
std::string installedBundlePath();

// The installed bundle when there is one, else `buildBundle` (the bundle built next to the tool).
std::string defaultBundlePath(const std::string& buildBundle);

} // namespace vanto
