// The UI bundle the plug-in ships: the folder Contents/Resources/ui of the plug-in bundle, found from
// the path of the loaded plug-in binary (Contents/<platform folder>/<binary>).
#pragma once

#include "ui/ui_manifest.h"

#include <string>
#include <string_view>

namespace vanto {

// The bundle's Contents folder for a binary inside it: the binary's path cut twice at its last "/".
// Empty when the path has too few components.
std::string bundleContentsFolderOf(std::string_view binaryPath);

// The real path of <Contents>/Resources/ui for that binary, when it is a directory; empty otherwise.
std::string uiRootForBinary(std::string_view binaryPath);

// The UI root of this plug-in, found from the binary holding this code; empty when there is none.
std::string pluginUiRoot();

// The facts of this plug-in's manifest (<Contents>/Resources/ui/manifest.json), read once and kept.
const UiBundleFacts& readUiBundleFacts();

} // namespace vanto

// The UI root as a zero-terminated string in a buffer of the calling thread, for diagnostic tools;
// empty when there is none (or its path is longer than PATH_MAX).
extern "C" const char* vantoPluginUiRootForDiagnostics();
