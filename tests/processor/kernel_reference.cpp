#include "processor/kernel_reference.h"

#include "dovrel_kernel.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>

namespace vanto::test {

StereoBuffer renderThroughKernel(const StereoBuffer& input, const std::vector<ReferenceChange>& changes) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { dovrel_kernel_runtime_init(); });
    const auto handle = static_cast<uint32_t>(dovrel_kernel_create(DOVREL_KERNEL_MAX_FRAMES, 2, 2, 48000));
    float* in = nullptr;
    float* out = nullptr;
    uint32_t length = 0;
    dovrel_kernel_input_view(handle, &in, &length);
    dovrel_kernel_output_view(handle, &out, &length);
    if (handle == 0 || in == nullptr || out == nullptr) {
        throw std::runtime_error("no kernel instance");
    }
    StereoBuffer output(input.frames());
    auto change = changes.begin();
    for (std::size_t start = 0; start < input.frames(); start += DOVREL_KERNEL_MAX_FRAMES) {
        const std::size_t chunk = std::min<std::size_t>(DOVREL_KERNEL_MAX_FRAMES, input.frames() - start);
        for (; change != changes.end() && change->frame < start + chunk; ++change) {
            dovrel_kernel_push_event(handle, DOVREL_KERNEL_EVENT_PARAMETER,
                                     static_cast<uint32_t>(change->frame - start), change->id, change->plain);
        }
        std::copy_n(input.left.begin() + static_cast<std::ptrdiff_t>(start), chunk, in);
        std::copy_n(input.right.begin() + static_cast<std::ptrdiff_t>(start), chunk,
                    in + DOVREL_KERNEL_MAX_FRAMES);
        dovrel_kernel_process(handle, static_cast<uint32_t>(chunk));
        std::copy_n(out, chunk, output.left.begin() + static_cast<std::ptrdiff_t>(start));
        std::copy_n(out + DOVREL_KERNEL_MAX_FRAMES, chunk,
                    output.right.begin() + static_cast<std::ptrdiff_t>(start));
    }
    dovrel_kernel_destroy(handle);
    return output;
}

} // namespace vanto::test
