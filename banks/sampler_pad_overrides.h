// Per-pad playback overrides of a sample bank (pitch, gain, window, envelope, filter, groups and
// velocity sensitivity), and their JSON form. The same document travels in the component state, in
// the controller's messages to the processor and in the editor's bridge messages.
#pragma once

#include "encoding/json_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vanto {

// Mask bits, one per field that was given; a field whose bit is clear holds its default.
enum SamplerPadField : uint32_t {
    kPadTranspose = 0x0001,
    kPadFineTune = 0x0002,
    kPadGain = 0x0004,
    kPadPan = 0x0008,
    kPadStart = 0x0010,
    kPadEnd = 0x0020,
    kPadAttack = 0x0040,
    kPadRelease = 0x0080,
    kPadFilterHz = 0x0100,
    kPadResonance = 0x0200,
    kPadReverse = 0x0400,
    kPadMuted = 0x0800,
    kPadChokeGroup = 0x1000,
    kPadRoundRobinGroup = 0x2000,
    kPadVelocitySensitivity = 0x4000,
};

inline constexpr std::size_t kMaxSamplerPadOverrides = 256;
inline constexpr std::size_t kMaxSamplerPadIdBytes = 160;

struct SamplerPadOverride {
    std::string padId;
    uint32_t mask = 0;
    double transpose = 0.0;
    double fineTune = 0.0;
    double gain = 1.0;
    double pan = 0.0;
    double start = 0.0;
    double end = 1.0;
    double attack = 0.0;
    double release = 0.025;
    double filterHz = 20000.0;
    double resonance = 0.7;
    double reverse = 0.0;
    double muted = 0.0;
    double chokeGroup = 0.0;
    double roundRobinGroup = 0.0;
    double velocitySensitivity = 1.0;

    bool operator==(const SamplerPadOverride&) const = default;
};

// In first-seen order, pad ids unique, at most kMaxSamplerPadOverrides entries.
using SamplerPadOverrides = std::vector<SamplerPadOverride>;

// Appends the override document: {"<padId>":{"<field>":<value>,…},…}. Entries with an empty id or an
// empty mask are left out.
void writeSamplerPadOverridesJson(std::string& out, const SamplerPadOverrides& overrides);

// Reads an override object at the reader's position into `out` (merging pads by id). On a syntax
// failure `out` is unchanged and the caller fails its enclosing document.
bool parsePadOverrideMap(Reader& reader, SamplerPadOverrides& out);

// Reads a whole document; only whitespace may follow it. On success the fresh list replaces `out`;
// on failure `out` is unchanged.
bool parseSamplerPadOverridesJson(const char* text, std::size_t length, SamplerPadOverrides& out);

} // namespace vanto
