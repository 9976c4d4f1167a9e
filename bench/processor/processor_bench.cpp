// Realtime factor (seconds of audio per CPU second) of the whole plug-in processor as a host drives
// it: the bundle loaded with dlopen, process() called through IAudioProcessor with 512-frame blocks
// and a parameter change in every block.
#include "demo_signal.h"
#include "plugin_render.h"
#include "process_block.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr int32 kBlock = 512;
constexpr ParamID kMasterLevel = 32;

void BM_ProcessorProcess(benchmark::State& state) {
    const auto rate = static_cast<double>(state.range(0));
    std::string error;
    auto plugin = vanto::PluginRender::load(DOVREL_BUNDLE_PATH, error);
    if (!plugin || !plugin->start(rate, kBlock, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const vanto::StereoBuffer demo = vanto::makeDemoSignal(rate, 4.0);
    const std::size_t blocks = demo.frames() / kBlock;
    vanto::host::ProcessBlock block({2}, {2}, kBlock);
    IAudioProcessor& processor = plugin->audioProcessor();
    std::size_t index = 0;
    bool failed = false;
    for (auto _ : state) {
        const auto first = static_cast<std::ptrdiff_t>((index % blocks) * kBlock);
        std::copy_n(demo.left.begin() + first, kBlock, block.input(0, 0).begin());
        std::copy_n(demo.right.begin() + first, kBlock, block.input(0, 1).begin());
        block.clearQueues();
        block.inputParameterChanges().add(kMasterLevel, static_cast<int32>(index % kBlock),
                                          0.5 + 0.4 * static_cast<double>(index % 8) / 8.0);
        failed |= processor.process(block.prepare(kBlock)) != kResultOk;
        benchmark::DoNotOptimize(block.output(0, 0).data());
        ++index;
    }
    if (failed) {
        state.SkipWithError("a block failed");
    }
    const double audioSeconds = static_cast<double>(state.iterations()) * kBlock / rate;
    state.counters["realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProcessorProcess)->Arg(48000)->Arg(44100);

} // namespace

BENCHMARK_MAIN();
