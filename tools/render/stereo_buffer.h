// Planar stereo audio held in memory by the render tool and the benchmarks.
#pragma once

#include <cstddef>
#include <vector>

namespace vanto {

struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;

    explicit StereoBuffer(std::size_t frames = 0) : left(frames), right(frames) {}
    std::size_t frames() const { return left.size(); }
};

} // namespace vanto
