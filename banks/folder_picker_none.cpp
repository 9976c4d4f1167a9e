// Builds without a folder dialog: the page is told so and can take a typed path instead.
#include "banks/folder_picker.h"

namespace vanto {

bool pickBankFolder(std::string& path, std::string& error) {
    path.clear();
    error = "this build has no folder picker";
    return false;
}

} // namespace vanto
