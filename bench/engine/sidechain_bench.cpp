// What an external side-chain costs: the kernel's 128-frame chunks and the engine's 512-frame host
// blocks (at 48 kHz and through the sample-rate adapter at 44.1 kHz), each with "sidechain.source" 0
// and run without a side-chain (the main input stands in) and with one, in the same run. The
// "realtime" counter is seconds of audio per CPU second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "engine/kernel_engine.h"
#include "kernel/dovrel_kernel.h"

namespace {

constexpr int kBlock = 512;
constexpr int kChunk = 128;
constexpr uint32_t kSidechainSource = 4;
constexpr std::size_t kBlocks = 64;

// A bass tone and a kick every half second. With a side-chain the kicks come on it; without, they are
// mixed into the main input (where "sidechain.source" 0 then listens), so both runs detect and duck
// the same hits and the difference is what carrying the side-chain costs.
struct Signals {
    std::vector<float> bass;
    std::vector<float> kicks;
    std::vector<float> mix;

    explicit Signals(double rate) : bass(kBlock * kBlocks), kicks(kBlock * kBlocks), mix(kBlock * kBlocks) {
        for (std::size_t i = 0; i < bass.size(); ++i) {
            const double t = static_cast<double>(i) / rate;
            const double sinceKick = std::fmod(t, 0.5);
            bass[i] = static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * 55 * t));
            kicks[i] = static_cast<float>(0.9 * std::exp(-sinceKick / 0.06) *
                                          std::sin(2 * std::numbers::pi * 60 * sinceKick));
            mix[i] = bass[i] + kicks[i];
        }
    }
    const float* mainAt(std::size_t block, bool sidechained) const {
        return (sidechained ? bass : mix).data() + (block % kBlocks) * kBlock;
    }
    const float* kicksAt(std::size_t block) const { return kicks.data() + (block % kBlocks) * kBlock; }
};

void setRealtimeCounter(benchmark::State& state, double rate, int framesPerIteration) {
    const double audioSeconds = static_cast<double>(state.iterations()) * framesPerIteration / rate;
    state.counters["realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

// Raw kernel chunks; range(0): 1 with the side-chain region, 0 without.
void BM_KernelChunk(benchmark::State& state) {
    const bool sidechained = state.range(0) != 0;
    vanto::KernelEngine().setup(48000.0, kBlock); // runs the once-only runtime initialisation
    const auto handle = static_cast<uint32_t>(dovrel_kernel_create(kChunk, 2, 2, 48000.0));
    float* input = nullptr;
    float* sidechain = nullptr;
    uint32_t length = 0;
    dovrel_kernel_input_view(handle, &input, &length);
    dovrel_kernel_sidechain_view(handle, &sidechain, &length);
    if (handle == 0 || input == nullptr || sidechain == nullptr) {
        state.SkipWithError("kernel instance unavailable");
        return;
    }
    // "sidechain.source" 0 is the default; set once so the measurement does not depend on it.
    dovrel_kernel_push_event(handle, DOVREL_KERNEL_EVENT_PARAMETER, 0, kSidechainSource, 0.0);
    const Signals signals(48000.0);
    std::size_t chunk = 0;
    for (auto _ : state) {
        const std::size_t at = (chunk % (kBlocks * kBlock / kChunk)) * kChunk;
        const float* main = signals.mainAt(0, sidechained) + at;
        std::copy_n(main, kChunk, input);
        std::copy_n(main, kChunk, input + kChunk);
        if (sidechained) {
            std::copy_n(signals.kicks.data() + at, kChunk, sidechain);
            std::copy_n(signals.kicks.data() + at, kChunk, sidechain + kChunk);
        }
        benchmark::DoNotOptimize(sidechained ? dovrel_kernel_process_sidechained(handle, kChunk)
                                             : dovrel_kernel_process(handle, kChunk));
        ++chunk;
    }
    dovrel_kernel_destroy(handle);
    setRealtimeCounter(state, 48000.0, kChunk);
}
BENCHMARK(BM_KernelChunk)->ArgName("sidechain")->Arg(0)->Arg(1);

// Engine host blocks; range(0): the host rate, range(1): 1 with a stereo side-chain, 0 without.
void BM_EngineBlock(benchmark::State& state) {
    const auto rate = static_cast<double>(state.range(0));
    const bool sidechained = state.range(1) != 0;
    vanto::KernelEngine engine;
    if (!engine.setup(rate, kBlock)) {
        state.SkipWithError("engine set-up failed");
        return;
    }
    const Signals signals(rate);
    std::vector<float> left(kBlock), right(kBlock);
    float* out[2] = {left.data(), right.data()};
    std::size_t block = 0;
    for (auto _ : state) {
        const float* in[2] = {signals.mainAt(block, sidechained), signals.mainAt(block, sidechained)};
        const float* sidechain[2] = {signals.kicksAt(block), signals.kicksAt(block)};
        engine.processBlock(in, 2, sidechained ? sidechain : nullptr, sidechained ? 2 : 0, out, 2, kBlock);
        benchmark::DoNotOptimize(left.data());
        ++block;
    }
    if (engine.callbackFailed()) {
        state.SkipWithError("a block failed");
    }
    setRealtimeCounter(state, rate, kBlock);
}
BENCHMARK(BM_EngineBlock)->ArgNames({"rate", "sidechain"})->ArgsProduct({{48000, 44100}, {0, 1}});

} // namespace

BENCHMARK_MAIN();
