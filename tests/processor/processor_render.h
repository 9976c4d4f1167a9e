// Rendering a whole signal through the processor of the bundle, block by block, as a host does.
#pragma once

#include "processor/processor_harness.h"

#include "process_block.h"
#include "stereo_buffer.h"

#include <cstdint>
#include <vector>

namespace vanto::test {

struct HostChange {
    std::size_t frame; // in the whole signal
    uint32_t id;
    double normalized;
};

// Renders `input` in host blocks of `blockFrames` (the last one shorter), each change handed to the
// block that holds its frame at the matching sample offset. Every process call must succeed.
StereoBuffer renderThroughProcessor(ProcessorHarness& harness, const StereoBuffer& input, int32_t blockFrames,
                                    const std::vector<HostChange>& changes = {});

// The plain value the engine makes of a normalized host value.
double plainOf(uint32_t id, double normalized);

} // namespace vanto::test
