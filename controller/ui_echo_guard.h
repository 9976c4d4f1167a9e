// The last parameter edit that came from the page. The host reflects such an edit back through
// setParamNormalized; the guard recognises that echo once so the page does not get its own edit back.
#pragma once

#include <cstdint>

namespace vanto {

class UiEchoGuard {
  public:
    void arm(int32_t id, double normalized) {
        id_ = id;
        normalized_ = normalized;
    }

    // True (and disarmed) when this is exactly the guarded edit; false for anything else.
    bool consume(int32_t id, double normalized) {
        if (id_ < 0 || id != id_ || normalized != normalized_) {
            return false;
        }
        id_ = -1;
        return true;
    }

  private:
    int32_t id_ = -1; // -1 = nothing guarded
    double normalized_ = -1.0;
};

} // namespace vanto
