// The classes this module makes available to hosts.
#pragma once

#include "plugin_factory.h"

namespace vanto {

// One class: its record and the function that creates an instance.
struct ClassRegistration {
    const Steinberg::PClassInfo2& (*classInfo)();
    CreateInstanceFunction createInstance;
};

// Registers the module's classes with a new factory, in the order hosts list them: the audio
// processor first, then its edit controller.
void registerVantoClasses(PluginFactory& factory);

} // namespace vanto
