#include "diagnostics/monotonic_clock.h"

#include <time.h>

namespace vanto {

bool readMonotonicNanoseconds(uint64_t& nanoseconds) {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0 || now.tv_sec < 0) {
        return false;
    }
    nanoseconds = static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
    return true;
}

} // namespace vanto
