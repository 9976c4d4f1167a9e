// Gathers an instance's meter record while the process loop runs: one record per process call of the
// module, built only from values the loop has already computed, so metering never changes the audio.
#pragma once

#include "dovrel_kernel_meters.h"

namespace vanto {

struct KernelState;

struct MeterAccumulator {
    dovrel_kernel_meter_record record{};
    double inputSquares[2] = {};
    double outputSquares[2] = {};
};

// Starts the record of a new process call.
void beginMeterRecord(MeterAccumulator& meter);
// Notes that `lane` started a hit at `frame` of the call; only the first hit of a lane is kept.
void meterLaneHit(MeterAccumulator& meter, int lane, int frame);
// Takes in one rendered frame: the lanes' ducks, the low-band gain and the glue's reduction the state
// holds after the frame, with the frame's input (as read) and output samples.
void meterFrame(MeterAccumulator& meter, const KernelState& state, double inLeft, double inRight,
                float outLeft, float outRight);
// Completes the record of a call of `frames` frames: mean squares and the bells as they now stand.
void finishMeterRecord(MeterAccumulator& meter, const KernelState& state, uint32_t frames);

} // namespace vanto
