// The monotonic system clock behind the lifecycle log's and the feeds' time stamps, kept behind one
// function so that each platform supplies its own small implementation file.
#pragma once

#include <cstdint>

namespace vanto {

// Nanoseconds on a clock that never goes back; false when the clock cannot be read.
bool readMonotonicNanoseconds(uint64_t& nanoseconds);

// The shape of a clock, so that users of the clock can be driven by a test clock.
using MonotonicClock = bool (*)(uint64_t& nanoseconds);

} // namespace vanto
