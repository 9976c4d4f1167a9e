#include "module_lifetime.h"

namespace vanto {

ModuleLifetime::ModuleLifetime(InitHook initModule, DeinitHook deinitModule)
    : initModule(initModule), deinitModule(deinitModule) {}

bool ModuleLifetime::enter(void* moduleHandle, std::string_view bundlePath) {
    if (moduleHandle == nullptr)
        return true;
    std::lock_guard lock(mutex);
    if (++entries != 1)
        return true;
    handle = moduleHandle;
    // The path must keep room for its terminating zero.
    pathLength = bundlePath.size() < kBundlePathCapacity ? bundlePath.size() : 0;
    bundlePath.copy(path, pathLength);
    path[pathLength] = '\0';
    if (initModule())
        return true;
    entries = 0;
    forgetModule();
    return false;
}

bool ModuleLifetime::exit() {
    std::lock_guard lock(mutex);
    if (entries == 0)
        return false;
    if (--entries != 0)
        return true;
    deinitModule();
    forgetModule();
    return true;
}

void ModuleLifetime::forgetModule() {
    handle = nullptr;
    pathLength = 0;
    path[0] = '\0';
}

std::int32_t ModuleLifetime::entryCount() const {
    std::lock_guard lock(mutex);
    return entries;
}

void* ModuleLifetime::moduleHandle() const {
    std::lock_guard lock(mutex);
    return handle;
}

std::string ModuleLifetime::bundlePath() const {
    std::lock_guard lock(mutex);
    return {path, pathLength};
}

} // namespace vanto
