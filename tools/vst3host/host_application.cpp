#include "host_application.h"

namespace vanto::host {

Steinberg::tresult PLUGIN_API HostApplication::getName(Steinberg::Vst::String128 name) {
    int i = 0;
    for (; kHostName[i] != '\0'; ++i)
        name[i] = static_cast<Steinberg::Vst::TChar>(kHostName[i]);
    name[i] = 0;
    return Steinberg::kResultTrue;
}

} // namespace vanto::host
