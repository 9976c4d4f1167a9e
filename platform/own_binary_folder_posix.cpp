// The loaded binary's folder from the dynamic loader's record of the address of a function in it
// (dladdr, on Linux and macOS alike).
#include "platform/own_binary_folder.h"

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace vanto {

namespace {

// Any function of this binary serves as the address to look up; this one belongs to no other.
void addressInThisBinary() {}

} // namespace

std::string ownBinaryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&addressInThisBinary), &info) == 0 || info.dli_fname == nullptr)
        return {};
    // The recorded name is the one the binary was loaded under, which may be relative or a link.
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved) == nullptr)
        return {};
    std::string path = resolved;
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

} // namespace vanto
