// Realtime factor (seconds of audio rendered per CPU second) of KernelEngine::processBlock with
// 512-frame host blocks, at the kernel's own rate and through the sample-rate adapter, next to the
// raw kernel driven by hand in the same process.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/kernel_engine.h"
#include "kernel/dovrel_kernel.h"

namespace {

constexpr int kBlock = 512;
constexpr int kChunk = 128;

// A busy programme signal: a low tone, a high tone and a burst every quarter second.
struct Programme {
    std::vector<float> left;
    std::vector<float> right;

    explicit Programme(double rate) : left(kBlock * 64), right(kBlock * 64) {
        for (std::size_t i = 0; i < left.size(); ++i) {
            const double t = static_cast<double>(i) / rate;
            const double burst = std::fmod(t, 0.25) < 0.02 ? std::sin(2 * std::numbers::pi * 60 * t) : 0.0;
            left[i] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 110 * t) + 0.5 * burst);
            right[i] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 3500 * t) + 0.5 * burst);
        }
    }
    const float* leftAt(std::size_t block) const { return left.data() + (block % 64) * kBlock; }
    const float* rightAt(std::size_t block) const { return right.data() + (block % 64) * kBlock; }
};

// The raw kernel with the least a host has to do: copy each 128-frame chunk in and out.
class RawKernel {
  public:
    RawKernel() {
        // The engine owns the once-only runtime initialisation; one set-up is enough to run it.
        KernelEngine().setup(48000.0, kBlock);
        handle_ = static_cast<uint32_t>(dovrel_kernel_create(kChunk, 2, 2, 48000.0));
        uint32_t length = 0;
        dovrel_kernel_input_view(handle_, &input_, &length);
        dovrel_kernel_output_view(handle_, &output_, &length);
    }
    ~RawKernel() { dovrel_kernel_destroy(handle_); }
    bool ok() const { return handle_ != 0; }

    void render(const float* left, const float* right, float* outLeft, float* outRight) {
        for (int offset = 0; offset < kBlock; offset += kChunk) {
            std::copy_n(left + offset, kChunk, input_);
            std::copy_n(right + offset, kChunk, input_ + kChunk);
            dovrel_kernel_process(handle_, kChunk);
            std::copy_n(output_, kChunk, outLeft + offset);
            std::copy_n(output_ + kChunk, kChunk, outRight + offset);
        }
    }

  private:
    using KernelEngine = vanto::KernelEngine;
    uint32_t handle_ = 0;
    float* input_ = nullptr;
    float* output_ = nullptr;
};

void setRealtimeCounter(benchmark::State& state, double rate) {
    const double audioSeconds = static_cast<double>(state.iterations()) * kBlock / rate;
    // A rate counter is divided by the measured CPU time: seconds of audio per CPU second.
    state.counters["realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

void BM_RawKernel(benchmark::State& state) {
    RawKernel kernel;
    if (!kernel.ok()) {
        state.SkipWithError("kernel instance unavailable");
        return;
    }
    const Programme programme(48000.0);
    std::vector<float> left(kBlock), right(kBlock);
    std::size_t block = 0;
    for (auto _ : state) {
        kernel.render(programme.leftAt(block), programme.rightAt(block), left.data(), right.data());
        benchmark::DoNotOptimize(left.data());
        ++block;
    }
    setRealtimeCounter(state, 48000.0);
}
BENCHMARK(BM_RawKernel);

void BM_EngineProcessBlock(benchmark::State& state) {
    const auto rate = static_cast<double>(state.range(0));
    vanto::KernelEngine engine;
    if (!engine.setup(rate, kBlock)) {
        state.SkipWithError("engine set-up failed");
        return;
    }
    const Programme programme(rate);
    std::vector<float> left(kBlock), right(kBlock);
    float* out[2] = {left.data(), right.data()};
    std::size_t block = 0;
    for (auto _ : state) {
        const float* in[2] = {programme.leftAt(block), programme.rightAt(block)};
        engine.processBlock(in, 2, out, 2, kBlock);
        benchmark::DoNotOptimize(left.data());
        ++block;
    }
    if (engine.callbackFailed()) {
        state.SkipWithError("a block failed");
    }
    setRealtimeCounter(state, rate);
}
BENCHMARK(BM_EngineProcessBlock)->Arg(48000)->Arg(44100)->Arg(96000);

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The direct path's cost over the raw kernel, measured block by block in turn so that both see the
// same machine load: the "engine/kernel" counter is the ratio of their CPU times.
void BM_DirectPathOverRawKernel(benchmark::State& state) {
    RawKernel kernel;
    vanto::KernelEngine engine;
    if (!kernel.ok() || !engine.setup(48000.0, kBlock)) {
        state.SkipWithError("kernel instance unavailable");
        return;
    }
    const Programme programme(48000.0);
    std::vector<float> left(kBlock), right(kBlock);
    float* out[2] = {left.data(), right.data()};
    double engineSeconds = 0.0;
    double kernelSeconds = 0.0;
    std::size_t block = 0;
    for (auto _ : state) {
        const float* in[2] = {programme.leftAt(block), programme.rightAt(block)};
        const double start = threadCpuSeconds();
        engine.processBlock(in, 2, out, 2, kBlock);
        const double middle = threadCpuSeconds();
        kernel.render(in[0], in[1], left.data(), right.data());
        const double end = threadCpuSeconds();
        benchmark::DoNotOptimize(left.data());
        engineSeconds += middle - start;
        kernelSeconds += end - middle;
        ++block;
    }
    state.counters["engine/kernel"] = engineSeconds / kernelSeconds;
}
BENCHMARK(BM_DirectPathOverRawKernel);

} // namespace

BENCHMARK_MAIN();
