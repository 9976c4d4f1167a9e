#include "ccmap/cc_resolve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

namespace vanto {
namespace {

constexpr uint32_t kMix = 31; // "mix.amount": 0 ... 1, so a linear binding's normalized value is value / 127
constexpr uint32_t kRatio = 26; // "glue.ratio"
constexpr int kCc = 20;

double step(int value) {
    return value / 127.0;
}

CcBinding binding(CcValueMode mode, CcTakeover takeover = CcTakeover::none) {
    CcBinding b;
    b.parameter = kMix;
    b.cc = kCc;
    b.valueMode = mode;
    b.takeover = takeover;
    return b;
}

CcBinding ranged(CcBinding b, double min, double max) {
    b.hasMin = b.hasMax = true;
    b.min = min;
    b.max = max;
    return b;
}

CcMap mapOf(std::initializer_list<CcBinding> bindings) {
    CcMap map;
    for (const CcBinding& b : bindings) {
        map.append(b);
    }
    return map;
}

double readContext(void* context, unsigned) {
    return *static_cast<const double*>(context);
}

// Resolves one message for a single-binding map; the result, or nothing.
struct Resolver {
    explicit Resolver(const CcMap& map_, std::optional<double> current_ = std::nullopt,
                      bool withState_ = true)
        : map(map_), current(current_), withState(withState_) {}

    CcMap map;
    std::optional<double> current; // what the host reports, when it reports anything
    bool withState;
    CcRouterState state;

    std::optional<double> send(int value, int channel = 1) {
        CcResolution out[4];
        double currentValue = current.value_or(0);
        const unsigned count = ccResolve(map, kCc, channel, value, withState ? &state : nullptr,
                                         current ? readContext : nullptr, &currentValue, out, 4);
        EXPECT_LE(count, 1u);
        if (count == 0) {
            return std::nullopt;
        }
        EXPECT_EQ(out[0].parameter, map.bindings[0].parameter);
        return out[0].normalized;
    }
};

struct Message {
    int value;
    std::optional<double> expected;
};

struct ResolveCase {
    const char* name;
    CcBinding binding;
    bool withState;
    std::optional<double> current;
    std::vector<Message> messages;
};

class CcResolveModes : public testing::TestWithParam<ResolveCase> {};

TEST_P(CcResolveModes, ProducesTheExpectedValueForEachMessage) {
    const ResolveCase& c = GetParam();
    Resolver resolver(mapOf({c.binding}), c.current, c.withState);
    for (std::size_t i = 0; i < c.messages.size(); ++i) {
        const Message& message = c.messages[i];
        const std::optional<double> result = resolver.send(message.value);
        ASSERT_EQ(result.has_value(), message.expected.has_value())
            << "message " << i << " value " << message.value;
        if (result) {
            EXPECT_NEAR(*result, *message.expected, 1e-12) << "message " << i << " value " << message.value;
        }
    }
}

const auto none = std::nullopt;
const CcValueMode kAbsolute = CcValueMode::absolute;
const CcValueMode kBinaryOffset = CcValueMode::relativeBinaryOffset;
const CcValueMode kSignedBit = CcValueMode::relativeSignedBit;
const CcValueMode kTwosComplement = CcValueMode::relativeTwosComplement;
const CcValueMode kToggle = CcValueMode::toggle;

// With a current value of 0.25 the nearest controller position is 32; with 0.5 it is 63.
INSTANTIATE_TEST_SUITE_P(
    Absolute, CcResolveModes,
    testing::Values(
        ResolveCase{"FollowsValue", binding(kAbsolute), false, none, {{0, 0.0}, {64, step(64)}, {127, 1.0}}},
        ResolveCase{"ClampsValue", binding(kAbsolute), false, none, {{-5, 0.0}, {300, 1.0}}},
        ResolveCase{"JumpsWithoutTakeover", binding(kAbsolute), true, 0.9, {{10, step(10)}}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Relative, CcResolveModes,
    testing::Values(
        // 65 is one step up from the position nearest the current value, 63 one step down.
        ResolveCase{"BinaryOffset",
                    binding(kBinaryOffset),
                    false,
                    0.25,
                    {{65, step(33)}, {63, step(31)}, {64, none}, {0, 0.0}, {127, step(95)}}},
        ResolveCase{"SignedBit",
                    binding(kSignedBit),
                    false,
                    0.25,
                    {{65, step(33)}, {1, step(31)}, {70, step(38)}, {10, step(22)}, {0, none}, {64, none}}},
        ResolveCase{"TwosComplement",
                    binding(kTwosComplement),
                    false,
                    0.25,
                    {{1, step(33)}, {127, step(31)}, {63, step(95)}, {65, 0.0}, {0, none}, {64, none}}},
        ResolveCase{"ClampsAtTheTop", binding(kBinaryOffset), false, 1.0, {{70, 1.0}}},
        // Without a host value the router's last sent value is the starting point.
        ResolveCase{"AccumulatesThroughRouterState",
                    binding(kBinaryOffset),
                    true,
                    none,
                    {{65, step(1)}, {65, step(2)}, {63, step(1)}, {64, none}, {66, step(3)}}},
        ResolveCase{"StartsAtZeroWithNothingKnown",
                    binding(kBinaryOffset),
                    false,
                    none,
                    {{65, step(1)}, {65, step(1)}}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Toggle, CcResolveModes,
    testing::Values(
        // 127, 127 acts once; 127, 0, 127 acts twice, flipping between the range ends.
        ResolveCase{"ActsOnRisingEdges",
                    binding(kToggle),
                    true,
                    none,
                    {{127, 1.0}, {127, none}, {0, none}, {127, 0.0}, {63, none}, {64, 1.0}}},
        ResolveCase{
            "WithoutStateEveryHighValueActs", binding(kToggle), false, none, {{127, 1.0}, {127, 1.0}}},
        ResolveCase{"FlipsAwayFromCurrentValue", binding(kToggle), false, 0.9, {{127, 0.0}}},
        ResolveCase{"TieGivesHigh", ranged(binding(kToggle), 0.2, 0.8), false, 0.5, {{127, 0.8}}},
        ResolveCase{"UsesBindingRange",
                    ranged(binding(kToggle), 0.2, 0.8),
                    true,
                    none,
                    {{127, 0.8}, {0, none}, {127, 0.2}}}),
    [](const auto& info) { return std::string(info.param.name); });

const CcTakeover kPickup = CcTakeover::pickup;
const CcTakeover kScaled = CcTakeover::scaled;

INSTANTIATE_TEST_SUITE_P(
    Pickup, CcResolveModes,
    testing::Values(
        ResolveCase{"WaitsUntilCrossingUpwards",
                    binding(kAbsolute, kPickup),
                    true,
                    0.5,
                    {{10, none}, {20, none}, {70, step(70)}, {30, step(30)}}},
        ResolveCase{"WaitsUntilCrossingDownwards",
                    binding(kAbsolute, kPickup),
                    true,
                    0.5,
                    {{100, none}, {90, none}, {40, step(40)}}},
        ResolveCase{
            "PicksUpOnExactMatch", binding(kAbsolute, kPickup), true, 0.25, {{32, step(32)}, {0, 0.0}}},
        ResolveCase{"NeedsRouterState", binding(kAbsolute, kPickup), false, 0.5, {{10, step(10)}}},
        // Once the controller has set the value itself it keeps control.
        ResolveCase{"WithoutHostValueStaysInControl",
                    binding(kAbsolute, kPickup),
                    true,
                    none,
                    {{10, step(10)}, {11, step(11)}, {100, step(100)}}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Scaled, CcResolveModes,
    testing::Values(
        // First message: no direction yet, applied directly. Then 100 -> 110 covers 10 of the 27 steps
        // left above, so the parameter covers 10/27 of the 64 steps above 63: 86.7, truncated to 86.
        ResolveCase{"MovesProportionallyTowardsTheEnds",
                    binding(kAbsolute, kScaled),
                    true,
                    0.5,
                    {{100, step(100)}, {110, step(86)}, {127, 1.0}, {0, 0.0}, {0, none}}},
        ResolveCase{"MovesDownProportionally",
                    binding(kAbsolute, kScaled),
                    true,
                    0.5,
                    {{100, step(100)}, {50, step(31)}}},
        // Dividing before multiplying would truncate this to 126.
        ResolveCase{
            "ReachesTheTopFromAnyStart", binding(kAbsolute, kScaled), true, 0.0, {{5, step(5)}, {127, 1.0}}},
        ResolveCase{"NeedsRouterState", binding(kAbsolute, kScaled), false, 0.5, {{110, step(110)}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CcResolve, ScaledTakeoverReachesBothEndsFromEveryStartingPoint) {
    for (int start = 0; start <= 127; ++start) {
        for (int previous = 0; previous <= 127; ++previous) {
            for (const int end : {0, 127}) {
                if (previous == end) {
                    continue;
                }
                Resolver resolver{mapOf({binding(kAbsolute, kScaled)}), step(start)};
                resolver.send(previous);
                const std::optional<double> result = resolver.send(end);
                ASSERT_TRUE(result.has_value());
                ASSERT_EQ(*result, end == 0 ? 0.0 : 1.0) << "start " << start << " previous " << previous;
            }
        }
    }
}

TEST(CcResolve, MatchesChannelAnyChannelOnlyWhenZero) {
    CcBinding onChannel3 = binding(kAbsolute);
    onChannel3.channel = 3;
    Resolver specific{mapOf({onChannel3})};
    EXPECT_TRUE(specific.send(10, 3).has_value());
    EXPECT_FALSE(specific.send(10, 4).has_value());
    Resolver any{mapOf({binding(kAbsolute)})};
    EXPECT_TRUE(any.send(10, 16).has_value());
}

TEST(CcResolve, IgnoresDisabledBindingsOtherControllersAndUnknownParameters) {
    CcBinding disabled = binding(kAbsolute);
    disabled.enabled = false;
    CcBinding otherCc = binding(kAbsolute);
    otherCc.cc = kCc + 1;
    CcBinding unknownParameter = binding(kAbsolute);
    unknownParameter.parameter = 34;
    const CcMap map = mapOf({disabled, otherCc, unknownParameter});
    CcResolution out[4];
    EXPECT_EQ(ccResolve(map, kCc, 1, 64, nullptr, nullptr, nullptr, out, 4), 0u);
}

TEST(CcResolve, ResolvesEveryListeningBindingInMapOrderUpToCapacity) {
    CcBinding ratio = binding(kAbsolute);
    ratio.parameter = kRatio;
    CcBinding mixInverted = ranged(binding(kAbsolute), 1, 0);
    const CcMap map = mapOf({ratio, mixInverted, binding(kAbsolute)});
    CcResolution out[3];

    ASSERT_EQ(ccResolve(map, kCc, 1, 127, nullptr, nullptr, nullptr, out, 3), 3u);
    EXPECT_EQ(out[0].parameter, kRatio);
    EXPECT_EQ(out[0].normalized, 1.0);
    EXPECT_EQ(out[1].parameter, kMix);
    EXPECT_EQ(out[1].normalized, 0.0);
    EXPECT_EQ(out[2].parameter, kMix);
    EXPECT_EQ(out[2].normalized, 1.0);

    EXPECT_EQ(ccResolve(map, kCc, 1, 127, nullptr, nullptr, nullptr, out, 2), 2u);
}

TEST(CcResolve, WritesAndRemembersNothingWithoutRoom) {
    const CcMap map = mapOf({binding(kToggle)});
    CcRouterState state;
    CcResolution out[1];
    EXPECT_EQ(ccResolve(map, kCc, 1, 127, &state, nullptr, nullptr, nullptr, 1), 0u);
    EXPECT_EQ(ccResolve(map, kCc, 1, 127, &state, nullptr, nullptr, out, 0), 0u);
    EXPECT_EQ(state.map, nullptr);
    // The toggle's first press is still ahead.
    ASSERT_EQ(ccResolve(map, kCc, 1, 127, &state, nullptr, nullptr, out, 1), 1u);
    EXPECT_EQ(out[0].normalized, 1.0);
}

TEST(CcResolve, RouterStateStartsAfreshForAnotherMap) {
    const CcMap first = mapOf({binding(kToggle)});
    const CcMap second = first;
    CcRouterState state;
    CcResolution out[1];
    ASSERT_EQ(ccResolve(first, kCc, 1, 127, &state, nullptr, nullptr, out, 1), 1u);
    EXPECT_EQ(ccResolve(first, kCc, 1, 127, &state, nullptr, nullptr, out, 1), 0u);
    // Held high, but the other map has seen no edge yet, and knows no last value either.
    ASSERT_EQ(ccResolve(second, kCc, 1, 127, &state, nullptr, nullptr, out, 1), 1u);
    EXPECT_EQ(out[0].normalized, 1.0);
    EXPECT_EQ(state.map, &second);
}

TEST(CcResolve, TreatsAHostValueOfNaNAsUnknownAndClampsOthers) {
    Resolver unknown{mapOf({binding(kToggle)}), std::nan("")};
    EXPECT_EQ(unknown.send(127), 1.0);
    Resolver aboveRange{mapOf({binding(kBinaryOffset)}), 1.5};
    EXPECT_EQ(aboveRange.send(63), step(126));
}

} // namespace
} // namespace vanto
