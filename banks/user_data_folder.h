// The per-user folder where applications keep their data (hosted banks are cached below it).
// Each platform supplies it in its own file.
#pragma once

#include <string>

namespace vanto {

// The folder's path, not necessarily existing yet; empty when the platform cannot say.
std::string userDataFolder();

} // namespace vanto
