// Renders 48 kHz stereo audio straight through one kernel instance, in 128-frame blocks.
#pragma once

#include "stereo_buffer.h"

#include <array>
#include <cstdint>

namespace vanto {

class KernelRender {
  public:
    // Initialises the kernel runtime once for the process and creates one instance.
    KernelRender();
    ~KernelRender();
    KernelRender(const KernelRender&) = delete;
    KernelRender& operator=(const KernelRender&) = delete;

    bool valid() const { return handle_ != 0; }
    // Queues every parameter of a normalized value set for the start of the next block.
    bool applyNormalized(const double* normalized);
    // Renders `in` into `out` (same length) from `first` for `frames` frames.
    bool render(const StereoBuffer& in, StereoBuffer& out, std::size_t first, std::size_t frames);

  private:
    uint32_t handle_ = 0;
};

} // namespace vanto
