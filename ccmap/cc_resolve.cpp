#include "ccmap/cc_resolve.h"

#include "ccmap/cc_apply_normalized.h"
#include "ccmap/cc_nearest_value.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace vanto {

namespace {

// Everything one binding needs to turn the message into a value.
struct BindingInput {
    const CcBinding& binding;
    const vanto_param_desc& row;
    int value;                     // clamped to 0 ... 127
    std::optional<int> previous;   // the raw value before this message, when the slot saw one
    std::optional<double> current; // the parameter's current normalized value, when known
    CcRouterSlot* slot;            // null without a router state
};

bool listens(const CcBinding& binding, int cc, int channel) {
    return binding.enabled && binding.cc == cc && (binding.channel == 0 || binding.channel == channel) &&
           binding.parameter < VANTO_PARAM_COUNT;
}

std::optional<double> currentValueOf(const CcBinding& binding, const CcRouterSlot* slot,
                                     CcCurrentValueFn currentValue, void* context) {
    if (currentValue != nullptr) {
        const double value = currentValue(context, binding.parameter);
        // A host that cannot tell (NaN) is treated like no host at all.
        if (std::isnan(value)) {
            return std::nullopt;
        }
        return std::clamp(value, 0.0, 1.0);
    }
    if (slot != nullptr && slot->hasNormalized) {
        return slot->lastNormalized;
    }
    return std::nullopt;
}

double applied(const BindingInput& in, int value) {
    return ccApplyNormalized(in.binding, in.row, value).normalized;
}

// The step an endless encoder reports, or nothing for its "no movement" codes.
std::optional<int> relativeDelta(CcValueMode mode, int value) {
    switch (mode) {
    case CcValueMode::relativeSignedBit:
        if (value == 0 || value == 64) {
            return std::nullopt;
        }
        return value >= 65 ? value - 64 : -value;
    case CcValueMode::relativeBinaryOffset:
        if (value == 64) {
            return std::nullopt;
        }
        return value - 64;
    case CcValueMode::relativeTwosComplement:
        if (value == 0 || value == 64) {
            return std::nullopt;
        }
        return value <= 63 ? value : value - 128;
    default:
        return std::nullopt;
    }
}

std::optional<double> resolveRelative(const BindingInput& in) {
    const std::optional<int> delta = relativeDelta(in.binding.valueMode, in.value);
    if (!delta) {
        return std::nullopt;
    }
    const int start = ccNearestValue(in.binding, in.row, in.current.value_or(0.0));
    return applied(in, std::clamp(start + *delta, 0, 127));
}

// A button: each press (a rise through 64) flips the parameter between the two range ends.
std::optional<double> resolveToggle(const BindingInput& in) {
    const bool rising = in.value >= 64 && (!in.previous || *in.previous < 64);
    if (!rising) {
        return std::nullopt;
    }
    const double low = ccNormalizePlain(in.row, ccRangeLow(in.binding, in.row));
    const double high = ccNormalizePlain(in.row, ccRangeHigh(in.binding, in.row));
    if (in.current && std::fabs(*in.current - high) < std::fabs(*in.current - low)) {
        return low;
    }
    return high;
}

// Pickup: the controller takes effect only once it reaches (or sweeps across) the position matching
// the parameter's current value, so that grabbing it never makes the parameter jump.
std::optional<double> resolvePickup(const BindingInput& in) {
    if (!in.slot->pickedUp) {
        const int target = ccNearestValue(in.binding, in.row, *in.current);
        const bool crossed = in.previous && ((*in.previous < target && target < in.value) ||
                                             (in.value < target && target < *in.previous));
        if (in.value != target && !crossed) {
            return std::nullopt;
        }
        in.slot->pickedUp = true;
    }
    return applied(in, in.value);
}

// Scaled: the parameter moves from its current value towards the range end the controller moves to,
// in proportion, so that both reach the end together.
std::optional<double> resolveScaled(const BindingInput& in, int previous) {
    const int start = ccNearestValue(in.binding, in.row, *in.current);
    const int moved = in.value - previous;
    const int controllerRoom = in.value > previous ? 127 - previous : previous;
    const int parameterRoom = moved > 0 ? 127 - start : start;
    if (moved == 0 || controllerRoom == 0) {
        return std::nullopt;
    }
    // Multiplying before dividing keeps the ends exact: a controller at 127 (or 0) lands the parameter at
    // exactly the top (or bottom), where dividing first can fall short by one rounding and truncate to 126.
    const double scaledMove = static_cast<double>(parameterRoom * moved) / controllerRoom;
    const double position = std::clamp((scaledMove + start) / 127.0, 0.0, 1.0);
    return applied(in, static_cast<int>(std::trunc(position * 127.0)));
}

std::optional<double> resolveAbsolute(const BindingInput& in) {
    if (in.binding.takeover == CcTakeover::pickup && in.slot != nullptr) {
        if (in.current) {
            return resolvePickup(in);
        }
        // Nobody knows the parameter's value, so the controller sets it and from then on the two agree.
        // Left unpicked, the next message would compare against this very value and, unless the
        // controller jumped across it, never take effect again.
        in.slot->pickedUp = true;
    }
    // Without a previous position there is no direction to scale along; the first message of a fresh
    // slot applies directly.
    if (in.binding.takeover == CcTakeover::scaled && in.current && in.previous) {
        return resolveScaled(in, *in.previous);
    }
    return applied(in, in.value);
}

std::optional<double> resolveBinding(const BindingInput& in) {
    switch (in.binding.valueMode) {
    case CcValueMode::relativeSignedBit:
    case CcValueMode::relativeBinaryOffset:
    case CcValueMode::relativeTwosComplement:
        return resolveRelative(in);
    case CcValueMode::toggle:
        return resolveToggle(in);
    case CcValueMode::absolute:
        break;
    }
    return resolveAbsolute(in);
}

} // namespace

unsigned ccResolve(const CcMap& map, int cc, int channel, int value, CcRouterState* state,
                   CcCurrentValueFn currentValue, void* context, CcResolution* out,
                   unsigned capacity) noexcept {
    if (out == nullptr || capacity == 0) {
        return 0;
    }
    if (state != nullptr && state->map != &map) {
        state->reset(&map);
    }
    const int clamped = std::clamp(value, 0, 127);
    unsigned written = 0;
    for (uint32_t index = 0; index < map.size() && written < capacity; ++index) {
        const CcBinding& binding = map.bindings[index];
        if (!listens(binding, cc, channel)) {
            continue;
        }
        CcRouterSlot* slot = state != nullptr ? &state->slots[index] : nullptr;
        std::optional<int> previous;
        if (slot != nullptr) {
            if (slot->hasRaw) {
                previous = slot->lastRaw;
            }
            slot->lastRaw = static_cast<uint8_t>(clamped);
            slot->hasRaw = true;
        }
        const BindingInput in{binding,
                              VANTO_PARAMS[binding.parameter],
                              clamped,
                              previous,
                              currentValueOf(binding, slot, currentValue, context),
                              slot};
        const std::optional<double> result = resolveBinding(in);
        if (!result) {
            continue;
        }
        out[written++] = {binding.parameter, *result};
        if (slot != nullptr) {
            slot->lastNormalized = *result;
            slot->hasNormalized = true;
        }
    }
    return written;
}

} // namespace vanto
