// What the module's class factory tells hosts about its vendor.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

namespace vanto {

const Steinberg::PFactoryInfo& vantoFactoryInfo();

} // namespace vanto
