// Linux: the functions are looked up with dlsym in the handle the module was opened with.
#include "bridge_functions.h"

#include <dlfcn.h>

namespace vanto::preview {

namespace {

template <typename Function>
bool find(void* handle, const char* name, Function& function, std::string& error) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    if (function == nullptr) {
        error = std::string("the plug-in does not export ") + name;
    }
    return function != nullptr;
}

} // namespace

bool findBridgeFunctions(void* libraryHandle, BridgeFunctions& functions, std::string& error) {
    if (!find(libraryHandle, "vantoDiagnosticBridgeAbiVersion", functions.abiVersion, error) ||
        !find(libraryHandle, "vantoInstallDiagnosticBridgeSink", functions.installSink, error) ||
        !find(libraryHandle, "vantoDeliverDiagnosticBridgeMessage", functions.deliver, error) ||
        !find(libraryHandle, "vantoTickDiagnosticCadence", functions.tickCadence, error)) {
        return false;
    }
    if (functions.abiVersion() != kBridgeAbiVersion) {
        error = "the plug-in's page bridge has version " + std::to_string(functions.abiVersion()) + ", not " +
                std::to_string(kBridgeAbiVersion);
        return false;
    }
    return true;
}

} // namespace vanto::preview
