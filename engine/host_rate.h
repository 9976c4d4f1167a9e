// The host's sample rate as an exact reduced fraction of hertz, and the exact mapping between host
// frames and kernel frames that the sample-rate adapter runs on. All positions are integer frame
// counters; every product is formed in 128-bit integers, so no position ever drifts.
#pragma once

#include <cstdint>

namespace vanto {

inline constexpr uint64_t kKernelRateHz = 48000;
// The interpolators read up to this many frames after a point, so a point can be produced only once
// that many later frames have arrived.
inline constexpr uint64_t kInterpolatorLookAhead = 16;

struct HostRate {
    uint64_t numerator = kKernelRateHz;
    uint64_t denominator = 1;
};

// Reads a rate in Hz at micro-hertz resolution into a reduced fraction (44100.5 Hz becomes 88201/2).
// Refuses rates that are not finite or lie outside [1e-6, 4e6] Hz.
bool hostRateFromHz(double sampleRate, HostRate& rate);

// A point between two frames of a stream: frame + remainder / divisor, with 0 <= remainder < divisor.
// The frame is negative for a point before the start of the stream.
struct FramePoint {
    __int128 frame;
    uint64_t remainder;
    uint64_t divisor;
};

// Walks equally spaced points exactly, step by step, without a division per point.
class FramePointStepper {
  public:
    // `step` is the spacing in units of 1 / start.divisor.
    FramePointStepper(FramePoint start, uint64_t step);

    __int128 frame() const { return frame_; }
    uint64_t remainder() const { return remainder_; }
    uint64_t divisor() const { return divisor_; }
    void advance();

  private:
    __int128 frame_;
    uint64_t remainder_;
    uint64_t divisor_;
    uint64_t wholeStep_;
    uint64_t remainderStep_;
};

// Rows of the polyphase tables: a fractional position is rounded to the nearest 1024th.
inline constexpr int kPolyphasePhaseCount = 1024;

// The phase row of a fraction remainder / divisor, rounded half up and limited to the last row (a
// fraction that rounds up to a whole frame stays on the same frame).
uint32_t polyphasePhase(uint64_t remainder, uint64_t divisor);

// The sample-rate adapter's delay from host input to host output, in host frames:
// 16 + 20 × hostRate / 48000.
double rateAdapterDelayFrames(double hostRate);

class RateTimeline {
  public:
    explicit RateTimeline(HostRate rate) : rate_(rate) {}

    // The host-rate position of kernel frame k: k × hostRate / 48000.
    FramePoint hostPointOfKernelFrame(uint64_t kernelFrame) const;
    // The kernel frame nearest to host frame h (h × 48000 / hostRate, halves rounded up).
    uint64_t kernelFrameNearestHostFrame(uint64_t hostFrame) const;
    // The kernel-rate position host output frame H is read from: (H − 16) × 48000 / hostRate − 20.
    // It is negative for the first output frames, which have no kernel output yet.
    FramePoint kernelReadPointOfHostFrame(uint64_t hostFrame) const;
    // The distance between the host points of consecutive kernel frames, in units of
    // 1 / hostPointOfKernelFrame(k).divisor.
    uint64_t hostStepPerKernelFrame() const { return rate_.numerator; }
    // The distance between the kernel read points of consecutive host frames, in units of
    // 1 / kernelReadPointOfHostFrame(h).divisor.
    uint64_t kernelStepPerHostFrame() const { return kKernelRateHz * rate_.denominator; }
    // The first kernel frame whose output the host output at hostFrame may still need (the
    // interpolator reaches 16 frames back); 0 when that lies before the start of the stream.
    uint64_t oldestKernelFrameNeeded(uint64_t hostOutputFrame) const;
    // The first host frame the input interpolator may still read for the next kernel frame.
    uint64_t oldestHostFrameNeeded(uint64_t nextKernelFrame) const;

  private:
    HostRate rate_;
};

} // namespace vanto
