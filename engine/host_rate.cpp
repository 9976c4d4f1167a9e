#include "host_rate.h"

#include <cmath>

namespace vanto {

namespace {

using u128 = unsigned __int128;
using i128 = __int128;

constexpr double kMinRateHz = 1e-6;
constexpr double kMaxRateHz = 4e6;
constexpr uint64_t kMicroHertzPerHertz = 1000000;
// Host output is read this many host frames (the output interpolator's look-ahead) and a further
// fixed number of kernel frames behind the host input.
constexpr uint64_t kLookAheadFrames = kInterpolatorLookAhead;
constexpr uint64_t kOutputLagKernelFrames = 20;

uint64_t greatestCommonDivisor(uint64_t a, uint64_t b) {
    while (b != 0) {
        const uint64_t rest = a % b;
        a = b;
        b = rest;
    }
    return a;
}

// Floor division for a possibly negative dividend and a positive divisor.
i128 floorDivide(i128 dividend, i128 divisor) {
    i128 quotient = dividend / divisor;
    if (dividend % divisor != 0 && dividend < 0) {
        quotient -= 1;
    }
    return quotient;
}

} // namespace

bool hostRateFromHz(double sampleRate, HostRate& rate) {
    if (!std::isfinite(sampleRate) || sampleRate < kMinRateHz || sampleRate > kMaxRateHz) {
        return false;
    }
    // std::round rounds halves away from zero.
    const double microHertz = std::round(sampleRate * static_cast<double>(kMicroHertzPerHertz));
    if (!std::isfinite(microHertz) || microHertz < 1.0 || microHertz > 18446744073709551616.0) {
        return false;
    }
    const auto n = static_cast<uint64_t>(microHertz);
    const uint64_t g = greatestCommonDivisor(n, kMicroHertzPerHertz);
    rate.numerator = n / g;
    rate.denominator = kMicroHertzPerHertz / g;
    return true;
}

uint32_t polyphasePhase(uint64_t remainder, uint64_t divisor) {
    const u128 phase = (static_cast<u128>(remainder) * kPolyphasePhaseCount + divisor / 2) / divisor;
    return phase >= kPolyphasePhaseCount ? kPolyphasePhaseCount - 1 : static_cast<uint32_t>(phase);
}

FramePointStepper::FramePointStepper(FramePoint start, uint64_t step)
    : frame_(start.frame), remainder_(start.remainder), divisor_(start.divisor),
      wholeStep_(step / start.divisor), remainderStep_(step % start.divisor) {}

void FramePointStepper::advance() {
    frame_ += wholeStep_;
    remainder_ += remainderStep_;
    if (remainder_ >= divisor_) {
        remainder_ -= divisor_;
        frame_ += 1;
    }
}

FramePoint RateTimeline::hostPointOfKernelFrame(uint64_t kernelFrame) const {
    const uint64_t divisor = kKernelRateHz * rate_.denominator;
    const u128 scaled = static_cast<u128>(kernelFrame) * rate_.numerator;
    const u128 frame = scaled / divisor;
    return {static_cast<i128>(frame), static_cast<uint64_t>(scaled - frame * divisor), divisor};
}

uint64_t RateTimeline::kernelFrameNearestHostFrame(uint64_t hostFrame) const {
    const u128 scaled = static_cast<u128>(hostFrame) * kKernelRateHz * rate_.denominator;
    return static_cast<uint64_t>((scaled + rate_.numerator / 2) / rate_.numerator);
}

FramePoint RateTimeline::kernelReadPointOfHostFrame(uint64_t hostFrame) const {
    const i128 num = static_cast<i128>(rate_.numerator);
    const i128 scaled = (static_cast<i128>(hostFrame) * static_cast<i128>(kKernelRateHz) -
                         static_cast<i128>(kLookAheadFrames * kKernelRateHz)) *
                            static_cast<i128>(rate_.denominator) -
                        static_cast<i128>(kOutputLagKernelFrames) * num;
    const i128 frame = floorDivide(scaled, num);
    return {frame, static_cast<uint64_t>(scaled - frame * num), rate_.numerator};
}

uint64_t RateTimeline::oldestKernelFrameNeeded(uint64_t hostOutputFrame) const {
    const i128 frame = kernelReadPointOfHostFrame(hostOutputFrame).frame;
    return frame > static_cast<i128>(kLookAheadFrames) ? static_cast<uint64_t>(frame) - kLookAheadFrames : 0;
}

uint64_t RateTimeline::oldestHostFrameNeeded(uint64_t nextKernelFrame) const {
    const i128 frame = hostPointOfKernelFrame(nextKernelFrame).frame;
    return frame > static_cast<i128>(kLookAheadFrames) ? static_cast<uint64_t>(frame) - kLookAheadFrames : 0;
}

double rateAdapterDelayFrames(double hostRate) {
    return static_cast<double>(kLookAheadFrames) +
           static_cast<double>(kOutputLagKernelFrames) * hostRate / static_cast<double>(kKernelRateHz);
}

} // namespace vanto
