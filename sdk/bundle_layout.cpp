#include "bundle_layout.h"

namespace vanto {

namespace {

constexpr std::string_view kBundleSuffix = ".vst3";
constexpr std::string_view kContentsFolder = "Contents";

std::string_view withoutTrailingSlashes(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

// The folder part of a path ("/a/b" gives "/a", "/a" gives "/"), empty when there is none.
std::string_view parentOf(std::string_view path) {
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string_view lastComponent(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string_view bundleArchitectureFolder() {
#if defined(__x86_64__)
    return "x86_64-linux";
#elif defined(__aarch64__)
    return "aarch64-linux";
#else
#error "no VST 3 bundle architecture folder for this processor"
#endif
}

std::string bundleBinaryPath(std::string_view bundlePath) {
    const std::string_view bundle = withoutTrailingSlashes(bundlePath);
    const std::string_view name = lastComponent(bundle);
    if (name.size() <= kBundleSuffix.size() || !name.ends_with(kBundleSuffix))
        return {};
    const std::string_view stem = name.substr(0, name.size() - kBundleSuffix.size());
    std::string binary(bundle);
    binary.append("/").append(kContentsFolder).append("/").append(bundleArchitectureFolder());
    binary.append("/").append(stem).append(".so");
    return binary;
}

std::string bundlePathForBinary(std::string_view binaryPath) {
    const std::string_view binaryFolder = parentOf(binaryPath);
    const std::string_view contents = parentOf(binaryFolder);
    const std::string_view bundle = parentOf(contents);
    const bool inBundleLayout = lastComponent(binaryFolder) == bundleArchitectureFolder() &&
                                lastComponent(contents) == kContentsFolder && bundle.ends_with(kBundleSuffix);
    return std::string(inBundleLayout ? bundle : binaryFolder);
}

} // namespace vanto
