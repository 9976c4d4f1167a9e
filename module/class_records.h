// The class records the factory lists for the effect's two classes, each built on first use.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

namespace vanto {

// The audio processor component: "Audio Module Class", sub-category "Fx", distributable.
const Steinberg::PClassInfo2& processorClassInfo();
// The edit controller: "Component Controller Class", no sub-category, no flags.
const Steinberg::PClassInfo2& controllerClassInfo();

} // namespace vanto
