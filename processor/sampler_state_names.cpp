#include "processor/sampler_state_names.h"

#include <array>
#include <utility>

namespace vanto {

namespace {

constexpr std::array<std::pair<SamplerAssetDiagnostic, const char*>, 5> kAssetFaultNames{{
    {kSamplerAssetMissing, "missing-in-memory-asset"},
    {kSamplerAssetCorrupt, "corrupt-in-memory-asset"},
    {kSamplerAssetMoved, "moved-in-memory-asset"},
    {kSamplerAssetChanged, "changed-in-memory-asset"},
    {kSamplerAssetUnsupportedStereo, "unsupported-stereo-source"},
}};

// Indexed by program value.
constexpr std::array<const char*, 8> kZoneProgramNames{
    "legacy-single-zone", "one-shot-drum",    "looped-pad-release", "velocity-round-robin",
    "key-zones-pitch",    "stereo-multi-mic", "choke-and-sustain",  "voice-limit-steal",
};

// The index of a program name, or -1.
int zoneProgramIndex(const char* name) {
    if (name == nullptr) {
        return -1;
    }
    for (std::size_t index = 0; index < kZoneProgramNames.size(); ++index) {
        if (std::string_view(name) == kZoneProgramNames[index]) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

} // namespace

const char* samplerAssetDiagnosticName(SamplerAssetDiagnostic fault) {
    for (const auto& [value, name] : kAssetFaultNames) {
        if (value == fault) {
            return name;
        }
    }
    return "none";
}

bool samplerAssetDiagnosticFromName(std::string_view name, SamplerAssetDiagnostic& fault) {
    for (const auto& [value, listedName] : kAssetFaultNames) {
        if (name == listedName) {
            fault = value;
            return true;
        }
    }
    return false;
}

const char* samplerZoneProgramName(SamplerZoneProgram program) {
    return program < kZoneProgramNames.size() ? kZoneProgramNames[program] : kZoneProgramNames[0];
}

bool samplerZoneProgramNameKnown(const char* name) {
    return zoneProgramIndex(name) >= 0;
}

SamplerZoneProgram samplerZoneProgramFromName(const char* name) {
    const int index = zoneProgramIndex(name);
    return static_cast<SamplerZoneProgram>(index < 0 ? 0 : index);
}

} // namespace vanto
