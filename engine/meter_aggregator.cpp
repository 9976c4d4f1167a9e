#include "engine/meter_aggregator.h"

#include <algorithm>

namespace vanto {

void MeterAggregator::reset() {
    frame_ = 0;
    nextBoundary_ = kRecordFrames;
    startRecord();
}

void MeterAggregator::startRecord() {
    open_ = SignalMeterRecord{};
    open_.atFrame = frame_;
    inputSquares_[0] = inputSquares_[1] = outputSquares_[0] = outputSquares_[1] = 0;
}

void MeterAggregator::skip(uint32_t frames) {
    frame_ += frames;
    while (nextBoundary_ <= frame_) {
        nextBoundary_ += kRecordFrames;
    }
    startRecord();
}

bool MeterAggregator::add(const dovrel_kernel_meter_record& call) {
    const uint32_t offset = open_.frames;
    for (int lane = 0; lane < kMeterLanes; ++lane) {
        const uint32_t bit = 1u << lane;
        if ((call.hitLanes & bit) != 0 && (open_.hitLanes & bit) == 0) {
            open_.hitLanes |= bit;
            open_.hitOffset[lane] = offset + call.hitFrame[lane];
        }
        open_.laneDuckDb[lane] = std::max(open_.laneDuckDb[lane], call.laneDuckDb[lane]);
    }
    open_.lowBandGainDb = std::min(open_.lowBandGainDb, call.lowBandGainDb);
    open_.glueReductionDb = std::max(open_.glueReductionDb, call.glueReductionDb);
    // The bells change at most once per call; the latest setting stands for the record.
    open_.activeBells = call.activeBells;
    std::copy_n(call.bellGainDb, kMeterBells, open_.bellGainDb);
    std::copy_n(call.bellHz, kMeterBells, open_.bellHz);
    for (int ch = 0; ch < 2; ++ch) {
        open_.inputPeak[ch] = std::max(open_.inputPeak[ch], call.inputPeak[ch]);
        open_.outputPeak[ch] = std::max(open_.outputPeak[ch], call.outputPeak[ch]);
        inputSquares_[ch] += static_cast<double>(call.inputMeanSquare[ch]) * call.frames;
        outputSquares_[ch] += static_cast<double>(call.outputMeanSquare[ch]) * call.frames;
    }
    open_.frames += call.frames;
    frame_ += call.frames;
    if (frame_ < nextBoundary_ || open_.frames == 0) {
        return false;
    }
    while (nextBoundary_ <= frame_) {
        nextBoundary_ += kRecordFrames;
    }
    for (int ch = 0; ch < 2; ++ch) {
        open_.inputMeanSquare[ch] = static_cast<float>(inputSquares_[ch] / open_.frames);
        open_.outputMeanSquare[ch] = static_cast<float>(outputSquares_[ch] / open_.frames);
    }
    completed_ = open_;
    startRecord();
    return true;
}

} // namespace vanto
