// dovrel-render: renders the built-in demo through the effect and writes a 32-bit float WAV file.
#include "demo_signal.h"
#include "kernel_render.h"
#include "param_table.h"
#include "wav_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr double kDemoRate = 48000;
constexpr double kDemoSeconds = 10;

struct Options {
    bool demo = false;
    std::string preset = "bass-under-kick";
    std::string output;
};

void printUsage() {
    std::fprintf(stderr, "usage: dovrel-render [--preset ID] --demo OUTPUT.wav\n"
                         "presets:");
    for (const vanto_factory_preset& preset : VANTO_FACTORY_PRESETS) {
        std::fprintf(stderr, " %s", preset.id);
    }
    std::fprintf(stderr, "\n");
}

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--preset" && i + 1 < argc) {
            options.preset = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && options.output.empty()) {
            options.output = arg;
        } else {
            error = "unexpected argument: " + arg;
            return false;
        }
    }
    if (!options.demo || options.output.empty()) {
        error = "nothing to render";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "dovrel-render: %s\n", error.c_str());
        printUsage();
        return 2;
    }
    const vanto_factory_preset* preset = vanto_factory_preset_find(options.preset.c_str());
    if (preset == nullptr) {
        std::fprintf(stderr, "dovrel-render: unknown preset \"%s\"\n", options.preset.c_str());
        printUsage();
        return 2;
    }

    const vanto::StereoBuffer input = vanto::makeDemoSignal(kDemoRate, kDemoSeconds);
    vanto::StereoBuffer output(input.frames());
    vanto::KernelRender kernel;
    const auto started = std::chrono::steady_clock::now();
    if (!kernel.valid() || !kernel.applyNormalized(preset->values) ||
        !kernel.render(input, output, 0, input.frames())) {
        std::fprintf(stderr, "dovrel-render: the effect refused to render\n");
        return 1;
    }
    const double cpuSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!vanto::writeFloatWav(options.output, output, kDemoRate, error)) {
        std::fprintf(stderr, "dovrel-render: %s\n", error.c_str());
        return 1;
    }
    std::printf("rendered %.1f s of the demo with \"%s\" to %s (%.0fx realtime)\n", kDemoSeconds,
                preset->name, options.output.c_str(), kDemoSeconds / std::max(cpuSeconds, 1e-9));
    return 0;
}
