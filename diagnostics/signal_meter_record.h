// One meter record of the signal feeds: what the effect did over about 10 ms of audio (a few kernel
// chunks), as the engine gathers it on the audio thread and the page finally draws it. A plain,
// fixed-layout value, copied whole through the engine's meter ring.
#pragma once

#include <cstdint>

namespace vanto {

inline constexpr int kMeterLanes = 4; // kick, clap, perc, sustain
inline constexpr int kMeterBells = 4;
// The effect always runs at this rate inside; record times count its frames.
inline constexpr double kMeterFrameRate = 48000.0;

struct SignalMeterRecord {
    uint64_t atFrame = 0;  // first frame covered, counted in kernel frames since the engine was made
    uint32_t frames = 0;   // frames covered
    uint32_t hitLanes = 0; // bit l: lane l started a hit
    uint32_t hitOffset[kMeterLanes]{}; // frame of that lane's first hit, from atFrame
    float laneDuckDb[kMeterLanes]{};   // strongest ducking each lane asked for, dB >= 0
    float lowBandGainDb = 0;           // deepest low-band gain, dB (<= 0 while ducking)
    float glueReductionDb = 0;         // deepest glue gain reduction, dB >= 0
    uint32_t activeBells = 0;          // bit b: bell b is switched on
    float bellGainDb[kMeterBells]{};   // each bell's gain at the end of the span, dB
    float bellHz[kMeterBells]{};       // each bell's centre frequency, Hz
    float inputPeak[2]{};              // per channel, linear
    float inputMeanSquare[2]{};
    float outputPeak[2]{};
    float outputMeanSquare[2]{};
    uint32_t reserved = 0; // keeps the size a whole number of 64-bit words

    bool hit(int lane) const { return (hitLanes & (1u << lane)) != 0; }
    bool bellOn(int bell) const { return (activeBells & (1u << bell)) != 0; }
};

static_assert(sizeof(SignalMeterRecord) % sizeof(uint64_t) == 0);

} // namespace vanto
