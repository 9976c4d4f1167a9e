#include "kernel_trace.h"

#include <atomic>
#include <cstdlib>

namespace vanto {

namespace {

std::atomic<uint64_t> traceBlockCounter{0};

std::FILE* openTraceFile() {
    const char* path = std::getenv("VANTO_KERNEL_TRACE");
    if (path == nullptr || path[0] == '\0') {
        return nullptr;
    }
    return std::fopen(path, "a");
}

} // namespace

std::FILE* kernelTraceFile() {
    // Opened at most once and never closed: engines of the whole process share it until exit.
    static std::FILE* const file = openTraceFile();
    return file;
}

uint64_t kernelTraceBlock() {
    return traceBlockCounter.load(std::memory_order_relaxed);
}

uint64_t advanceKernelTraceBlock() {
    return traceBlockCounter.fetch_add(1, std::memory_order_relaxed) + 1;
}

void traceKernelSetup(std::FILE* file, const void* engine, double hostRate, uint32_t handle) {
    std::fprintf(file, "S this=%p rate=%.17g kernelRate=%.17g handle=%u\n", engine, hostRate, 48000.0,
                 handle);
    std::fflush(file);
}

void traceKernelChunk(std::FILE* file, const void* engine, int offset, int chunk, int frames, int events) {
    std::fprintf(file, "B this=%p blk=%llu off=%d chunk=%d frames=%d events=%d\n", engine,
                 static_cast<unsigned long long>(kernelTraceBlock()), offset, chunk, frames, events);
}

void traceKernelEvent(std::FILE* file, const void* engine, uint32_t frame, int kind, uint32_t target,
                      double value, const char* source, double status) {
    std::fprintf(file, "E this=%p blk=%llu frame=%u kind=%d a=%u value=%.17g src=%s status=%g\n", engine,
                 static_cast<unsigned long long>(kernelTraceBlock()), frame, kind, target, value, source,
                 status);
}

} // namespace vanto
