#include "ccmap/cc_router_state.h"

namespace vanto {

void CcRouterState::reset(const CcMap* newMap) noexcept {
    map = newMap;
    slots.fill(CcRouterSlot{});
}

} // namespace vanto
