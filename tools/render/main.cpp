// dovrel-render: renders an audio file, or the built-in demo, through the Dovrel plug-in loaded from
// its bundle as a host loads it, and writes the result as 32-bit float WAV.
#include "default_bundle.h"
#include "demo_signal.h"
#include "meter_csv.h"
#include "meter_listener.h"
#include "meter_plot.h"
#include "parameter_values.h"
#include "plugin_render.h"
#include "progress_bar.h"
#include "render_options.h"
#include "text_file.h"
#include "wav_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

constexpr double kDemoRate = 48000;
constexpr double kDemoSeconds = 10;

int fail(const std::string& message) {
    std::fprintf(stderr, "dovrel-render: %s\n", message.c_str());
    return 1;
}

bool collectValues(const vanto::RenderOptions& options, vanto::NormalizedValues& values, std::string& error) {
    if (!options.preset.empty() && !vanto::applyFactoryPreset(options.preset, values, error)) {
        return false;
    }
    for (const std::string& setting : options.settings) {
        if (!vanto::applyPlainSetting(setting, values, error)) {
            return false;
        }
    }
    return true;
}

bool readInput(const vanto::RenderOptions& options, vanto::StereoBuffer& input, double& rate,
               std::string& error) {
    if (options.demo) {
        input = vanto::makeDemoSignal(kDemoRate, kDemoSeconds);
        rate = kDemoRate;
        return true;
    }
    return vanto::readAudioFile(options.input, input, rate, error);
}

bool writeMeterFiles(const vanto::RenderOptions& options, const vanto::MeterListener& meters,
                     std::string& error) {
    if (meters.dropped() > 0 || meters.unreadable() > 0) {
        error = "the meter records are incomplete (" + std::to_string(meters.dropped()) + " dropped, " +
                std::to_string(meters.unreadable()) + " unreadable)";
        return false;
    }
    return (options.metersCsv.empty() ||
            vanto::writeTextFile(options.metersCsv, vanto::meterCsv(meters.records()), error)) &&
           (options.metersPlot.empty() || vanto::writeMeterPlot(options.metersPlot, meters.records(), error));
}

bool readControllers(const std::string& path, std::vector<vanto::TimedController>& controllers,
                     std::string& error) {
    std::string bytes;
    if (!vanto::readTextFile(path, bytes, error)) {
        return false;
    }
    if (!vanto::parseMidiFileControllers(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                         controllers, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

// The side-chain file, as long as the input: cut, or padded with silence.
bool readSidechain(const vanto::RenderOptions& options, double rate, std::size_t frames,
                   vanto::StereoBuffer& sidechain, std::string& error) {
    double sidechainRate = 0;
    if (!vanto::readAudioFile(options.sidechain, sidechain, sidechainRate, error)) {
        return false;
    }
    if (sidechainRate != rate) {
        error = options.sidechain + " runs at " + std::to_string(static_cast<long long>(sidechainRate)) +
                " Hz; the input at " + std::to_string(static_cast<long long>(rate)) + " Hz";
        return false;
    }
    sidechain.left.resize(frames, 0.0f);
    sidechain.right.resize(frames, 0.0f);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    vanto::RenderOptions options;
    std::string error;
    if (!vanto::parseRenderOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "dovrel-render: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        vanto::printRenderUsage(stdout);
        return 0;
    }
    vanto::NormalizedValues values;
    vanto::StereoBuffer input;
    double rate = 0;
    std::string stateIn;
    std::vector<vanto::TimedController> controllers;
    if (!collectValues(options, values, error) || !readInput(options, input, rate, error) ||
        (!options.stateIn.empty() && !vanto::readTextFile(options.stateIn, stateIn, error)) ||
        (!options.midiFile.empty() && !readControllers(options.midiFile, controllers, error))) {
        return fail(error);
    }

    vanto::StereoBuffer sidechain;
    vanto::HostTimeline host{options.tempoFrom, options.tempoTo, nullptr};
    if (!options.sidechain.empty()) {
        if (!readSidechain(options, rate, input.frames(), sidechain, error)) {
            return fail(error);
        }
        host.sidechain = &sidechain;
    }

    const std::string bundle =
        options.bundle.empty() ? vanto::defaultBundlePath(DOVREL_BUILD_BUNDLE_DIR) : options.bundle;
    std::unique_ptr<vanto::PluginRender> plugin = vanto::PluginRender::load(bundle, error);
    if (!plugin || (!options.stateIn.empty() && !plugin->restoreState(stateIn, error)) ||
        !plugin->start(rate, options.blockFrames, error, host.sidechain != nullptr)) {
        return fail(error);
    }

    // Meters are collected after every block, as a controller's cadence would, so the ring never fills.
    vanto::MeterListener meters;
    if (options.wantsMeters() && !meters.attach(plugin->audioComponent())) {
        return fail("the plug-in's processor takes no connection for its meters");
    }
    vanto::StereoBuffer output;
    const auto started = std::chrono::steady_clock::now();
    {
        vanto::ProgressBar progress(input.frames() + plugin->latency());
        const bool rendered = plugin->render(
            input, values, controllers, output,
            [&](uint64_t done) {
                progress.update(done);
                if (options.wantsMeters()) {
                    meters.drain();
                }
            },
            error, host);
        meters.detach();
        if (!rendered) {
            return fail(error);
        }
    }
    if (!writeMeterFiles(options, meters, error)) {
        return fail(error);
    }
    const double renderSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::string stateOut;
    if (!options.stateOut.empty() && !plugin->saveState(stateOut, error)) {
        return fail(error);
    }
    if (!vanto::writeFloatWav(options.output, output, rate, error) ||
        (!options.stateOut.empty() && !vanto::writeTextFile(options.stateOut, stateOut, error))) {
        return fail(error);
    }
    const double audioSeconds = static_cast<double>(input.frames()) / rate;
    std::printf("rendered %.2f s at %.0f Hz through %s to %s: %.1fx realtime\n", audioSeconds, rate,
                bundle.c_str(), options.output.c_str(), audioSeconds / std::max(renderSeconds, 1e-9));
    return 0;
}
