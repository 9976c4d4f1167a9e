// "sync.source" Host: the effect's timing follows the tempo in the host's process context, which
// reaches the kernel at the block where it changes, without the host ever seeing a parameter change;
// with "Manual", or without a host tempo, the output is exactly what it always was.
#include "processor/duck_analysis.h"
#include "processor/host_session_render.h"
#include "processor/processor_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using namespace Steinberg;
using vanto::StereoBuffer;
using vanto::test::HostChange;
using vanto::test::HostSession;
using vanto::test::ProcessorHarness;

constexpr uint32_t kSpace = 1;
constexpr uint32_t kGlue = 3;
constexpr uint32_t kSidechainSource = 4;
constexpr uint32_t kSyncSource = 33;
constexpr double kTestPulse = 1.0; // "sidechain.source" 2
constexpr double kHost = 1.0;      // "sync.source" 1
constexpr double kManual = 0.0;
constexpr double kDuckDb = 1.0;

// Bass only: the effect's own detection finds nothing in it, so every duck comes from the test pulse.
StereoBuffer bass(double rate, double seconds) {
    StereoBuffer buffer;
    buffer.left = vanto::test::sine(rate, seconds, 55, 0.4);
    buffer.right = buffer.left;
    return buffer;
}

// The test pulse with the full 9 dB of depth on the low band, timed by `syncSource`.
std::vector<HostChange> pulseSettings(double syncSource, double space = 1.0) {
    return {
        {0, kSpace, space}, {0, kGlue, 0.0}, {0, kSidechainSource, kTestPulse}, {0, kSyncSource, syncSource}};
}

StereoBuffer render(double rate, const StereoBuffer& input, HostSession session, int32 block = 512) {
    ProcessorHarness harness;
    harness.start(rate, block);
    session.sampleRate = rate;
    return vanto::test::renderWithHost(harness, input, block, session).audio;
}

struct Ducks {
    std::vector<std::size_t> starts;
    std::vector<double> duck;
};

// The ducks of the test pulse at a steady host tempo, read against the same render without depth.
Ducks ducksAtHostTempo(double rate, double bpm) {
    const StereoBuffer input = bass(rate, 3.0);
    const StereoBuffer ducked =
        render(rate, input, {rate, pulseSettings(kHost), vanto::test::steadyTempo(bpm)});
    const StereoBuffer plain =
        render(rate, input, {rate, pulseSettings(kHost, 0.0), vanto::test::steadyTempo(bpm)});
    Ducks ducks;
    ducks.duck = vanto::test::duckDb(ducked.left, plain.left, 0.1f);
    ducks.starts = vanto::test::duckStarts(ducks.duck, kDuckDb);
    return ducks;
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double medianDuckLength(const Ducks& ducks) {
    std::vector<double> lengths;
    for (const std::size_t start : ducks.starts) {
        lengths.push_back(static_cast<double>(vanto::test::duckLength(ducks.duck, start, kDuckDb)));
    }
    return median(lengths);
}

TEST(HostTempo, HitsAndReleasesFollowAHostTempoOfNinety) {
    constexpr double kRate = 48000;
    const Ducks at90 = ducksAtHostTempo(kRate, 90);
    const Ducks at120 = ducksAtHostTempo(kRate, 120);
    // Division 1/8: a hit every half beat, 1/3 s at 90 BPM and 1/4 s at 120 BPM. Each duck starts
    // within a few milliseconds of its hit, and on average exactly on the grid.
    for (const auto& [ducks, period] : {std::pair{&at90, kRate / 3}, std::pair{&at120, kRate / 4}}) {
        ASSERT_GE(ducks->starts.size(), 8u) << period;
        // The first hit finds the detectors at rest and is caught earlier than the rest.
        const std::vector<std::size_t> settled(ducks->starts.begin() + 1, ducks->starts.end());
        const std::vector<double> spacing = vanto::test::spacings(settled);
        for (const double frames : spacing) {
            EXPECT_NEAR(frames, period, kRate * 0.003);
        }
        const double mean =
            static_cast<double>(settled.back() - settled.front()) / static_cast<double>(spacing.size());
        EXPECT_NEAR(mean, period, kRate * 0.0005);
    }
    // Hold and release are fractions of the division, so the ducks last a third longer at 90 BPM.
    const double ratio = medianDuckLength(at90) / medianDuckLength(at120);
    EXPECT_NEAR(ratio, 4.0 / 3.0, 0.08) << medianDuckLength(at90) << " vs " << medianDuckLength(at120);
}

TEST(HostTempo, ManualTempoAndAMissingHostTempoLeaveTheOutputBitIdentical) {
    struct Case {
        const char* what;
        double syncSource;
        std::function<double(std::size_t)> tempo;
    };
    const auto ramp = [](std::size_t frame) { return 60.0 + 140.0 * static_cast<double>(frame) / 96000.0; };
    const Case cases[] = {
        {"manual at a host tempo of 90", kManual, vanto::test::steadyTempo(90)},
        {"manual with a host tempo ramp", kManual, ramp},
        {"host without a host tempo", kHost,
         vanto::test::steadyTempo(std::numeric_limits<double>::quiet_NaN())},
        {"host without a process context", kHost, nullptr},
    };
    for (const double rate : {48000.0, 44100.0}) {
        const StereoBuffer input = bass(rate, 2.0);
        const StereoBuffer before = render(rate, input, {rate, pulseSettings(kManual), nullptr});
        for (const Case& c : cases) {
            const StereoBuffer after = render(rate, input, {rate, pulseSettings(c.syncSource), c.tempo});
            EXPECT_TRUE(after.left == before.left && after.right == before.right) << c.what << " at " << rate;
        }
    }
}

// The first frame at which two renders differ, or their length when they do not.
std::size_t firstDifference(const StereoBuffer& a, const StereoBuffer& b) {
    for (std::size_t i = 0; i < a.frames(); ++i) {
        if (a.left[i] != b.left[i] || a.right[i] != b.right[i]) {
            return i;
        }
    }
    return a.frames();
}

TEST(HostTempo, ATempoChangeTakesEffectAtTheBlockThatBringsIt) {
    constexpr int32 kBlock = 4096;
    constexpr std::size_t kChangeFrame = 10 * kBlock;
    for (const double rate : {48000.0, 44100.0}) {
        const StereoBuffer input = bass(rate, 2.0);
        const StereoBuffer steady =
            render(rate, input, {rate, pulseSettings(kHost), vanto::test::steadyTempo(120)}, kBlock);
        const auto changing = [](std::size_t frame) { return frame < kChangeFrame ? 120.0 : 90.0; };
        const StereoBuffer changed = render(rate, input, {rate, pulseSettings(kHost), changing}, kBlock);
        const std::size_t first = firstDifference(steady, changed);
        EXPECT_GE(first, kChangeFrame) << rate << ": nothing changes before the block";
        EXPECT_LT(first, kChangeFrame + static_cast<std::size_t>(rate * 0.3)) << rate;
    }
}

TEST(HostTempo, TheHostSeesNoParameterChangeAndSyncBpmKeepsItsValue) {
    constexpr double kRate = 48000;
    ProcessorHarness harness;
    harness.start(kRate, 512);
    const auto ramp = [](std::size_t frame) { return 60.0 + 140.0 * static_cast<double>(frame) / kRate; };
    const vanto::test::HostRender rendered =
        vanto::test::renderWithHost(harness, bass(kRate, 1.0), 512, {kRate, pulseSettings(kHost), ramp});
    EXPECT_EQ(rendered.outputParameterChanges, 0);
    const std::string state = harness.saveState();
    EXPECT_NE(state.find("\"sync.bpm\":120,"), std::string::npos) << state;
    EXPECT_NE(state.find("\"sync.source\":1}"), std::string::npos) << state;
}

} // namespace
