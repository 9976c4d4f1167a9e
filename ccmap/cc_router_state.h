// What the resolver remembers between CC messages for each binding of one map: the last raw value
// (edge detection for toggles, direction for takeover), whether pickup has happened, and the last
// value it sent (the current value when nobody can tell it).
#pragma once

#include "ccmap/cc_map.h"

#include <array>
#include <cstdint>

namespace vanto {

struct CcRouterSlot {
    uint8_t lastRaw = 0;
    bool hasRaw = false;
    bool pickedUp = false;
    double lastNormalized = 0;
    bool hasNormalized = false;
};

struct CcRouterState {
    // The map the slots belong to, compared by address only (never dereferenced).
    const CcMap* map = nullptr;
    std::array<CcRouterSlot, kCcMapCapacity> slots{};

    // Follows `newMap` from now on, forgetting everything learnt about the previous one.
    void reset(const CcMap* newMap) noexcept;
};

} // namespace vanto
