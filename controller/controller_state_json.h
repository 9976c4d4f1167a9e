// The controller's own state document: what it keeps beside the component state, namely the CC map,
// the sampler pad overrides and the current preset. The state document reader reads it back (it is a state
// document without "params").
#pragma once

#include "banks/sampler_pad_overrides.h"
#include "ccmap/cc_map.h"

#include <string>

namespace vanto {

// The preset the editor shows as current, and the factory program whose values it compares with
// (-1: none since no factory preset was applied).
struct CurrentPresetOut {
    const char* id = "";
    const char* name = "";
    int program = -1;
};

// Appends {"ccMap":…,"sampler":{"v":1,"pads":…},"preset":{"id":…,"name":…,"program":…}}, each member
// only when there is something to keep: `ccMap` null means no map held, an empty override list writes
// no "sampler", and a preset without id or program writes no "preset" ("program" only when >= 0).
void writeControllerStateJson(std::string& out, const CcMap* ccMap, const SamplerPadOverrides& pads,
                              const CurrentPresetOut& preset);

} // namespace vanto
