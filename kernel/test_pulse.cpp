#include "test_pulse.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vanto {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

struct ClapPartials {
    double hz[CLAP_PARTIALS];
    double phase[CLAP_PARTIALS];

    // The partials come from a fixed-seed generator so the pulse is identical on every machine.
    ClapPartials() {
        uint32_t x = TEST_PULSE_SEED;
        const auto next = [&x] {
            x = x * LCG_MULTIPLIER + LCG_INCREMENT;
            return static_cast<double>(x >> 8) * 0x1p-23;
        };
        const double width = (CLAP_HIGH_HZ - CLAP_LOW_HZ) / CLAP_PARTIALS;
        for (int n = 0; n < CLAP_PARTIALS; ++n) {
            hz[n] = CLAP_LOW_HZ + width * (n + 0.5) + width * (next() - 1) * 0.5;
            phase[n] = next() * std::numbers::pi;
        }
    }
};

const ClapPartials clapPartials;
const double clapRotation = (TEST_PULSE_SEED % 4096) * kTwoPi / 4096;
const double clapNormalize = 1 / std::sqrt(static_cast<double>(CLAP_PARTIALS));

double positionInCycle(double t, double cycle) {
    return t - cycle * std::floor(t / cycle + 1e-12);
}

double kick(double tau) {
    if (tau >= 12 * KICK_BODY_SECONDS) {
        return 0;
    }
    const double body = tau < KICK_BODY_SECONDS ? 1.0 : KICK_BODY_SECONDS / tau;
    return KICK_AMPLITUDE * std::exp(-KICK_DECAY_PER_SECOND * tau) * body * std::sin(kTwoPi * KICK_HZ * tau);
}

double clap(double delta) {
    if (delta < 0 || delta >= 6 * CLAP_BODY_SECONDS) {
        return 0;
    }
    double partials = 0;
    for (int n = 0; n < CLAP_PARTIALS; ++n) {
        partials += std::sin(kTwoPi * clapPartials.hz[n] * delta + clapPartials.phase[n] + clapRotation);
    }
    return clapNormalize * CLAP_AMPLITUDE * std::exp(-CLAP_DECAY_PER_SECOND * delta) * partials;
}

} // namespace

double testPulseSample(uint32_t frame, double bpm, double divisionBeats) {
    return testPulseAt(frame / 48000.0, bpm, divisionBeats);
}

double testPulseAt(double t, double bpm, double divisionBeats) {
    const double beat = 60 / std::clamp(bpm, 40.0, 240.0);
    double sc = kick(positionInCycle(t, beat * divisionBeats));
    const double inBar = positionInCycle(t, BEATS_PER_BAR * beat);
    sc += clap(inBar - CLAP_BEAT_A * beat);
    sc += clap(inBar - CLAP_BEAT_B * beat);
    return sc;
}

} // namespace vanto
