// The controller's own state document: what it keeps beside the component state, namely the CC map
// and the sampler pad overrides. The state document reader reads it back (it is a state document
// without "params").
#pragma once

#include "banks/sampler_pad_overrides.h"
#include "ccmap/cc_map.h"

#include <string>

namespace vanto {

// Appends {}, {"ccMap":…}, {"sampler":{"v":1,"pads":…}} or both members in that order. `ccMap`
// null: no map held; an empty override list writes no "sampler" member.
void writeControllerStateJson(std::string& out, const CcMap* ccMap, const SamplerPadOverrides& pads);

} // namespace vanto
