// The external side-chain bus: with "sidechain.source" 0 and the bus active, a kick-only side-chain
// ducks a bass-only main input after every kick, at the kernel's rate and through the rate adapter;
// an inactive, missing or empty bus leaves the output exactly as without one.
#include "processor/duck_analysis.h"
#include "processor/host_session_render.h"
#include "processor/processor_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vanto::StereoBuffer;
using vanto::test::HostChange;
using vanto::test::HostSession;
using vanto::test::ProcessorHarness;

constexpr uint32_t kSpace = 1;
constexpr uint32_t kGlue = 3;
constexpr double kSeconds = 3.0;
constexpr double kDuckDb = 0.5;
const std::vector<double> kKickSeconds = {0.25, 0.75, 1.25, 1.75, 2.25, 2.75};

StereoBuffer bothChannels(std::vector<float> samples) {
    StereoBuffer buffer;
    buffer.left = std::move(samples);
    buffer.right = buffer.left;
    return buffer;
}

StereoBuffer bass(double rate) {
    return bothChannels(vanto::test::sine(rate, kSeconds, 55, 0.4));
}

StereoBuffer kickSidechain(double rate) {
    return bothChannels(vanto::test::kicks(rate, kSeconds, kKickSeconds));
}

// The external side-chain ("sidechain.source" 0, the default) with the full depth on the low band.
std::vector<HostChange> externalSettings(double space = 1.0) {
    return {{0, kSpace, space}, {0, kGlue, 0.0}};
}

StereoBuffer render(double rate, bool busActive, const HostSession& session) {
    ProcessorHarness harness;
    EXPECT_EQ(harness.component().activateBus(kAudio, kInput, 1, busActive), kResultOk);
    harness.start(rate, 512);
    return vanto::test::renderWithHost(harness, bass(rate), 512, session).audio;
}

// Frames from each kick to the start of the duck that follows it; -1 for a kick no duck follows
// within 50 ms.
std::vector<long> kickToDuckOffsets(double rate, const std::vector<double>& duck) {
    const std::vector<std::size_t> starts = vanto::test::duckStarts(duck, kDuckDb);
    std::vector<long> offsets;
    for (const double kick : kKickSeconds) {
        const auto kickFrame = static_cast<std::size_t>(std::llround(kick * rate));
        const auto start =
            std::find_if(starts.begin(), starts.end(), [&](std::size_t s) { return s >= kickFrame; });
        const bool follows =
            start != starts.end() && *start - kickFrame < static_cast<std::size_t>(rate * 0.05);
        offsets.push_back(follows ? static_cast<long>(*start - kickFrame) : -1);
    }
    return offsets;
}

double deepestDuckAfter(const std::vector<double>& duck, std::size_t from, std::size_t frames) {
    return *std::max_element(duck.begin() + static_cast<std::ptrdiff_t>(from),
                             duck.begin() +
                                 static_cast<std::ptrdiff_t>(std::min(from + frames, duck.size())));
}

class SidechainAtRate : public ::testing::TestWithParam<double> {};

TEST_P(SidechainAtRate, AKickOnlySidechainDucksTheBassAfterEveryKick) {
    const double rate = GetParam();
    const StereoBuffer sidechain = kickSidechain(rate);
    for (const int32_t channels : {2, 1}) {
        HostSession session{rate, externalSettings(), nullptr};
        session.sidechain = &sidechain;
        session.sidechainChannels = channels;
        const StereoBuffer ducked = render(rate, true, session);
        session.changes = externalSettings(0.0);
        const StereoBuffer plain = render(rate, true, session);
        const std::vector<double> duck = vanto::test::duckDb(ducked.left, plain.left, 0.1f);

        const std::vector<long> offsets = kickToDuckOffsets(rate, duck);
        std::string text;
        for (std::size_t k = 0; k < offsets.size(); ++k) {
            EXPECT_GE(offsets[k], 0) << channels << " channels: no duck after the kick at "
                                     << kKickSeconds[k];
            text += std::to_string(offsets[k]) + ' ';
            const auto kickFrame = static_cast<std::size_t>(std::llround(kKickSeconds[k] * rate));
            EXPECT_GT(deepestDuckAfter(duck, kickFrame, static_cast<std::size_t>(rate * 0.1)), 2.0)
                << channels << " channels, kick at " << kKickSeconds[k];
        }
        // Between the kicks the bass comes back.
        EXPECT_LT(duck[static_cast<std::size_t>(rate * 0.7)], kDuckDb);
        RecordProperty(channels == 2 ? "stereoKickToDuckFrames" : "monoKickToDuckFrames", text);
        std::printf("%.0f Hz, %d-channel side-chain: kick to duck start (frames): %s\n", rate, channels,
                    text.c_str());
    }
}

TEST_P(SidechainAtRate, AnInactiveMissingOrEmptyBusLeavesTheOutputBitIdentical) {
    const double rate = GetParam();
    const StereoBuffer sidechain = kickSidechain(rate);
    const StereoBuffer without = render(rate, false, {rate, externalSettings(), nullptr});
    struct Case {
        const char* what;
        bool busActive;
        bool busInCall;
        bool withoutBuffers;
    };
    const Case cases[] = {
        {"inactive bus with buffers", false, true, false},
        {"active bus missing from the call", true, false, false},
        {"active bus without buffers", true, true, true},
    };
    for (const Case& c : cases) {
        HostSession session{rate, externalSettings(), nullptr};
        session.sidechain = c.busInCall ? &sidechain : nullptr;
        session.sidechainWithoutBuffers = c.withoutBuffers;
        const StereoBuffer rendered = render(rate, c.busActive, session);
        EXPECT_TRUE(rendered.left == without.left && rendered.right == without.right) << c.what;
    }
    // Once the bass has started (its onset is a hit) and that hit has been released, it triggers
    // nothing: without the side-chain nothing ducks at the later kicks' times.
    const StereoBuffer plain = render(rate, false, {rate, externalSettings(0.0), nullptr});
    const std::vector<double> duck = vanto::test::duckDb(without.left, plain.left, 0.1f);
    const auto settled = duck.begin() + static_cast<std::ptrdiff_t>(rate * kKickSeconds[2]);
    EXPECT_LT(*std::max_element(settled, duck.end()), kDuckDb);
}

INSTANTIATE_TEST_SUITE_P(Rates, SidechainAtRate, ::testing::Values(48000.0, 44100.0));

} // namespace
