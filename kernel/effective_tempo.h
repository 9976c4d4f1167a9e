// The tempo the effect's timing follows: "sync.bpm" ("Manual"), or the host's tempo while
// "sync.source" is "Host" and the host gives one. Both are limited to the tempo range.
#pragma once

#include <algorithm>
#include <cmath>

namespace vanto {

inline constexpr double kTempoMinBpm = 40;
inline constexpr double kTempoMaxBpm = 240;
inline constexpr int kSyncSourceManual = 0;
inline constexpr int kSyncSourceHost = 1;

// A host tempo limited to the tempo range; 0 ("none") for a tempo that is not a positive number.
inline double hostTempoInRange(double bpm) {
    return std::isfinite(bpm) && bpm > 0 ? std::clamp(bpm, kTempoMinBpm, kTempoMaxBpm) : 0.0;
}

// `hostBpm` 0 means the host gives no tempo; `syncSource` is the rounded "sync.source".
inline double effectiveTempo(int syncSource, double manualBpm, double hostBpm) {
    const double host = hostTempoInRange(hostBpm);
    const double tempo = syncSource == kSyncSourceHost && host > 0 ? host : manualBpm;
    return std::clamp(tempo, kTempoMinBpm, kTempoMaxBpm);
}

} // namespace vanto
