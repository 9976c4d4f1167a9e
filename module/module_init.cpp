#include "module_init.h"

#include "base/source/updatehandler.h"

#include <mutex>

namespace vanto {

void createSdkSingletons() {
    static std::once_flag created;
    std::call_once(created, [] { Steinberg::UpdateHandler::instance(); });
}

bool initModule() {
    createSdkSingletons();
    return true;
}

// The singletons stay until the library is unloaded: a host may enter the module again, and the SDK
// releases them itself at unload.
void deinitModule() {}

} // namespace vanto
