#include "param_table.h"

#include <cstring>

namespace {

constexpr uint32_t C = VANTO_PARAM_CONTINUOUS;

// clang-format off
#define ROW(id, path, title, group, min, max, step, def, norm, units) \
    {id, path, title, group, C, min, max, step, def, norm, units, 0, nullptr}
// clang-format on

} // namespace

// clang-format off
const vanto_param_desc VANTO_PARAMS[VANTO_PARAM_COUNT] = {
    ROW(0,  "sync.bpm",             "Tempo",             "Sync",      40,    240,   1, 120,  0.4,                  "BPM"),
    ROW(1,  "macro.space",          "Space",             "Macro",     0,     1,     0, 0.35, 0.35,                 ""),
    ROW(2,  "macro.dovrel",         "Dovrel",            "Macro",     0,     1,     0, 0.4,  0.4,                  ""),
    ROW(3,  "macro.glue",           "Glue",              "Macro",     0,     1,     0, 0.35, 0.35,                 ""),
    ROW(4,  "sidechain.source",     "Source",            "Sidechain", 0,     2,     1, 0,    0,                    ""),
    ROW(5,  "time.division",        "Division",          "Time",      0,     13,    1, 5,    0.38461538461538464,  ""),
    ROW(6,  "time.feel",            "Feel",              "Time",      0,     4,     1, 1,    0.25,                 ""),
    ROW(7,  "time.attack",          "Attack",            "Time",      0.1,   30,    0, 1.5,  0.046822742474916385, "ms"),
    ROW(8,  "time.hold",            "Hold",              "Time",      0,     0.5,   0, 0,    0,                    ""),
    ROW(9,  "time.swing",           "Swing (MPC 50-75)", "Time",      50,    75,    0, 50,   0,                    "%"),
    ROW(10, "time.adapt",           "Adapt",             "Time",      0,     1,     0, 0.35, 0.35,                 ""),
    ROW(11, "budget.maxReduction",  "Max Reduction",     "Budget",    0,     18,    0, 9,    0.5,                  "dB"),
    ROW(12, "detect.kickWeight",    "Kick",              "Detect",    0,     1,     0, 1,    1,                    ""),
    ROW(13, "detect.clapWeight",    "Clap",              "Detect",    0,     1,     0, 0.85, 0.85,                 ""),
    ROW(14, "detect.percWeight",    "Perc",              "Detect",    0,     1,     0, 0.6,  0.6,                  ""),
    ROW(15, "detect.sustainWeight", "Sustain",           "Detect",    0,     1,     0, 0.45, 0.45,                 ""),
    ROW(16, "detect.sensitivity",   "Sensitivity",       "Detect",    0.1,   4,     0, 0.5,  0.10256410256410257,  ""),
    ROW(17, "detect.kickHz",        "Kick Freq",         "Detect",    30,    160,   0, 70,   0.3076923076923077,   "Hz"),
    ROW(18, "detect.clapHz",        "Clap Freq",         "Detect",    160,   2000,  0, 440,  0.15217391304347827,  "Hz"),
    ROW(19, "detect.percHz",        "Perc Freq",         "Detect",    2000,  14000, 0, 7000, 0.4166666666666667,   "Hz"),
    ROW(20, "shape.monoCrossover",  "Mono Below",        "Shape",     60,    300,   0, 120,  0.25,                 "Hz"),
    ROW(21, "shape.protectHz",      "Protect Above",     "Shape",     1000,  16000, 0, 6000, 0.3333333333333333,   "Hz"),
    ROW(22, "shape.protectAmount",  "Protect",           "Shape",     0,     1,     0, 0.6,  0.6,                  ""),
    ROW(23, "shape.bellCount",      "Bells",             "Shape",     2,     4,     1, 3,    0.5,                  ""),
    ROW(24, "shape.bellQ",          "Bell Q",            "Shape",     0.5,   4,     0, 1.4,  0.2571428571428571,   ""),
    ROW(25, "glue.threshold",       "Threshold",         "Glue",      -40,   0,     0, -18,  0.55,                 "dB"),
    ROW(26, "glue.ratio",           "Ratio",             "Glue",      1,     8,     0, 2.5,  0.21428571428571427,  ":1"),
    ROW(27, "glue.drive",           "Drive",             "Glue",      0,     1,     0, 0.2,  0.2,                  ""),
    ROW(28, "sidechain.hpf",        "SC HPF",            "Sidechain", 20,    400,   0, 30,   0.02631578947368421,  "Hz"),
    ROW(29, "sidechain.link",       "Link",              "Sidechain", 0,     1,     0, 1,    1,                    ""),
    ROW(30, "sidechain.audition",   "Audition",          "Sidechain", 0,     2,     1, 0,    0,                    ""),
    ROW(31, "mix.amount",           "Mix",               "Mix",       0,     1,     0, 1,    1,                    ""),
    ROW(32, "master.level",         "Output",            "Master",    0,     1,     0, 0.9,  0.9,                  ""),
    ROW(33, "sync.source",          "Sync",              "Sync",      0,     1,     1, 0,    0,                    ""),
};
// clang-format on

const vanto_param_desc* vanto_param_find(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    for (const vanto_param_desc& desc : VANTO_PARAMS) {
        if (std::strcmp(desc.path, path) == 0) {
            return &desc;
        }
    }
    return nullptr;
}
