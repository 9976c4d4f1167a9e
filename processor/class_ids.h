// The class ids of the effect's two classes. A host stores them in projects, so they never change.
#pragma once

#include "pluginterfaces/base/funknown.h"

namespace vanto {

// The audio processor component "Dovrel".
extern const Steinberg::FUID kProcessorUid;
// Its edit controller "Dovrel Controller", which the processor names as its controller class.
extern const Steinberg::FUID kControllerUid;

} // namespace vanto
