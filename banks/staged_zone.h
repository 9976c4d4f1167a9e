// Turning one zone of an instrument document into a StagedZone over an asset already in the pool.
#pragma once

#include "banks/json_tree.h"
#include "banks/staged_bank.h"

#include <cstdint>
#include <string>

namespace vanto {

// Where a decoded asset lies in the sample pool.
struct PooledAsset {
    uint32_t offset = 0;
    uint32_t frames = 0;
    double sampleRate = 48000.0;
};

// "release" → 1, "legato" → 2, anything else → 0 (attack).
uint32_t triggerCode(const std::string& name);

// Applies the zone's keys over the defaults. The sample window and loop are kept inside the asset:
// a start beyond the asset plays all of it, and a loop that does not fit the window is dropped.
StagedZone stageZone(const JsonValue& zone, const PooledAsset& asset);

} // namespace vanto
