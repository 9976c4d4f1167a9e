// Realtime factor of one kernel instance at the default preset, in 128-frame blocks: seconds of audio
// rendered per CPU second, printed as the counter "realtime".
#include "demo_signal.h"
#include "kernel_render.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

constexpr double kRate = 48000;

void renderRealtime(benchmark::State& state, const vanto::StereoBuffer& input) {
    vanto::StereoBuffer output(input.frames());
    for (auto _ : state) {
        vanto::KernelRender kernel;
        if (!kernel.valid() || !kernel.render(input, output, 0, input.frames())) {
            state.SkipWithError("the kernel refused to render");
            return;
        }
        benchmark::DoNotOptimize(output.left.data());
    }
    const double seconds = static_cast<double>(input.frames()) / kRate;
    state.counters["realtime"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// 60 s of drums (test-pulse kicks and claps) over a bass tone.
void BM_KernelDrums60s(benchmark::State& state) {
    static const vanto::StereoBuffer input = vanto::makeDemoSignal(kRate, 60);
    renderRealtime(state, input);
}

// A loud burst followed by 10 s of silence: the decaying tails must not slow the loop down.
void BM_KernelBurstThenSilence(benchmark::State& state) {
    static const vanto::StereoBuffer input = [] {
        vanto::StereoBuffer audio(static_cast<std::size_t>(kRate * 10.5));
        std::mt19937 random(3);
        std::uniform_real_distribution<float> noise(-1, 1);
        for (std::size_t i = 0; i < static_cast<std::size_t>(kRate / 2); ++i) {
            audio.left[i] = noise(random);
            audio.right[i] = noise(random);
        }
        return audio;
    }();
    renderRealtime(state, input);
}

BENCHMARK(BM_KernelDrums60s)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_KernelBurstThenSilence)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

BENCHMARK_MAIN();
