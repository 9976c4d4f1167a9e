// What the kernel's meter record costs, as a share of the kernel's own time, measured in one run on
// the same audio: 128-frame kernel calls over the demo (meters included, as the kernel always keeps
// them) against the meter record alone over the same frames (begin, one frame at a time, finish).
// Printed as the counter "meter_percent".
#include "demo_signal.h"
#include "dovrel_kernel.h"
#include "kernel_process.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

constexpr uint32_t kChunk = 128;
constexpr std::size_t kChunksPerRound = 375; // one second

using Clock = std::chrono::steady_clock;

void BM_MeterShareOfKernel(benchmark::State& state) {
    static const vanto::StereoBuffer demo = vanto::makeDemoSignal(48000, 4);
    dovrel_kernel_runtime_init();
    const auto handle = static_cast<uint32_t>(dovrel_kernel_create(kChunk, 2, 2, 48000));
    float* input = nullptr;
    float* output = nullptr;
    uint32_t length = 0;
    dovrel_kernel_input_view(handle, &input, &length);
    dovrel_kernel_output_view(handle, &output, &length);
    // A state for the meter alone, holding values a playing kernel holds.
    auto metered = std::make_unique<vanto::KernelState>();
    vanto::createState(*metered);
    vanto::prepare(*metered, {2, 128, 2, 48000});
    vanto::restoreDefaults(*metered);

    double kernelSeconds = 0;
    double meterSeconds = 0;
    std::size_t chunk = 0;
    const std::size_t chunks = demo.frames() / kChunk;
    for (auto _ : state) {
        for (std::size_t round = 0; round < kChunksPerRound; ++round, ++chunk) {
            const auto first = static_cast<std::ptrdiff_t>((chunk % chunks) * kChunk);
            std::copy_n(demo.left.begin() + first, kChunk, input);
            std::copy_n(demo.right.begin() + first, kChunk, input + kChunk);
            const auto kernelStart = Clock::now();
            dovrel_kernel_process(handle, kChunk);
            const auto meterStart = Clock::now();
            vanto::beginMeterRecord(metered->meter);
            for (uint32_t i = 0; i < kChunk; ++i) {
                vanto::meterFrame(metered->meter, *metered, input[i], input[kChunk + i], output[i],
                                  output[kChunk + i]);
            }
            vanto::finishMeterRecord(metered->meter, *metered, kChunk);
            const auto meterEnd = Clock::now();
            benchmark::DoNotOptimize(metered->meter.record);
            kernelSeconds += std::chrono::duration<double>(meterStart - kernelStart).count();
            meterSeconds += std::chrono::duration<double>(meterEnd - meterStart).count();
        }
    }
    state.counters["meter_percent"] = 100.0 * meterSeconds / kernelSeconds;
    state.counters["kernel_us_per_call"] = 1e6 * kernelSeconds / static_cast<double>(chunk);
    state.counters["meter_us_per_call"] = 1e6 * meterSeconds / static_cast<double>(chunk);
    dovrel_kernel_destroy(handle);
}

BENCHMARK(BM_MeterShareOfKernel)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

BENCHMARK_MAIN();
