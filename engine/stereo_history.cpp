#include "stereo_history.h"

#include <algorithm>
#include <cstring>

#include "finite_samples.h"

namespace vanto {

void StereoHistory::allocate(uint64_t capacity) {
    samples_.assign(static_cast<std::size_t>(capacity) * 2, 0.0f);
    capacity_ = capacity;
    clear();
}

void StereoHistory::clear() {
    fill_ = 0;
    base_ = 0;
}

bool StereoHistory::append(const float* left, const float* right, uint64_t frames) {
    if (fill_ + frames > capacity_) {
        return false;
    }
    const float* sources[2] = {left, right};
    for (int ch = 0; ch < 2; ++ch) {
        float* destination = channelData(ch) + fill_;
        if (sources[ch] != nullptr) {
            copyFiniteSamples(sources[ch], destination, frames);
        } else {
            std::fill_n(destination, frames, 0.0f);
        }
    }
    fill_ += frames;
    return true;
}

void StereoHistory::dropBefore(uint64_t keepFrom) {
    if (keepFrom <= base_) {
        return;
    }
    const uint64_t dropped = std::min(keepFrom - base_, fill_);
    for (int ch = 0; ch < 2; ++ch) {
        float* data = channelData(ch);
        std::memmove(data, data + dropped, (fill_ - dropped) * sizeof(float));
    }
    fill_ -= dropped;
    base_ += dropped;
}

} // namespace vanto
