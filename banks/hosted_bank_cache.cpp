#include "banks/hosted_bank_cache.h"

#include "banks/user_data_folder.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace vanto {

namespace {

constexpr size_t kPinLength = 64;

} // namespace

bool isHostedBankPin(const std::string& sha256) {
    if (sha256.size() != kPinLength)
        return false;
    for (char digit : sha256) {
        bool hex = (digit >= '0' && digit <= '9') || (digit >= 'a' && digit <= 'f') ||
                   (digit >= 'A' && digit <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

std::string hostedBankCacheRoot() {
    std::string dataFolder = userDataFolder();
    if (dataFolder.empty())
        return std::string();
    fs::path root = fs::path(dataFolder) / "Vanto" / "banks";
    std::error_code ec;
    fs::create_directories(root, ec);
    if (ec || !fs::is_directory(root, ec))
        return std::string();
    return root.string();
}

} // namespace vanto
