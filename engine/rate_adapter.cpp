#include "rate_adapter.h"

#include <algorithm>

namespace vanto {

void RateAdapter::configure(HostRate rate, uint64_t fifoCapacity) {
    timeline_ = RateTimeline(rate);
    fifoCapacity_ = fifoCapacity;
    input_.allocate(fifoCapacity);
    sidechain_.allocate(fifoCapacity);
    output_.allocate(fifoCapacity);
    stage_.assign(static_cast<std::size_t>(fifoCapacity) * 2, 0.0f);
    sidechainStage_.assign(static_cast<std::size_t>(fifoCapacity) * 2, 0.0f);
    // Each direction's pass band ends at the Nyquist frequency of the slower of the two rates, so
    // whichever side decimates is band-limited.
    const double ratio = static_cast<double>(rate.numerator) / static_cast<double>(rate.denominator) /
                         static_cast<double>(kKernelRateHz);
    inputTable_.build(std::min(1.0 / ratio, 1.0));
    outputTable_.build(std::min(ratio, 1.0));
    rewind();
}

void RateAdapter::rewind() {
    input_.clear();
    sidechain_.clear();
    output_.clear();
    kernelInputPos_ = 0;
    kernelOutputPos_ = 0;
    hostInputPos_ = 0;
    hostOutputPos_ = 0;
}

void RateAdapter::trimHistories() {
    const uint64_t oldestHostFrame = timeline_.oldestHostFrameNeeded(kernelInputPos_);
    input_.dropBefore(oldestHostFrame);
    sidechain_.dropBefore(oldestHostFrame);
    output_.dropBefore(timeline_.oldestKernelFrameNeeded(hostOutputPos_));
}

bool RateAdapter::appendHostInput(const float* left, const float* right, uint64_t frames) {
    return input_.append(left, right, frames);
}

void RateAdapter::appendHostSidechain(const float* left, const float* right, uint64_t frames) {
    // Both histories have the same capacity and fill, so this fits wherever the input did.
    sidechain_.append(left, right, frames);
}

uint64_t RateAdapter::stageKernelInput(bool withSidechain) {
    float* stageLeft = stage_.data();
    float* stageRight = stage_.data() + fifoCapacity_;
    FramePointStepper point(timeline_.hostPointOfKernelFrame(kernelInputPos_),
                            timeline_.hostStepPerKernelFrame());
    uint64_t staged = 0;
    while (staged < fifoCapacity_) {
        const auto hostFrame = static_cast<uint64_t>(point.frame());
        if (hostFrame + kInterpolatorLookAhead >= input_.end()) {
            break;
        }
        const uint32_t phase = polyphasePhase(point.remainder(), point.divisor());
        const uint64_t index = hostFrame - input_.base();
        stageLeft[staged] = interpolateAt(inputTable_, input_.channel(0), input_.fill(), index, phase);
        stageRight[staged] = interpolateAt(inputTable_, input_.channel(1), input_.fill(), index, phase);
        if (withSidechain) {
            for (int ch = 0; ch < 2; ++ch) {
                sidechainStage_[static_cast<std::size_t>(ch) * fifoCapacity_ + staged] =
                    interpolateAt(inputTable_, sidechain_.channel(ch), sidechain_.fill(), index, phase);
            }
        }
        ++staged;
        ++kernelInputPos_;
        point.advance();
    }
    return staged;
}

bool RateAdapter::appendKernelOutput(const float* left, const float* right, uint64_t frames) {
    return output_.append(left, right, frames);
}

bool RateAdapter::renderHostOutput(float* const* out, int outChannels, uint64_t frames) {
    bool needLeft = out[0] != nullptr;
    for (int ch = 2; ch < outChannels; ++ch) {
        needLeft = needLeft || out[ch] != nullptr;
    }
    const bool needRight = outChannels >= 2 && out[1] != nullptr;

    bool anyNonZero = false;
    FramePointStepper point(timeline_.kernelReadPointOfHostFrame(hostOutputPos_),
                            timeline_.kernelStepPerHostFrame());
    for (uint64_t t = 0; t < frames; ++t, point.advance()) {
        const __int128 kernelFrame = point.frame();
        const bool readable = kernelFrame >= static_cast<__int128>(output_.base()) &&
                              kernelFrame + static_cast<__int128>(kInterpolatorLookAhead) <
                                  static_cast<__int128>(output_.end());
        float left = 0.0f;
        float right = 0.0f;
        if (readable) {
            const uint32_t phase = polyphasePhase(point.remainder(), point.divisor());
            const uint64_t index = static_cast<uint64_t>(kernelFrame) - output_.base();
            if (needLeft) {
                left = interpolateAt(outputTable_, output_.channel(0), output_.fill(), index, phase);
            }
            if (needRight) {
                right = interpolateAt(outputTable_, output_.channel(1), output_.fill(), index, phase);
            }
            anyNonZero = anyNonZero || left != 0.0f || right != 0.0f;
        }
        for (int ch = 0; ch < outChannels; ++ch) {
            if (out[ch] != nullptr) {
                out[ch][t] = ch == 1 ? right : left;
            }
        }
    }
    hostOutputPos_ += frames;
    output_.dropBefore(timeline_.oldestKernelFrameNeeded(hostOutputPos_));
    return anyNonZero;
}

} // namespace vanto
