// Resolution of one incoming CC message into parameter values through a CC map. Real-time safe: no
// allocation, no locks, no system calls.
#pragma once

#include "ccmap/cc_map.h"
#include "ccmap/cc_router_state.h"

namespace vanto {

struct CcResolution {
    uint32_t parameter;
    double normalized;
};

// Reads a parameter's current normalized value for takeover and relative controllers.
using CcCurrentValueFn = double (*)(void* context, unsigned parameter);

// Feeds the message (controller `cc`, `channel` 1 ... 16, `value`) to every enabled binding of `map`
// that listens to it, in map order, and writes one result per binding that produces a value, at most
// `capacity` of them. `state` (optional) carries edges, pickup and the last sent values from message to
// message; `currentValue` (optional) tells the parameters' current values. Returns the number of
// results written to `out`.
unsigned ccResolve(const CcMap& map, int cc, int channel, int value, CcRouterState* state,
                   CcCurrentValueFn currentValue, void* context, CcResolution* out,
                   unsigned capacity) noexcept;

} // namespace vanto
