#include "param_table.h"

#include <cstring>

namespace {

// Columns in parameter-id order; only space, dovrel, glue, division, feel, swing, max reduction,
// kick and clap weights and protect amount differ between presets.
#define PRESET_VALUES(space, dovrel, glue, division, feel, swing, maxReduction, kick, clap, protect)         \
    {                                                                                                        \
        0.4, space, dovrel, glue, 0, division, feel, 0.046822742474916385, 0, swing, 0.35, maxReduction,     \
            kick, clap, 0.6, 0.45, 0.10256410256410257, 0.3076923076923077, 0.15217391304347827,             \
            0.4166666666666667, 0.25, 0.3333333333333333, protect, 0.5, 0.2571428571428571, 0.55,            \
            0.21428571428571427, 0.2, 0.02631578947368421, 1, 0, 1, 0.9, 0                                   \
    }

constexpr double D5 = 0.38461538461538464;
constexpr double D2 = 0.15384615384615385;
constexpr double D8 = 0.6153846153846154;

// clang-format off
const double vanto_factory_preset_0_normalized_values[VANTO_PARAM_COUNT] =
    PRESET_VALUES(0.45, 0.35, 0.15, D5, 0.25, 0,    0.4444444444444444,  1,    0.85, 0.6);
const double vanto_factory_preset_1_normalized_values[VANTO_PARAM_COUNT] =
    PRESET_VALUES(0.4,  0.55, 0.45, D5, 0.75, 0.32, 0.3888888888888889,  1,    0.85, 0.6);
const double vanto_factory_preset_2_normalized_values[VANTO_PARAM_COUNT] =
    PRESET_VALUES(0.35, 0.45, 0.7,  D5, 0.25, 0,    0.3333333333333333,  1,    0.85, 0.6);
const double vanto_factory_preset_3_normalized_values[VANTO_PARAM_COUNT] =
    PRESET_VALUES(0.3,  0.5,  0.75, D2, 0.5,  0.16, 0.2777777777777778,  1,    0.85, 0.6);
const double vanto_factory_preset_4_normalized_values[VANTO_PARAM_COUNT] =
    PRESET_VALUES(0.2,  0.3,  0.85, D5, 0,    0,    0.2222222222222222,  0.25, 1,    0.85);
const double vanto_factory_preset_5_normalized_values[VANTO_PARAM_COUNT] =
    PRESET_VALUES(0.3,  0.75, 0.6,  D8, 1,    0,    0.3333333333333333,  1,    0.85, 0.6);
const double vanto_factory_preset_6_normalized_values[VANTO_PARAM_COUNT] =
    PRESET_VALUES(0.55, 0.1,  0.2,  D5, 0,    0,    0.5555555555555556,  1,    0.85, 0.6);
const double vanto_factory_preset_7_normalized_values[VANTO_PARAM_COUNT] =
    PRESET_VALUES(0.12, 0.4,  0.6,  D5, 0.25, 0,    0.16666666666666666, 1,    0.85, 0.6);
// clang-format on

} // namespace

const vanto_factory_preset VANTO_FACTORY_PRESETS[VANTO_FACTORY_PRESET_COUNT] = {
    {"bass-under-kick", "Bass Under Kick", vanto_factory_preset_0_normalized_values},
    {"bounce", "Bounce", vanto_factory_preset_1_normalized_values},
    {"keys-in-the-gaps", "Keys In The Gaps", vanto_factory_preset_2_normalized_values},
    {"sample-room", "Sample Room", vanto_factory_preset_3_normalized_values},
    {"vocal-sit", "Vocal Sit", vanto_factory_preset_4_normalized_values},
    {"pad-breathe", "Pad Breathe", vanto_factory_preset_5_normalized_values},
    {"tight-modern", "Tight Modern", vanto_factory_preset_6_normalized_values},
    {"barely-there", "Barely There", vanto_factory_preset_7_normalized_values},
};

const vanto_factory_preset* vanto_factory_preset_find(const char* id) {
    if (id == nullptr) {
        return nullptr;
    }
    for (const vanto_factory_preset& preset : VANTO_FACTORY_PRESETS) {
        if (std::strcmp(preset.id, id) == 0) {
            return &preset;
        }
    }
    return nullptr;
}
