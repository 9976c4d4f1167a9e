// The built-in test side-chain: a kick on every division and a clap on beats 1 and 3 of each bar.
#pragma once

#include <cstdint>

namespace vanto {

inline constexpr double KICK_BODY_SECONDS = 0.018;
inline constexpr double KICK_AMPLITUDE = 0.9;
inline constexpr double KICK_DECAY_PER_SECOND = 22;
inline constexpr double KICK_HZ = 60;
inline constexpr int BEATS_PER_BAR = 4;
inline constexpr int CLAP_BEAT_A = 1;
inline constexpr int CLAP_BEAT_B = 3;
inline constexpr double CLAP_BODY_SECONDS = 0.03;
inline constexpr double CLAP_AMPLITUDE = 0.3;
inline constexpr double CLAP_DECAY_PER_SECOND = 45;
inline constexpr int CLAP_PARTIALS = 24;
inline constexpr double CLAP_LOW_HZ = 200;
inline constexpr double CLAP_HIGH_HZ = 900;
inline constexpr uint32_t LCG_MULTIPLIER = 1664525u;
inline constexpr uint32_t LCG_INCREMENT = 1013904223u;
inline constexpr uint32_t TEST_PULSE_SEED = 0x44564C31u; // "DVL1"

// The pulse at `seconds` after its start, for a tempo and a division length in beats.
double testPulseAt(double seconds, double bpm, double divisionBeats);
// The side-chain sample at `frame` kernel frames (48 kHz) after a reset.
double testPulseSample(uint32_t frame, double bpm, double divisionBeats);

} // namespace vanto
