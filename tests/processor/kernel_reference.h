// The kernel driven directly through its C entry points, the way the engine should drive it at
// 48000 Hz: 128-frame chunks with each parameter value pushed at its own frame. Processor output is
// compared against this.
#pragma once

#include "stereo_buffer.h"

#include <cstdint>
#include <vector>

namespace vanto::test {

struct ReferenceChange {
    std::size_t frame; // in the whole signal
    uint32_t id;
    double plain;
};

// Renders `input` through a new kernel instance with the changes in frame order.
StereoBuffer renderThroughKernel(const StereoBuffer& input, const std::vector<ReferenceChange>& changes);

} // namespace vanto::test
