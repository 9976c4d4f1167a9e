#include "ccmap/cc_apply_normalized.h"
#include "ccmap/cc_nearest_value.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vanto {
namespace {

const vanto_param_desc& row(const char* path) {
    return *vanto_param_find(path);
}

CcBinding withCurve(CcCurve curve) {
    CcBinding binding;
    binding.curve = curve;
    return binding;
}

CcBinding withRange(double min, double max) {
    CcBinding binding;
    binding.hasMin = true;
    binding.min = min;
    binding.hasMax = true;
    binding.max = max;
    return binding;
}

// Rows of the kinds the product's table does not use, to cover every normalization.
const vanto_param_desc kListRow{100, "test.list", "List", "Test", VANTO_PARAM_LIST, 0, 3, 1,
                                0,   0,           "",     4,      nullptr};
const vanto_param_desc kToggleRow{101, "test.toggle", "Toggle", "Test", VANTO_PARAM_TOGGLE, 0, 1, 1, 0, 0, "",
                                  0,   nullptr};
const vanto_param_desc kFlatRow{102, "test.flat", "Flat", "Test", VANTO_PARAM_CONTINUOUS, 5, 5, 0, 5,
                                0,   "",          0,      nullptr};

struct ApplyCase {
    const char* name;
    CcBinding binding;
    const vanto_param_desc* row;
    int value;
    double normalized;
    double plain;
};

class CcApplyNormalized : public testing::TestWithParam<ApplyCase> {};

TEST_P(CcApplyNormalized, ShapesAndSpreadsTheValue) {
    const ApplyCase& c = GetParam();
    const CcAppliedValue result = ccApplyNormalized(c.binding, *c.row, c.value);
    EXPECT_NEAR(result.normalized, c.normalized, 1e-12);
    EXPECT_NEAR(result.plain, c.plain, 1e-12);
}

const double kMid = 64.0 / 127.0;

INSTANTIATE_TEST_SUITE_P(
    Cases, CcApplyNormalized,
    testing::Values(
        ApplyCase{"LinearMid", {}, &row("mix.amount"), 64, kMid, kMid},
        ApplyCase{"ExpMid", withCurve(CcCurve::exp), &row("mix.amount"), 64, kMid* kMid, kMid* kMid},
        ApplyCase{"LogMid", withCurve(CcCurve::log), &row("mix.amount"), 64, std::sqrt(kMid),
                  std::sqrt(kMid)},
        // About 0.5059 of the range, slightly above half because 64 is just above the middle.
        ApplyCase{"SCurveMid", withCurve(CcCurve::sCurve), &row("glue.ratio"), 64, 0.5059053897635354,
                  1 + 7 * 0.5059053897635354},
        ApplyCase{"LinearTop", {}, &row("glue.ratio"), 127, 1, 8},
        ApplyCase{"ExpTop", withCurve(CcCurve::exp), &row("glue.ratio"), 127, 1, 8},
        ApplyCase{"LogTop", withCurve(CcCurve::log), &row("glue.ratio"), 127, 1, 8},
        ApplyCase{"SCurveTop", withCurve(CcCurve::sCurve), &row("glue.ratio"), 127, 1, 8},
        ApplyCase{"SCurveBottom", withCurve(CcCurve::sCurve), &row("glue.ratio"), 0, 0, 1},
        ApplyCase{"ValueBelowRangeClamps", {}, &row("glue.ratio"), -20, 0, 1},
        ApplyCase{"ValueAboveRangeClamps", {}, &row("glue.ratio"), 500, 1, 8},
        ApplyCase{"BindingRangeTop", withRange(2, 4), &row("glue.ratio"), 127, 3.0 / 7, 4},
        ApplyCase{"BindingRangeBottom", withRange(2, 4), &row("glue.ratio"), 0, 1.0 / 7, 2},
        ApplyCase{"InvertedRangeBottomGivesMax", withRange(4, 2), &row("glue.ratio"), 0, 3.0 / 7, 4},
        ApplyCase{"InvertedRangeTopGivesMin", withRange(4, 2), &row("glue.ratio"), 127, 1.0 / 7, 2},
        ApplyCase{"RangeBeyondRowClampsNormalized", withRange(-40, 20), &row("glue.ratio"), 127, 1, 20},
        ApplyCase{"ListRowNotSnapped", {}, &kListRow, 64, kMid, 3 * kMid},
        ApplyCase{"ListRowTop", {}, &kListRow, 127, 1, 3},
        ApplyCase{"ToggleRowBelowHalf", {}, &kToggleRow, 63, 0, 63.0 / 127},
        ApplyCase{"ToggleRowFromHalf", {}, &kToggleRow, 64, 1, kMid},
        ApplyCase{"FlatRowIsZero", {}, &kFlatRow, 127, 0, 5},
        // A range spanning more than the doubles can hold must still land on its ends, never on NaN.
        ApplyCase{"OverflowingRangeBottom", withRange(-1e308, 1e308), &row("mix.amount"), 0, 0, -1e308},
        ApplyCase{"OverflowingRangeTop", withRange(-1e308, 1e308), &row("mix.amount"), 127, 1, 1e308}),
    [](const testing::TestParamInfo<ApplyCase>& info) { return std::string(info.param.name); });

TEST(CcApplyNormalizedOverflow, MiddleOfAnOverflowingRangeStaysFinite) {
    const CcAppliedValue result = ccApplyNormalized(withRange(-1e308, 1e308), row("mix.amount"), 64);
    EXPECT_TRUE(std::isfinite(result.plain));
    EXPECT_GT(result.plain, 0);
    EXPECT_EQ(result.normalized, 1.0);
}

struct NearestCase {
    const char* name;
    CcBinding binding;
    double current;
    int expected;
};

class CcNearestValue : public testing::TestWithParam<NearestCase> {};

TEST_P(CcNearestValue, FindsTheClosestControllerPosition) {
    const NearestCase& c = GetParam();
    EXPECT_EQ(ccNearestValue(c.binding, row("mix.amount"), c.current), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CcNearestValue,
                         testing::Values(NearestCase{"Bottom", {}, 0.0, 0}, NearestCase{"Top", {}, 1.0, 127},
                                         NearestCase{"Quarter", {}, 0.25, 32},
                                         // 0.5 lies exactly between 63 and 64: the lower one wins.
                                         NearestCase{"TieGoesLow", {}, 0.5, 63},
                                         NearestCase{"Inverted", withRange(1, 0), 0.25, 95},
                                         NearestCase{"ExpCurve", withCurve(CcCurve::exp), 0.25, 63},
                                         // Outside a narrowed range the closest end wins.
                                         NearestCase{"AboveNarrowRange", withRange(0.2, 0.4), 0.9, 127},
                                         NearestCase{"BelowNarrowRange", withRange(0.2, 0.4), 0.1, 0}),
                         [](const testing::TestParamInfo<NearestCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace vanto
