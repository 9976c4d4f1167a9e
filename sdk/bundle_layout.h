// Where a plug-in's binary sits inside its bundle: <Name>.vst3/Contents/<architecture>/<Name>.so on
// Linux. Hosts go from the bundle to the binary; the module goes back from its binary to the bundle.
#pragma once

#include <string>
#include <string_view>

namespace vanto {

// The architecture folder this build loads binaries from, such as "x86_64-linux".
std::string_view bundleArchitectureFolder();

// The binary inside a bundle: "/a/Dovrel.vst3" gives "/a/Dovrel.vst3/Contents/x86_64-linux/Dovrel.so".
// A trailing slash on the bundle path is ignored. Empty when the path does not name a ".vst3" bundle.
std::string bundleBinaryPath(std::string_view bundlePath);

// The bundle around a binary laid out as above; a binary outside that layout is its own bundle, so
// its folder is returned. Empty for a path without a folder.
std::string bundlePathForBinary(std::string_view binaryPath);

} // namespace vanto
