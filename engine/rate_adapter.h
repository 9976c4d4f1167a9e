// The streaming sample-rate adapter between the host rate and the kernel's 48000 Hz: host input is
// resampled to the kernel rate with a polyphase windowed-sinc interpolator, the caller runs the kernel
// over the staged kernel-rate frames, and the kernel's output is resampled back to the host rate.
// Every position is an exact integer frame counter, so the adapter never drifts; its fixed delay is
// rateAdapterDelayFrames(). All storage is allocated by configure(); nothing else allocates.
#pragma once

#include <cstdint>
#include <vector>

#include "host_rate.h"
#include "polyphase_table.h"
#include "stereo_history.h"

namespace vanto {

class RateAdapter {
  public:
    // Sizes the three histories to `fifoCapacity` frames per channel, builds both filter tables for
    // the rate and rewinds the stream. Runs on the set-up thread.
    void configure(HostRate rate, uint64_t fifoCapacity);
    // Rewinds the stream: empty histories, all position counters 0. Samples and tables stay.
    void rewind();

    uint64_t fifoCapacity() const { return fifoCapacity_; }
    const RateTimeline& timeline() const { return timeline_; }

    // One host block, in this order: trimHistories, appendHostInput, stageKernelInput, the caller's
    // kernel chunks (appendKernelOutput / advanceKernelOutput), finishHostInput, renderHostOutput.

    // Drops the history that no later interpolation can reach.
    void trimHistories();
    // Appends one host block; a null channel appends silence. False when the input history is full.
    bool appendHostInput(const float* left, const float* right, uint64_t frames);
    // Appends the side-chain frames of the same host block (null channels when the block has none),
    // so that the side-chain stays in step with the input. Call right after appendHostInput.
    void appendHostSidechain(const float* left, const float* right, uint64_t frames);
    // Produces every kernel-rate input frame whose interpolation window has fully arrived; returns
    // how many were staged (stagedChannel(ch)[0 …)). With `withSidechain` the side-chain is staged at
    // the same points (stagedSidechainChannel).
    uint64_t stageKernelInput(bool withSidechain = false);
    const float* stagedChannel(int ch) const {
        return stage_.data() + static_cast<std::size_t>(ch) * fifoCapacity_;
    }
    const float* stagedSidechainChannel(int ch) const {
        return sidechainStage_.data() + static_cast<std::size_t>(ch) * fifoCapacity_;
    }

    // Absolute kernel frame of the next kernel chunk.
    uint64_t kernelOutputPosition() const { return kernelOutputPos_; }
    // Keeps a processed chunk's output; false when the output history is full.
    bool appendKernelOutput(const float* left, const float* right, uint64_t frames);
    // Moves past a processed chunk, whether its output was kept or not.
    void advanceKernelOutput(uint64_t frames) { kernelOutputPos_ += frames; }

    uint64_t hostInputPosition() const { return hostInputPos_; }
    void finishHostInput(uint64_t frames) { hostInputPos_ += frames; }

    // Writes the next `frames` host output frames to every non-null channel of `out` (channels 0 and 1
    // from the kernel's two channels, further ones from channel 0) and trims the output history.
    // Returns whether any interpolated sample was non-zero.
    bool renderHostOutput(float* const* out, int outChannels, uint64_t frames);

  private:
    RateTimeline timeline_{HostRate{}};
    uint64_t fifoCapacity_ = 0;
    StereoHistory input_;
    StereoHistory sidechain_; // always as long as input_ and starting at the same frame
    StereoHistory output_;
    std::vector<float> stage_;
    std::vector<float> sidechainStage_;
    PolyphaseTable inputTable_;
    PolyphaseTable outputTable_;
    uint64_t kernelInputPos_ = 0;
    uint64_t kernelOutputPos_ = 0;
    uint64_t hostInputPos_ = 0;
    uint64_t hostOutputPos_ = 0;
};

} // namespace vanto
