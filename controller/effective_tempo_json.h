// What the page is told about the tempo the effect follows: the effective tempo, whether it comes
// from the host or from "sync.bpm", and the host's own tempo when it gives one.
#pragma once

#include <string>

namespace vanto {

struct EffectiveTempoFacts {
    double bpm = 120;      // the tempo the timing follows
    bool fromHost = false; // "sync.source" is Host and the host gives a tempo
    double hostBpm = 0;    // the host's tempo, 0 when it gives none
    bool operator==(const EffectiveTempoFacts&) const = default;
};

// The facts of a "sync.source" (rounded plain value), a "sync.bpm" and a host tempo (0: none).
EffectiveTempoFacts effectiveTempoFacts(int syncSource, double manualBpm, double hostBpm);

// {"bpm":<effective>,"source":"Host"|"Manual","hostBpm":<host tempo>|null}
void writeEffectiveTempoJson(std::string& out, const EffectiveTempoFacts& facts);
// {"type":"vanto.tempo","tempo":…}
void writeTempoMessageJson(std::string& out, const EffectiveTempoFacts& facts);

} // namespace vanto
