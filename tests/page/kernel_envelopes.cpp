// dovrel-kernel-envelopes: renders the built-in test pulse through the kernel for a table of groove
// settings and writes, for each, the low band's gain reduction (dB) over the bar after two bars of
// kicks from a reset, sampled 4000 times a second -- the kernel's own envelope, which the page's
// groove picture model is held against. Only the kick lane listens (the other lanes' weights are 0),
// since the low band follows the kick lane alone; the other lanes would only scale it by how much of
// the shared budget they take at each moment. The pulse's claps (beats 2 and 4) are loud enough to
// trigger the kick lane once it has been quiet for long, so the settings keep every clap on a kick or
// inside the time in which the lane cannot retrigger: then the lane hears the kicks alone.
#include "kernel_process.h"
#include "kernel_state.h"
#include "param_table.h"

#include "encoding/json_writer.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

using vanto::KernelState;

constexpr int kFramesPerPoint = 12; // 48000 / 4000
constexpr int kWarmupBars = 2;

struct Case {
    const char* name;
    std::vector<std::pair<const char*, double>> settings;
};

const Case kCases[] = {
    {"defaults: 1/8, Dovrel morph", {}},
    {"1/16, tight", {{"time.division", 2}, {"time.feel", 0}}},
    {"1/4, breathe", {{"time.division", 8}, {"time.feel", 4}}},
    {"1/8, bounce, swing 58", {{"time.feel", 3}, {"time.swing", 58}}},
    {"1/8, smooth, hold 0.3, swing 66", {{"time.feel", 2}, {"time.hold", 0.3}, {"time.swing", 66}}},
    {"1/4 at 90 BPM, morph at 0.9, hold 0.2",
     {{"sync.bpm", 90}, {"time.division", 8}, {"macro.dovrel", 0.9}, {"time.hold", 0.2}}},
    {"1/32 at 40 BPM, morph at 0.1, swing 60",
     {{"sync.bpm", 40}, {"time.division", 0}, {"macro.dovrel", 0.1}, {"time.swing", 60}}},
    {"1/8T at 140 BPM, tight, swing 75",
     {{"sync.bpm", 140}, {"time.division", 3}, {"time.feel", 0}, {"time.swing", 75}}},
    {"1/16D at 100 BPM, smooth, long attack",
     {{"sync.bpm", 100}, {"time.division", 4}, {"time.feel", 2}, {"time.attack", 20}}},
};

// The settings every case shares: the test pulse as side-chain, only the kick lane weighted.
const std::pair<const char*, double> kCommon[] = {
    {"sidechain.source", 2}, {"detect.clapWeight", 0}, {"detect.percWeight", 0}, {"detect.sustainWeight", 0}};

std::vector<double> renderReduction(const Case& c) {
    KernelState state;
    vanto::createState(state);
    vanto::prepare(state, {2, 128, 2, 48000});
    for (const auto& [path, value] : kCommon) {
        vanto::setParameter(state, path, value);
    }
    for (const auto& [path, value] : c.settings) {
        vanto::setParameter(state, path, value);
    }
    const double barSeconds = 4 * 60.0 / state.bpm;
    const long firstPoint = std::lround(kWarmupBars * barSeconds * 4000);
    const long points = std::lround((kWarmupBars + 1) * barSeconds * 4000) - firstPoint;
    std::array<float, 256> silence{};
    std::array<float, 256> output{};
    vanto::KernelBlock block{128, 1, 0, silence.data(), 256, 2, output.data(), 256, 2};
    std::vector<double> reduction;
    for (long frame = 0; frame < (firstPoint + points) * kFramesPerPoint; ++frame) {
        vanto::processBlock(state, block);
        if (frame % kFramesPerPoint == 0 && frame / kFramesPerPoint >= firstPoint) {
            reduction.push_back(state.broadbandDuckDb);
        }
    }
    return reduction;
}

void appendCase(std::string& out, const Case& c) {
    out += "{\"name\":";
    vanto::jsonAppendQuoted(out, c.name);
    out += ",\"settings\":{";
    bool first = true;
    for (const auto& list : {std::vector(std::begin(kCommon), std::end(kCommon)), c.settings}) {
        for (const auto& [path, value] : list) {
            out += first ? "" : ",";
            first = false;
            vanto::jsonAppendQuoted(out, path);
            out += ':';
            vanto::jsonAppendNumber(out, value);
        }
    }
    out += "},\"reductionDb\":[";
    const std::vector<double> reduction = renderReduction(c);
    for (std::size_t i = 0; i < reduction.size(); ++i) {
        out += i == 0 ? "" : ",";
        vanto::jsonAppendNumber(out, std::round(reduction[i] * 1e6) / 1e6);
    }
    out += "]}";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dovrel-kernel-envelopes OUTPUT.json\n");
        return 2;
    }
    std::string out = "{\"pointsPerSecond\":4000,\"warmupBars\":2,\"cases\":[";
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        out += i == 0 ? "" : ",";
        appendCase(out, kCases[i]);
    }
    out += "]}\n";
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written ? 0 : 1;
}
