#include "processor/processor_render.h"

#include "param_table.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vanto::test {

using namespace Steinberg;
using namespace Steinberg::Vst;

StereoBuffer renderThroughProcessor(ProcessorHarness& harness, const StereoBuffer& input, int32_t blockFrames,
                                    const std::vector<HostChange>& changes) {
    host::ProcessBlock block({2}, {2}, blockFrames);
    StereoBuffer output(input.frames());
    for (std::size_t start = 0; start < input.frames(); start += static_cast<std::size_t>(blockFrames)) {
        const auto frames = static_cast<int32>(std::min<std::size_t>(blockFrames, input.frames() - start));
        const auto first = input.left.begin() + static_cast<std::ptrdiff_t>(start);
        std::copy_n(first, frames, block.input(0, 0).begin());
        std::copy_n(input.right.begin() + static_cast<std::ptrdiff_t>(start), frames,
                    block.input(0, 1).begin());
        block.clearQueues();
        for (const HostChange& change : changes) {
            if (change.frame >= start && change.frame < start + static_cast<std::size_t>(frames)) {
                block.inputParameterChanges().add(change.id, static_cast<int32>(change.frame - start),
                                                  change.normalized);
            }
        }
        EXPECT_EQ(harness.processor().process(block.prepare(frames)), kResultOk) << "block at " << start;
        std::copy_n(block.output(0, 0).begin(), frames,
                    output.left.begin() + static_cast<std::ptrdiff_t>(start));
        std::copy_n(block.output(0, 1).begin(), frames,
                    output.right.begin() + static_cast<std::ptrdiff_t>(start));
    }
    return output;
}

double plainOf(uint32_t id, double normalized) {
    return vanto_param_to_plain(&VANTO_PARAMS[id], normalized);
}

} // namespace vanto::test
