#include "library_location.h"

#include <dlfcn.h>

namespace vanto {

std::string loadedFilePathContaining(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr)
        return {};
    return info.dli_fname;
}

} // namespace vanto
