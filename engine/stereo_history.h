// A two-channel planar sample history with a fixed capacity: samples are appended at the back and
// dropped from the front, and the absolute frame of the first held sample is tracked, so that a
// position anywhere in an endless stream maps to an index in the history.
#pragma once

#include <cstdint>
#include <vector>

namespace vanto {

class StereoHistory {
  public:
    // Allocates `capacity` zeroed samples per channel and empties the history.
    void allocate(uint64_t capacity);
    void clear();

    uint64_t capacity() const { return capacity_; }
    uint64_t fill() const { return fill_; }
    // Absolute frame of the first held sample.
    uint64_t base() const { return base_; }
    // One past the absolute frame of the last held sample.
    uint64_t end() const { return base_ + fill_; }

    const float* channel(int ch) const { return samples_.data() + static_cast<std::size_t>(ch) * capacity_; }

    // Appends `frames` samples per channel (a null source appends zeros, a non-finite sample is held
    // as 0); false, and nothing appended, when they do not fit.
    bool append(const float* left, const float* right, uint64_t frames);
    // Drops the samples before absolute frame `keepFrom`, as far as they are held.
    void dropBefore(uint64_t keepFrom);

  private:
    float* channelData(int ch) { return samples_.data() + static_cast<std::size_t>(ch) * capacity_; }

    std::vector<float> samples_;
    uint64_t capacity_ = 0;
    uint64_t fill_ = 0;
    uint64_t base_ = 0;
};

} // namespace vanto
