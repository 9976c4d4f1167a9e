// The optional trace file: when the environment variable "VANTO_KERNEL_TRACE" names a file, every
// kernel set-up ("S"), direct-path chunk ("B") and pushed event ("E") of every engine in the process
// is appended to it as one line. The decision is made once per process, at first use.
#pragma once

#include <cstdint>
#include <cstdio>

namespace vanto {

// The trace file, or null when tracing is off.
std::FILE* kernelTraceFile();

// The process-wide block counter that ties "B" and "E" lines together.
uint64_t kernelTraceBlock();
uint64_t advanceKernelTraceBlock();

void traceKernelSetup(std::FILE* file, const void* engine, double hostRate, uint32_t handle);
void traceKernelChunk(std::FILE* file, const void* engine, int offset, int chunk, int frames, int events);
void traceKernelEvent(std::FILE* file, const void* engine, uint32_t frame, int kind, uint32_t target,
                      double value, const char* source, double status);

} // namespace vanto
