#include "shared_library.h"

#include <dlfcn.h>

namespace vanto::host {

std::unique_ptr<SharedLibrary> SharedLibrary::open(const std::string& path, std::string& error) {
    // Local binding keeps the plug-in's symbols from resolving another plug-in's, as in a DAW.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : "cannot load " + path;
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() {
    dlclose(handle);
}

void* SharedLibrary::symbol(const char* name) const {
    return dlsym(handle, name);
}

} // namespace vanto::host
