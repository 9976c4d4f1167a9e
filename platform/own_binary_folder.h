// Where the binary holding this code was loaded from, so that programs shipped beside it are found
// wherever the host installed it. Each platform supplies this in its own file.
#pragma once

#include <string>

namespace vanto {

// The absolute folder of the executable or shared library containing this function; empty when the
// platform cannot tell.
std::string ownBinaryFolder();

} // namespace vanto
