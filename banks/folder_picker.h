// Lets the user choose a bank folder with the platform's folder dialog. Each platform supplies it in
// its own file.
#pragma once

#include <string>

namespace vanto {

// True with the chosen folder in `path`. False with an empty `error` when the user cancelled, or
// with the reason when no folder could be asked for; `path` is then empty.
bool pickBankFolder(std::string& path, std::string& error);

} // namespace vanto
