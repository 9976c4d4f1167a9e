// The entry points a Linux VST 3 host looks up after dlopen: ModuleEntry with the library handle
// before anything else, GetPluginFactory, and ModuleExit before dlclose. Hosts may nest entries.
#include "bundle_layout.h"
#include "factory_info.h"
#include "factory_slot.h"
#include "host_call_failure.h"
#include "library_location.h"
#include "module_init.h"
#include "module_lifetime.h"
#include "vanto_classes.h"

#include "pluginterfaces/base/ipluginbase.h"

namespace {

// Any object inside this library tells the loader which file the library was loaded from.
constexpr char kLibraryAnchor = 0;

vanto::ModuleLifetime& moduleLifetime() {
    static vanto::ModuleLifetime lifetime(&vanto::initModule, &vanto::deinitModule);
    return lifetime;
}

vanto::FactorySlot& factorySlot() {
    static vanto::FactorySlot slot(vanto::vantoFactoryInfo(), &vanto::registerVantoClasses);
    return slot;
}

} // namespace

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle) try {
    const std::string bundle = vanto::bundlePathForBinary(vanto::loadedFilePathContaining(&kLibraryAnchor));
    return moduleLifetime().enter(sharedLibraryHandle, bundle);
} catch (...) {
    vanto::hostCallFailed("ModuleEntry");
    return false;
}

SMTG_EXPORT_SYMBOL bool ModuleExit() try { return moduleLifetime().exit(); } catch (...) {
    vanto::hostCallFailed("ModuleExit");
    return false;
}

SMTG_EXPORT_SYMBOL Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory() try {
    // A host that skips ModuleEntry still gets instances that are safe to create from any thread.
    vanto::createSdkSingletons();
    return factorySlot().acquire();
} catch (...) {
    vanto::hostCallFailed("GetPluginFactory");
    return nullptr;
}

} // extern "C"
