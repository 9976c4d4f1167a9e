// One parameter change on its way between the controller's edits and the processor.
#pragma once

#include "pluginterfaces/vst/vsttypes.h"

namespace vanto::preview {

struct ParameterEdit {
    Steinberg::Vst::ParamID id = 0;
    Steinberg::Vst::ParamValue value = 0;
};

} // namespace vanto::preview
