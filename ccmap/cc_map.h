// The CC map: up to 64 bindings in a fixed-size value, so that a map can be copied whole between
// controller, processor, state and messages, and published to a real-time reader without any
// per-binding allocation.
#pragma once

#include "ccmap/cc_binding.h"

#include <array>
#include <cstdint>

namespace vanto {

inline constexpr uint32_t kCcMapCapacity = 64;

struct CcMap {
    uint32_t count = 0;
    // Slots at and beyond `count` keep their default values, so that two maps with the same
    // bindings compare equal.
    std::array<CcBinding, kCcMapCapacity> bindings{};

    // Adds a binding at the end; false (and nothing changes) when the map is full.
    bool append(const CcBinding& binding) {
        if (count >= kCcMapCapacity) {
            return false;
        }
        bindings[count++] = binding;
        return true;
    }

    // The number of meaningful bindings, safe to loop over even if `count` was corrupted.
    uint32_t size() const { return count < kCcMapCapacity ? count : kCcMapCapacity; }

    bool operator==(const CcMap&) const = default;
};

} // namespace vanto
