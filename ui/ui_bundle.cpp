#include "ui/ui_bundle.h"

#include "platform/own_binary_folder.h"

#include <climits>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vanto {

namespace fs = std::filesystem;

namespace {

std::string_view cutAtLastSlash(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// Stands for the binary inside its platform folder: only its folder is looked at.
std::string pluginBinaryPath() {
    const std::string folder = ownBinaryFolder();
    return folder.empty() ? folder : folder + "/binary";
}

} // namespace

std::string bundleContentsFolderOf(std::string_view binaryPath) {
    const std::string_view binaryFolder = cutAtLastSlash(binaryPath);
    if (binaryFolder.empty()) {
        return {};
    }
    return std::string(cutAtLastSlash(binaryFolder));
}

std::string uiRootForBinary(std::string_view binaryPath) {
    const std::string contents = bundleContentsFolderOf(binaryPath);
    if (contents.empty()) {
        return {};
    }
    std::error_code error;
    const fs::path root = fs::canonical(fs::path(contents) / "Resources" / "ui", error);
    if (error || !fs::is_directory(root, error) || error) {
        return {};
    }
    return root.string();
}

std::string pluginUiRoot() {
    return uiRootForBinary(pluginBinaryPath());
}

const UiBundleFacts& readUiBundleFacts() {
    static const UiBundleFacts facts = [] {
        const std::string contents = bundleContentsFolderOf(pluginBinaryPath());
        return contents.empty() ? UiBundleFacts{}
                                : readUiBundleFactsAt(contents + "/Resources/ui/manifest.json");
    }();
    return facts;
}

} // namespace vanto

// A plain buffer: a thread-local object with a destructor would keep the plug-in loaded until the
// calling thread ends.
extern "C" __attribute__((visibility("default"))) const char* vantoPluginUiRootForDiagnostics() {
    thread_local char root[PATH_MAX + 1];
    root[0] = '\0';
    try {
        const std::string found = vanto::pluginUiRoot();
        if (found.size() < sizeof root) {
            std::memcpy(root, found.c_str(), found.size() + 1);
        }
    } catch (...) {
        root[0] = '\0';
    }
    return root;
}
