// Helpers for driving a KernelEngine with whole signals in host-sized blocks.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <vector>

#include "engine/kernel_engine.h"

namespace vanto::test {

inline constexpr uint32_t kParamAudition = 30;
inline constexpr uint32_t kParamMix = 31;
inline constexpr uint32_t kParamMaster = 32;

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;

    explicit Stereo(std::size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
    std::size_t frames() const { return left.size(); }
};

// Mix 0 and output level 1 make the kernel pass its input through unchanged (dry × 1). The mirror
// values reach the kernel with the first chunk; the kernel's smoothing then settles within about two
// seconds, after which output equals input exactly.
inline void makeKernelTransparent(KernelEngine& engine) {
    engine.setParamValue(kParamMix, 0.0);
    engine.setParamValue(kParamMaster, 1.0);
}

inline constexpr double kTransparentSettleSeconds = 2.0;

// Renders one host block; `left`/`right` may be null for a missing input channel.
inline void renderBlock(KernelEngine& engine, const float* left, const float* right, int inChannels,
                        float* outLeft, float* outRight, int frames) {
    const float* in[2] = {left, right};
    float* out[2] = {outLeft, outRight};
    engine.processBlock(in, inChannels, out, 2, frames);
}

// Renders a whole stereo signal in blocks of `blockFrames`.
inline Stereo renderSignal(KernelEngine& engine, const Stereo& input, int blockFrames) {
    Stereo output(input.frames());
    for (std::size_t start = 0; start < input.frames(); start += static_cast<std::size_t>(blockFrames)) {
        const int frames = static_cast<int>(std::min<std::size_t>(blockFrames, input.frames() - start));
        renderBlock(engine, input.left.data() + start, input.right.data() + start, 2,
                    output.left.data() + start, output.right.data() + start, frames);
    }
    return output;
}

inline Stereo sine(double frequency, double sampleRate, std::size_t frames, double amplitude) {
    Stereo signal(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const auto value = static_cast<float>(
            amplitude * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / sampleRate));
        signal.left[i] = value;
        signal.right[i] = value;
    }
    return signal;
}

// The amplitude of the `frequency` component of samples [start, start + count), by projection onto a
// complex exponential; exact for a sine when the window holds whole periods of every component.
inline double amplitudeAt(const std::vector<float>& samples, std::size_t start, std::size_t count,
                          double frequency, double sampleRate) {
    std::complex<double> sum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double angle = 2.0 * std::numbers::pi * frequency * static_cast<double>(i) / sampleRate;
        sum += static_cast<double>(samples[start + i]) * std::polar(1.0, -angle);
    }
    return 2.0 * std::abs(sum) / static_cast<double>(count);
}

inline double decibels(double ratio) {
    return 20.0 * std::log10(ratio);
}

} // namespace vanto::test
