// Finding the file a piece of loaded code came from.
#pragma once

#include <string>

namespace vanto {

// The path of the shared library or executable that contains the code or data at address, as the
// dynamic loader knows it; empty when the loader knows no file for it.
std::string loadedFilePathContaining(const void* address);

} // namespace vanto
