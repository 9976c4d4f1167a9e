#include "banks/bank_fetch_helper.h"

#include "platform/own_binary_folder.h"

namespace vanto {

std::string bankFetchHelperPath(const std::string& configured) {
    if (!configured.empty())
        return configured;
    std::string folder = ownBinaryFolder();
    return folder.empty() ? std::string() : folder + "/" + kBankFetchHelperName;
}

} // namespace vanto
