// Dense automation through the built bundle: more points in one block than the engine's event queue
// holds must still leave every parameter at the host's last value, in the saved state and the kernel.
#include "processor/processor_harness.h"
#include "processor/processor_render.h"

#include "kernel/param_table.h"
#include "parameter_changes.h"
#include "process_block.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Steinberg;
using vanto::test::ProcessorHarness;

constexpr int32 kBlockFrames = 16384;
constexpr int32 kPointsPerParameter = 100; // 34 × 100 points, well over the queue's 2048 places

// A ramp over the block for every parameter, each ending on a value of its own.
double rampPoint(uint32_t id, int32 point) {
    const double end = 0.05 + 0.9 * static_cast<double>(id) / VANTO_PARAM_COUNT;
    return end * static_cast<double>(point + 1) / kPointsPerParameter;
}

double savedPlain(const std::string& state, const char* path) {
    const std::string key = std::string("\"") + path + "\":";
    const std::size_t at = state.find(key);
    EXPECT_NE(at, std::string::npos) << path;
    return at == std::string::npos ? 0.0 : std::stod(state.substr(at + key.size()));
}

class DenseAutomation : public ::testing::TestWithParam<double> {};

TEST_P(DenseAutomation, EveryParameterEndsTheBlockAtItsLastPoint) {
    ProcessorHarness harness;
    harness.start(GetParam(), kBlockFrames);
    vanto::host::ParameterChanges changes(VANTO_PARAM_COUNT, kPointsPerParameter);
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        for (int32 point = 0; point < kPointsPerParameter; ++point) {
            const int32 offset = (point + 1) * kBlockFrames / kPointsPerParameter - 1;
            ASSERT_TRUE(changes.add(id, offset, rampPoint(id, point)));
        }
    }
    vanto::host::ProcessBlock block({2}, {2}, kBlockFrames);
    for (int32 ch = 0; ch < 2; ++ch) {
        for (float& sample : block.input(0, ch)) {
            sample = 0.25f;
        }
    }
    Vst::ProcessData& data = block.prepare(kBlockFrames);
    data.inputParameterChanges = &changes;
    ASSERT_EQ(harness.processor().process(data), kResultOk);
    // A second block without changes lets the rate adapter hand over what it still holds.
    Vst::ProcessData& next = block.prepare(kBlockFrames);
    next.inputParameterChanges = nullptr;
    ASSERT_EQ(harness.processor().process(next), kResultOk);

    const std::string state = harness.saveState();
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        const vanto_param_desc& row = VANTO_PARAMS[id];
        EXPECT_EQ(savedPlain(state, row.path),
                  vanto::test::plainOf(id, rampPoint(id, kPointsPerParameter - 1)))
            << row.path;
    }
}

INSTANTIATE_TEST_SUITE_P(HostRates, DenseAutomation, ::testing::Values(48000.0, 44100.0));

} // namespace
