// Where the render tool looks for the plug-in when it is not told.
#pragma once

#include <string>

namespace vanto {

// The user's installed copy of the bundle (the platform's per-user VST 3 folder), or empty when the
// platform cannot say where that is.
std::string installedBundlePath();

} // namespace vanto
