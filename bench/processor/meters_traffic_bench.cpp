// The meter feeds' traffic and delay as a host and a page see them, in real time: the built bundle's
// processor and controller made and connected as a host does, 320-frame blocks of the demo processed
// on the audio clock, the 30 Hz cadence ticking in between, the page subscribed to "meters" at 30 Hz
// through the exported bridge functions. Printed per second of audio: the "vanto.diag.signal"
// messages and bytes from processor to controller (the payload each drain carries, written again from
// the records the page got, which the same writer produced), the "vanto.meters" frames and bytes that
// reach the page, and the delay from the block that held a kick's hit to the frame that showed it.
#include "demo_signal.h"
#include "diagnostics/signal_meters_json.h"

#include "module.h"
#include "plugin_instance.h"
#include "process_block.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using Clock = std::chrono::steady_clock;
using Callback = void (*)(void* context, const char* bytes, std::size_t length);

constexpr double kRate = 48000;
constexpr int32 kBlock = 320;
constexpr double kSeconds = 6;

struct Bridge {
    int (*installSink)(FUnknown*, Callback, void*) = nullptr;
    int (*deliver)(FUnknown*, const char*, std::size_t) = nullptr;
    int (*tick)(FUnknown*) = nullptr;
};

void keep(void* context, const char* bytes, std::size_t length) {
    static_cast<std::vector<std::string>*>(context)->emplace_back(bytes, length);
}

struct Traffic {
    double signalMessages = 0, signalBytes = 0, frames = 0, frameBytes = 0;
    std::vector<double> delaysMs;
};

// The wall time at which the block holding `frame` had been processed.
double blockDoneMs(const std::vector<std::pair<uint64_t, double>>& blocks, uint64_t frame) {
    const auto block = std::upper_bound(blocks.begin(), blocks.end(), std::make_pair(frame, 1e300));
    return block == blocks.end() ? blocks.back().second : block->second;
}

void adoptFrames(std::vector<std::string>& page, const std::vector<std::pair<uint64_t, double>>& blocks,
                 double nowMs, Traffic& traffic) {
    for (const std::string& message : page) {
        std::vector<vanto::SignalMeterRecord> records;
        uint32_t dropped = 0;
        if (message.rfind(R"({"type":"vanto.meters")", 0) != 0 ||
            !vanto::parseSignalMetersJson(message.data(), message.size(), records, dropped)) {
            continue;
        }
        traffic.frames += 1;
        traffic.frameBytes += static_cast<double>(message.size());
        std::string payload;
        vanto::writeSignalMetersJson(payload, records.data(), records.size(), dropped);
        traffic.signalMessages += 1;
        traffic.signalBytes += static_cast<double>(payload.size());
        for (const vanto::SignalMeterRecord& record : records) {
            if (record.hit(0)) {
                traffic.delaysMs.push_back(nowMs - blockDoneMs(blocks, record.atFrame + record.hitOffset[0]));
            }
        }
    }
    page.clear();
}

void BM_MetersTrafficAt30Hz(benchmark::State& state) {
    std::string error;
    auto module = vanto::host::Module::load(DOVREL_BUNDLE_PATH, error);
    if (!module) {
        state.SkipWithError(error.c_str());
        return;
    }
    Bridge bridge;
    bridge.installSink = reinterpret_cast<decltype(bridge.installSink)>(
        dlsym(module->libraryHandle(), "vantoInstallDiagnosticBridgeSink"));
    bridge.deliver = reinterpret_cast<decltype(bridge.deliver)>(
        dlsym(module->libraryHandle(), "vantoDeliverDiagnosticBridgeMessage"));
    bridge.tick =
        reinterpret_cast<decltype(bridge.tick)>(dlsym(module->libraryHandle(), "vantoTickDiagnosticCadence"));
    const auto effect = module->findClass(kVstAudioEffectClass);
    const vanto::StereoBuffer demo = vanto::makeDemoSignal(kRate, kSeconds);
    Traffic traffic;
    for (auto _ : state) {
        auto instance = vanto::host::PluginInstance::create(
            module, reinterpret_cast<const char*>(effect->cid.data()), error);
        if (!instance || instance->start(kRate, kBlock) != kResultOk) {
            state.SkipWithError("the plug-in would not start");
            return;
        }
        std::vector<std::string> page;
        FUnknown* controller = instance->controller();
        bridge.installSink(controller, &keep, &page);
        const std::string subscribe = R"({"type":"vanto.diag.subscribe","feeds":["meters"],"hz":30})";
        bridge.deliver(controller, subscribe.data(), subscribe.size());
        page.clear();
        vanto::host::ProcessBlock block({2}, {2}, kBlock);
        std::vector<std::pair<uint64_t, double>> blocks; // end frame, wall time done
        const auto start = Clock::now();
        const auto ms = [&] {
            return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        };
        const double blockMs = 1000.0 * kBlock / kRate;
        const double tickMs = 1000.0 / 30;
        uint64_t played = 0;
        int ticks = 0;
        while (played + kBlock <= demo.frames()) {
            const double nextBlock = static_cast<double>(blocks.size()) * blockMs;
            const double nextTick = (ticks + 1) * tickMs;
            std::this_thread::sleep_until(
                start + std::chrono::duration<double, std::milli>(std::min(nextBlock, nextTick)));
            if (nextBlock <= nextTick) {
                std::copy_n(demo.left.begin() + static_cast<std::ptrdiff_t>(played), kBlock,
                            block.input(0, 0).begin());
                std::copy_n(demo.right.begin() + static_cast<std::ptrdiff_t>(played), kBlock,
                            block.input(0, 1).begin());
                block.clearQueues();
                instance->process(block.prepare(kBlock));
                played += kBlock;
                blocks.emplace_back(played, ms());
            } else {
                ++ticks;
                bridge.tick(controller);
                adoptFrames(page, blocks, ms(), traffic);
            }
        }
        bridge.installSink(controller, nullptr, nullptr);
    }
    const double seconds = kSeconds * static_cast<double>(state.iterations());
    state.counters["signal_msgs_per_s"] = traffic.signalMessages / seconds;
    state.counters["signal_bytes_per_s"] = traffic.signalBytes / seconds;
    state.counters["page_frames_per_s"] = traffic.frames / seconds;
    state.counters["page_bytes_per_s"] = traffic.frameBytes / seconds;
    std::sort(traffic.delaysMs.begin(), traffic.delaysMs.end());
    if (!traffic.delaysMs.empty()) {
        state.counters["hit_delay_median_ms"] = traffic.delaysMs[traffic.delaysMs.size() / 2];
        state.counters["hit_delay_max_ms"] = traffic.delaysMs.back();
        state.counters["kicks_seen"] = static_cast<double>(traffic.delaysMs.size());
    }
}

BENCHMARK(BM_MetersTrafficAt30Hz)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
