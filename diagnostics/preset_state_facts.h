// The controller's preset situation as the editor's hello shows it: factory presets, the current
// preset, whether it was edited since, and the last state size.
#pragma once

#include "diagnostics/bank_facts.h"

#include <cstdint>

namespace vanto {

struct PresetStateFacts {
    uint32_t factoryCount = 0;
    char currentId[96] = {};   // empty = none
    char currentName[96] = {}; // empty = none
    bool dirty = false;
    bool userPresetsSupported = false;
    int64_t lastStateBytes = -1; // -1 = no state size recorded
    BankFacts bank;
};

} // namespace vanto
