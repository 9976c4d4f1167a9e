// What MIDI control costs the processor, and how late it acts. The bundle is loaded with dlopen and
// driven through IAudioProcessor with 512-frame blocks at 48 kHz, a CC map restored with the state
// (an "exp" range, a relative encoder, pickup and a toggle), and controller messages arriving as a host
// delivers them (changes of the hidden MIDI CC parameters): none, or 1000 per second spread evenly.
// BM_ControllerToParameterDelay reads the kernel trace to find the frame at which the kernel received
// the parameter value, and reports its distance from the message's frame (delay_samples).
#include "demo_signal.h"
#include "plugin_render.h"
#include "process_block.h"

#include "ccmap/midi_cc_parameter_ids.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr int32 kBlock = 512;
constexpr double kRate = 48000;
constexpr int kBoundControllers = 4;
constexpr ParamID kGlueRatio = 26;

const char* const kState = R"({"ccMap":{"version":1,"bindings":[)"
                           R"({"cc":1,"path":"glue.ratio","min":2,"max":6,"curve":"exp"},)"
                           R"({"cc":2,"path":"master.level","valueMode":"relative-twos-complement"},)"
                           R"({"cc":3,"path":"glue.drive","takeover":"pickup"},)"
                           R"({"cc":4,"path":"mix.amount","valueMode":"toggle"}]}})";

std::unique_ptr<vanto::PluginRender> startPlugin(benchmark::State& state) {
    std::string error;
    auto plugin = vanto::PluginRender::load(DOVREL_BUNDLE_PATH, error);
    if (!plugin || !plugin->restoreState(kState, error) || !plugin->start(kRate, kBlock, error)) {
        state.SkipWithError(error.c_str());
        return nullptr;
    }
    return plugin;
}

// The parameters the bound controllers drive, in controller order.
constexpr ParamID kBoundParameters[kBoundControllers] = {26, 32, 27, 31};

// Controller messages at `perSecond` spread evenly over the blocks, cycling through the bound
// controllers with values that sweep. With `asAutomation` the same changes come as the host's own
// automation of the bound parameters instead, which tells the map's share of the cost from the
// kernel's (every applied value makes the kernel recompute its settings at that frame).
void runBlocks(benchmark::State& state, bool asAutomation) {
    const auto perSecond = static_cast<double>(state.range(0));
    auto plugin = startPlugin(state);
    if (!plugin) {
        return;
    }
    const vanto::StereoBuffer demo = vanto::makeDemoSignal(kRate, 4.0);
    const std::size_t blocks = demo.frames() / kBlock;
    vanto::host::ProcessBlock block({2}, {2}, kBlock);
    IAudioProcessor& processor = plugin->audioProcessor();
    const double framesBetween = perSecond > 0 ? kRate / perSecond : 0;
    double nextMessage = 0;
    long messages = 0;
    std::size_t index = 0;
    bool failed = false;
    for (auto _ : state) {
        const auto first = static_cast<std::ptrdiff_t>((index % blocks) * kBlock);
        std::copy_n(demo.left.begin() + first, kBlock, block.input(0, 0).begin());
        std::copy_n(demo.right.begin() + first, kBlock, block.input(0, 1).begin());
        block.clearQueues();
        const double blockStart = static_cast<double>(index) * kBlock;
        while (framesBetween > 0 && nextMessage < blockStart + kBlock) {
            const auto binding = static_cast<std::size_t>(messages % kBoundControllers);
            const ParamID id = asAutomation ? kBoundParameters[binding]
                                            : vanto::midiCcParamId(0, static_cast<int>(binding) + 1);
            block.inputParameterChanges().add(id, static_cast<int32>(nextMessage - blockStart),
                                              static_cast<double>(messages * 37 % 128) / 127.0);
            nextMessage += framesBetween;
            ++messages;
        }
        failed |= processor.process(block.prepare(kBlock)) != kResultOk;
        benchmark::DoNotOptimize(block.output(0, 0).data());
        ++index;
    }
    if (failed) {
        state.SkipWithError("a block failed");
    }
    const double audioSeconds = static_cast<double>(state.iterations()) * kBlock / kRate;
    state.counters["realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
    state.counters["messages/s"] = static_cast<double>(messages) / std::max(audioSeconds, 1e-9);
}

void BM_ProcessorWithControllers(benchmark::State& state) {
    runBlocks(state, false);
}

void BM_ProcessorWithAutomation(benchmark::State& state) {
    runBlocks(state, true);
}

// The kernel frame of the last queued value of `parameter` in the trace: chunk offset plus frame.
long tracedFrame(const std::string& trace, ParamID parameter) {
    std::istringstream lines(trace);
    std::string line;
    long chunkOffset = 0;
    long frame = -1;
    const std::string target = " a=" + std::to_string(parameter) + " ";
    while (std::getline(lines, line)) {
        int offset = 0;
        unsigned eventFrame = 0;
        if (line.rfind("B ", 0) == 0 &&
            std::sscanf(line.c_str() + line.find(" off="), " off=%d", &offset) == 1) {
            chunkOffset = offset;
        } else if (line.rfind("E ", 0) == 0 && line.find(target) != std::string::npos &&
                   line.find("src=queue") != std::string::npos &&
                   std::sscanf(line.c_str() + line.find(" frame="), " frame=%u", &eventFrame) == 1) {
            frame = chunkOffset + static_cast<long>(eventFrame);
        }
    }
    return frame;
}

// In a child process of its own, since the kernel trace is opened at the first kernel set-up of a
// process and must not slow the other benchmarks: the frame at which the kernel got the value, less the
// frame of the message; -1 when it never got it.
long measureDelayInChild() {
    char tracePath[] = "/tmp/dovrel-midi-cc-bench-XXXXXX";
    const int descriptor = mkstemp(tracePath);
    int channel[2];
    if (descriptor < 0 || pipe(channel) != 0) {
        return -1;
    }
    close(descriptor);
    const pid_t child = fork();
    if (child == 0) {
        setenv("VANTO_KERNEL_TRACE", tracePath, 1);
        long delay = -1;
        std::string error;
        auto plugin = vanto::PluginRender::load(DOVREL_BUNDLE_PATH, error);
        if (plugin && plugin->restoreState(kState, error) && plugin->start(kRate, kBlock, error)) {
            constexpr int32 kMessageFrame = 301;
            vanto::host::ProcessBlock block({2}, {2}, kBlock);
            block.inputParameterChanges().add(vanto::midiCcParamId(0, 1), kMessageFrame, 1.0);
            plugin->audioProcessor().process(block.prepare(kBlock));
            std::fflush(nullptr); // the trace's lines wait in the plug-in's stream buffer
            std::ifstream file(tracePath);
            const std::string trace((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            const long frame = tracedFrame(trace, kGlueRatio);
            delay = frame < 0 ? -1 : frame - kMessageFrame;
        }
        const ssize_t written = write(channel[1], &delay, sizeof delay);
        _exit(written == sizeof delay ? 0 : 1);
    }
    close(channel[1]);
    long delay = -1;
    if (child < 0 || read(channel[0], &delay, sizeof delay) != sizeof delay) {
        delay = -1;
    }
    close(channel[0]);
    if (child > 0) {
        waitpid(child, nullptr, 0);
    }
    std::remove(tracePath);
    return delay;
}

void BM_ControllerToParameterDelay(benchmark::State& state) {
    long delay = -1;
    for (auto _ : state) {
        delay = measureDelayInChild();
    }
    if (delay < 0) {
        state.SkipWithError("the kernel never received the value");
        return;
    }
    state.counters["delay_samples"] = static_cast<double>(delay);
}

// The delay runs first, before this process has loaded the bundle, so the child starts clean.
BENCHMARK(BM_ControllerToParameterDelay)->Iterations(1);
BENCHMARK(BM_ProcessorWithControllers)->Arg(0)->Arg(1000);
BENCHMARK(BM_ProcessorWithAutomation)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
