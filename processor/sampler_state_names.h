// The JSON names of the sampler facts a state document may carry.
#pragma once

#include "processor/state_chunk.h"

#include <string_view>

namespace vanto {

// "missing-in-memory-asset" … "unsupported-stereo-source"; "none" for 0 and any unlisted value.
const char* samplerAssetDiagnosticName(SamplerAssetDiagnostic fault);
// The fault a listed name stands for; false (and `fault` untouched) for any other text.
bool samplerAssetDiagnosticFromName(std::string_view name, SamplerAssetDiagnostic& fault);

// "legacy-single-zone" … "voice-limit-steal"; a value above 7 gets the name of value 0.
const char* samplerZoneProgramName(SamplerZoneProgram program);
// True for exactly the eight program names; false for null.
bool samplerZoneProgramNameKnown(const char* name);
// The program a name stands for; 0 for any other text (and for null).
SamplerZoneProgram samplerZoneProgramFromName(const char* name);

} // namespace vanto
