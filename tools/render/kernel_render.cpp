#include "kernel_render.h"

#include "dovrel_kernel.h"
#include "param_table.h"

#include <algorithm>
#include <mutex>

namespace vanto {

namespace {

void initialiseKernelOnce() {
    static std::once_flag once;
    std::call_once(once, [] { dovrel_kernel_runtime_init(); });
}

} // namespace

KernelRender::KernelRender() {
    initialiseKernelOnce();
    handle_ = static_cast<uint32_t>(dovrel_kernel_create(DOVREL_KERNEL_MAX_FRAMES, 2, 2, 48000));
}

KernelRender::~KernelRender() {
    if (handle_ != 0) {
        dovrel_kernel_destroy(handle_);
    }
}

bool KernelRender::applyNormalized(const double* normalized) {
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        const double plain = vanto_param_to_plain(&VANTO_PARAMS[id], normalized[id]);
        if (dovrel_kernel_push_event(handle_, DOVREL_KERNEL_EVENT_PARAMETER, 0, id, plain) !=
            DOVREL_KERNEL_OK) {
            return false;
        }
    }
    return true;
}

bool KernelRender::render(const StereoBuffer& in, StereoBuffer& out, std::size_t first, std::size_t frames) {
    float* input = nullptr;
    float* output = nullptr;
    uint32_t length = 0;
    dovrel_kernel_input_view(handle_, &input, &length);
    dovrel_kernel_output_view(handle_, &output, &length);
    if (length == 0) {
        return false;
    }
    const std::size_t end = first + frames;
    for (std::size_t start = first; start < end; start += DOVREL_KERNEL_MAX_FRAMES) {
        const std::size_t chunk = std::min<std::size_t>(DOVREL_KERNEL_MAX_FRAMES, end - start);
        std::copy_n(in.left.begin() + start, chunk, input);
        std::copy_n(in.right.begin() + start, chunk, input + DOVREL_KERNEL_MAX_FRAMES);
        if (dovrel_kernel_process(handle_, static_cast<uint32_t>(chunk)) != DOVREL_KERNEL_OK) {
            return false;
        }
        std::copy_n(output, chunk, out.left.begin() + start);
        std::copy_n(output + DOVREL_KERNEL_MAX_FRAMES, chunk, out.right.begin() + start);
    }
    return true;
}

} // namespace vanto
