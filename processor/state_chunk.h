// A component state document after decoding: what a restore hands on to the engine, the CC map, the
// pad overrides and the bank recall. One is built fresh for every restore and dropped afterwards; its
// texts are fixed-size so that the decoded bank reference needs no further allocation.
#pragma once

#include "banks/sampler_pad_overrides.h"
#include "ccmap/cc_map.h"
#include "kernel/param_table.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vanto {

// What went wrong with a sampler's in-memory asset when the state was saved.
enum SamplerAssetDiagnostic : uint32_t {
    kSamplerAssetNone = 0,
    kSamplerAssetMissing = 0x53410001,
    kSamplerAssetCorrupt = 0x53410002,
    kSamplerAssetMoved = 0x53410003,
    kSamplerAssetChanged = 0x53410004,
    kSamplerAssetUnsupportedStereo = 0x53410005,
};

// The zone layout a sampler state was written for, 0 … 7.
enum SamplerZoneProgram : uint32_t {
    kZoneProgramLegacySingleZone = 0,
    kZoneProgramOneShotDrum = 1,
    kZoneProgramLoopedPadRelease = 2,
    kZoneProgramVelocityRoundRobin = 3,
    kZoneProgramKeyZonesPitch = 4,
    kZoneProgramStereoMultiMic = 5,
    kZoneProgramChokeAndSustain = 6,
    kZoneProgramVoiceLimitSteal = 7,
};

// The sources a bank reference may name; anything else is stored as an empty source.
inline constexpr const char* kBankSourceEmbedded = "embedded";
inline constexpr const char* kBankSourceModuleRelative = "module-relative";
inline constexpr const char* kBankSourceUserFolder = "user-folder";
inline constexpr const char* kBankSourceHosted = "hosted";

struct StateChunk {
    double params[VANTO_PARAM_COUNT] = {}; // plain values by parameter id
    bool paramPresent[VANTO_PARAM_COUNT] = {};
    int32_t variation = -1; // -1: absent
    CcMap ccMap;
    bool hasCcMap = false;
    SamplerAssetDiagnostic samplerAssetFault = kSamplerAssetNone;
    bool hasSamplerAssetFault = false;
    SamplerZoneProgram samplerZoneProgram = kZoneProgramLegacySingleZone;
    bool hasSamplerZoneProgram = false;
    SamplerPadOverrides padOverrides;
    bool hasPadOverrides = false; // an accepted "sampler" block (version 1 with a "pads" object) was read
    std::vector<uint8_t> authoredBytes; // opaque authored state, decoded from Base64
    int32_t authoredVersion = 0;
    bool hasAuthoredState = false;
    // The bank reference; every text is NUL-terminated within its field.
    char bankId[128] = {};
    char bankVersion[32] = {};
    char bankSha256[65] = {};
    char bankSource[24] = {};
    char bankPresetId[64] = {};
    char bankInstrument[64] = {};
    char bankLocator[1024] = {};
    bool hasBankLocator = false;
    bool hasBankRef = false;
    bool hasBankPresetId = false;
    // The editor's current preset, kept in the controller's own state: its id and name, and the
    // factory program whose values the dirty flag compares with (-1: none).
    std::string presetId;
    std::string presetName;
    int32_t presetProgram = -1;
    bool hasPreset = false;
};

} // namespace vanto
