// The effect's fixed configuration and tuning tables. Tables marked single hold the nearest
// single-precision values of their numbers, as the effect computes with them.
#pragma once

#include "effective_tempo.h"

#include <cstdint>

namespace vanto {

inline constexpr int DOVREL_MAX_FRAMES = 128;
inline constexpr int DOVREL_MACRO_COUNT = 34;
inline constexpr double SAMPLE_RATE = 48000;

inline constexpr int LANE_COUNT = 4;
inline constexpr int LANE_KICK = 0;
inline constexpr int LANE_CLAP = 1;
inline constexpr int LANE_PERC = 2;
inline constexpr int LANE_SUSTAIN = 3;

inline constexpr int DIVISION_COUNT = 14;
inline constexpr float DIVISION_BEATS[DIVISION_COUNT] = {
    0.125f, 1.0f / 6, 0.25f, 1.0f / 3, 0.375f, 0.5f, 2.0f / 3, 0.75f, 1.0f, 4.0f / 3, 1.5f, 2.0f, 3.0f, 4.0f};
inline constexpr int FEEL_COUNT = 5;
inline constexpr float FEEL_RELEASE[FEEL_COUNT] = {0.4f, 0.62f, 0.74f, 0.62f, 0.8f};
inline constexpr float FEEL_HOLD[FEEL_COUNT] = {0.0f, 0.05f, 0.1f, 0.05f, 0.12f};
inline constexpr float FEEL_SHAPE[FEEL_COUNT] = {0.55f, 1.0f, 1.45f, 1.0f, 2.0f};

inline constexpr int SIDECHAIN_EXTERNAL = 0;
inline constexpr int SIDECHAIN_INTERNAL = 1;
inline constexpr int SIDECHAIN_TEST_PULSE = 2;
inline constexpr int AUDITION_OFF = 0;
inline constexpr int AUDITION_SIDECHAIN = 1;
inline constexpr int AUDITION_DELTA = 2;

inline constexpr int BELL_COUNT_MIN = 2;
inline constexpr int BELL_COUNT_MAX = 4;
inline constexpr int BELL_COUNT_TOTAL = 4;
inline constexpr double BPM_MIN = kTempoMinBpm;
inline constexpr double BPM_MAX = kTempoMaxBpm;
inline constexpr double SPACE_KNEE_DB = 3;
inline constexpr double MIN_RELEASE_SECONDS = 0.03;
inline constexpr double MAX_RELEASE_SECONDS = 1.2;
inline constexpr double RETRIGGER_FRACTION = 0.45;
inline constexpr double ADAPT_RATIO_MIN = 0.5;
inline constexpr double ADAPT_RATIO_MAX = 2;
inline constexpr int ONSET_HISTORY = 4;
inline constexpr double SUSTAIN_BROADBAND_CAP = 0.25;
inline constexpr double FLOOR_EPS = 1e-5;
inline constexpr double SMOOTH_SECONDS = 0.02;

inline constexpr float LANE_Q[LANE_COUNT] = {0.9f, 0.7f, 0.6f, 0.4f};
inline constexpr double LANE_SUSTAIN_HZ = 692.8203230275509;
inline constexpr float LANE_FAST_ATTACK[LANE_COUNT] = {0.0008f, 0.0005f, 0.0002f, 0.05f};
inline constexpr float LANE_FAST_RELEASE[LANE_COUNT] = {0.03f, 0.02f, 0.012f, 0.05f};
inline constexpr float LANE_SLOW_ATTACK[LANE_COUNT] = {0.03f, 0.02f, 0.012f, 0.05f};
inline constexpr float LANE_SLOW_RELEASE[LANE_COUNT] = {0.22f, 0.15f, 0.09f, 0.05f};
inline constexpr double FLOOR_ATTACK_SECONDS = 0.4;
inline constexpr double FLOOR_RELEASE_SECONDS = 2;

inline constexpr double PROTECT_ATTACK_SECONDS = 0.0005;
inline constexpr double PROTECT_RELEASE_SECONDS = 0.04;
inline constexpr double PROTECT_SLOW_ATTACK_SECONDS = 0.02;
inline constexpr double PROTECT_SLOW_RELEASE_SECONDS = 0.12;
inline constexpr double PROTECT_FULL = 0.1;

inline constexpr double BELL_KICK_HZ = 90;
inline constexpr double BELL_SPARE_HZ = 8000;
inline constexpr double BELL_MAX_DB = 24;
inline constexpr double BELL_KICK_Q = 0.9;
inline constexpr int BELL_UPDATE_FRAMES = 128;

inline constexpr double GLUE_KNEE_DB = 6;
inline constexpr double GLUE_ATTACK_SECONDS = 0.01;
inline constexpr double GLUE_RELEASE_SECONDS = 0.12;
inline constexpr double GLUE_MAKEUP_SCALE = 0.25;
inline constexpr double SATURATION_MAX_DRIVE = 2;

inline constexpr double CROSSOVER_Q = 0.7071;
// Largest input magnitude the effect takes in (+180 dBFS); larger finite samples are limited so that no
// filter state can overflow single precision, non-finite samples read as silence.
inline constexpr double INPUT_LIMIT = 1e9;

} // namespace vanto
