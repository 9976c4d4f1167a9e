#include "meter_record.h"

#include "kernel_state.h"

#include <algorithm>
#include <cmath>

namespace vanto {

void beginMeterRecord(MeterAccumulator& meter) {
    meter = MeterAccumulator{};
}

void meterLaneHit(MeterAccumulator& meter, int lane, int frame) {
    const uint32_t bit = 1u << lane;
    if ((meter.record.hitLanes & bit) == 0) {
        meter.record.hitLanes |= bit;
        meter.record.hitFrame[lane] = static_cast<uint32_t>(frame);
    }
}

void meterFrame(MeterAccumulator& meter, const KernelState& state, double inLeft, double inRight,
                float outLeft, float outRight) {
    dovrel_kernel_meter_record& record = meter.record;
    for (int lane = 0; lane < LANE_COUNT; ++lane) {
        record.laneDuckDb[lane] = std::max(record.laneDuckDb[lane], state.laneDuck[lane]);
    }
    // The gain node holds the reduction it applies; subtracting from +0 keeps "no gain" at +0 dB.
    record.lowBandGainDb =
        std::min(record.lowBandGainDb, static_cast<float>(0.0 - state.broadbandGain.gainDb));
    record.glueReductionDb =
        std::max({record.glueReductionDb, state.glueLeft.envelope, state.glueRight.envelope});
    const double inputs[2] = {inLeft, inRight};
    const double outputs[2] = {outLeft, outRight};
    for (int ch = 0; ch < 2; ++ch) {
        record.inputPeak[ch] = std::max(record.inputPeak[ch], static_cast<float>(std::fabs(inputs[ch])));
        record.outputPeak[ch] = std::max(record.outputPeak[ch], static_cast<float>(std::fabs(outputs[ch])));
        meter.inputSquares[ch] += inputs[ch] * inputs[ch];
        meter.outputSquares[ch] += outputs[ch] * outputs[ch];
    }
}

void finishMeterRecord(MeterAccumulator& meter, const KernelState& state, uint32_t frames) {
    dovrel_kernel_meter_record& record = meter.record;
    record.frames = frames;
    for (int ch = 0; ch < 2 && frames > 0; ++ch) {
        record.inputMeanSquare[ch] = static_cast<float>(meter.inputSquares[ch] / frames);
        record.outputMeanSquare[ch] = static_cast<float>(meter.outputSquares[ch] / frames);
    }
    record.activeBells = 0;
    for (int bell = 0; bell < BELL_COUNT_TOTAL; ++bell) {
        const ParametricEqBand& band = state.bellEqLeft.bands[bell];
        if (band.requestedOn) {
            record.activeBells |= 1u << bell;
        }
        record.bellGainDb[bell] = static_cast<float>(band.gainDb);
        record.bellHz[bell] = static_cast<float>(bellFrequency(state, bell));
    }
}

} // namespace vanto
