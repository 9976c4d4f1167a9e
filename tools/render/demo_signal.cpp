#include "demo_signal.h"

#include "test_pulse.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vanto {

namespace {

constexpr double kDemoBpm = 120;
constexpr double kDemoDivisionBeats = 0.5;
constexpr double kDrumLevel = 0.6;
constexpr double kBassHz = 55;
constexpr double kBassLevel = 0.3;
constexpr double kBassFadeSeconds = 0.05;

} // namespace

StereoBuffer makeDemoSignal(double sampleRate, double seconds) {
    const std::size_t frames = static_cast<std::size_t>(std::llround(seconds * sampleRate));
    StereoBuffer demo(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double fade = std::min({1.0, t / kBassFadeSeconds, (seconds - t) / kBassFadeSeconds});
        const double bass = kBassLevel * fade * std::sin(2 * std::numbers::pi * kBassHz * t);
        const double drums = kDrumLevel * testPulseAt(t, kDemoBpm, kDemoDivisionBeats);
        // A touch of width on the bass so the high band and the mono low band can be told apart.
        demo.left[i] = static_cast<float>(drums + bass);
        demo.right[i] = static_cast<float>(drums + 0.9 * bass);
    }
    return demo;
}

} // namespace vanto
