// The pure rules behind the host-facing parameters: step counts by row kind and the preset a
// program-change value selects.
#include "controller/factory_program.h"
#include "controller/vanto_parameter.h"
#include "kernel/param_table.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(ParameterStepCount, FollowsTheRowKind) {
    const struct {
        uint32_t kind;
        int32_t listCount;
        Steinberg::int32 expected;
    } cases[] = {
        {VANTO_PARAM_CONTINUOUS, 0, 0}, {VANTO_PARAM_TOGGLE, 0, 1}, {VANTO_PARAM_LIST, 5, 4},
        {VANTO_PARAM_LIST, 2, 1},       {VANTO_PARAM_LIST, 1, 1},   {VANTO_PARAM_LIST, 0, 1},
    };
    for (const auto& c : cases) {
        vanto_param_desc row = VANTO_PARAMS[0];
        row.kind = c.kind;
        row.listCount = c.listCount;
        EXPECT_EQ(vanto::parameterStepCount(row), c.expected) << c.kind << " " << c.listCount;
    }
}

TEST(FactoryProgramIndex, RoundsTheValueOverTheEightPresets) {
    const struct {
        double value;
        uint32_t index;
    } cases[] = {
        {0.0, 0},
        {0.07, 0},
        {0.0715, 1},
        {1.0 / 7.0, 1},
        {0.5, 4},
        {6.4 / 7.0, 6},
        {6.6 / 7.0, 7},
        {1.0, 7},
        {-0.5, 0},
        {3.0, 7},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vanto::factoryProgramIndex(c.value), c.index) << c.value;
    }
}

} // namespace
