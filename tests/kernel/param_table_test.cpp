#include "param_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

const vanto_param_desc& param(const char* path) {
    const vanto_param_desc* desc = vanto_param_find(path);
    EXPECT_NE(desc, nullptr) << path;
    return *desc;
}

TEST(ParamTable, RowsAreIndexedByIdAndDefaultsConvertBothWaysExactly) {
    for (std::size_t i = 0; i < VANTO_PARAM_COUNT; ++i) {
        const vanto_param_desc& desc = VANTO_PARAMS[i];
        SCOPED_TRACE(desc.path);
        EXPECT_EQ(desc.id, i);
        EXPECT_EQ(vanto_param_find(desc.path), &desc);
        EXPECT_EQ(desc.kind, VANTO_PARAM_CONTINUOUS);
        EXPECT_DOUBLE_EQ(desc.defaultNormalized, (desc.defaultPlain - desc.min) / (desc.max - desc.min));
        EXPECT_EQ(vanto_param_to_plain(&desc, desc.defaultNormalized), desc.defaultPlain);
        EXPECT_EQ(vanto_param_normalize(&desc, desc.defaultPlain), desc.defaultNormalized);
    }
    EXPECT_EQ(vanto_param_find("Macro.space"), nullptr);
    EXPECT_EQ(vanto_param_find(nullptr), nullptr);
}

struct PlainCase {
    const char* path;
    double normalized;
    double plain;
};

TEST(ParamTable, NormalizedToPlainClampsAndSnaps) {
    const PlainCase cases[] = {
        {"sync.bpm", 0.4, 120},        {"sync.bpm", 0.401, 120},       {"sidechain.source", 0.5, 1},
        {"sidechain.source", 0.74, 1}, {"sidechain.source", 0.76, 2},  {"glue.threshold", -0.2, -40},
        {"glue.threshold", 1.7, 0},    {"time.division", 5.0 / 13, 5}, {"time.attack", 1, 30},
        {"shape.bellCount", 0.74, 3},  {"shape.bellCount", 0.76, 4},   {"sync.source", 0.49, 0},
    };
    for (const PlainCase& c : cases) {
        EXPECT_EQ(vanto_param_to_plain(&param(c.path), c.normalized), c.plain)
            << c.path << " " << c.normalized;
    }
}

TEST(ParamTable, PlainToNormalizedClampsWithoutSnapping) {
    EXPECT_DOUBLE_EQ(vanto_param_normalize(&param("glue.threshold"), -18), 0.55);
    // 100 Hz lies inside the kick range, so it normalizes by the formula rather than to 1.
    EXPECT_DOUBLE_EQ(vanto_param_normalize(&param("detect.kickHz"), 100), (100.0 - 30) / 130);
    EXPECT_EQ(vanto_param_normalize(&param("detect.kickHz"), 1000), 1.0);
    EXPECT_EQ(vanto_param_normalize(&param("detect.kickHz"), -5), 0.0);
    EXPECT_DOUBLE_EQ(vanto_param_normalize(&param("sync.bpm"), 120.5), 80.5 / 200);
}

struct TextCase {
    const char* path;
    double normalized;
    const char* text;
};

TEST(ParamTable, ValuesFormatAsShortestRoundTripText) {
    const TextCase cases[] = {
        {"sync.bpm", 0.4, "120"},        {"macro.space", 0.35, "0.35"},
        {"glue.threshold", 0.55, "-18"}, {"time.attack", 0.046822742474916385, "1.5"},
        {"sidechain.source", 0.76, "2"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(vanto_param_to_text(&param(c.path), c.normalized), c.text) << c.path;
    }
}

TEST(ParamTable, TextReadsALeadingNumberAndIgnoresTheRest) {
    double normalized = -1;
    ASSERT_TRUE(vanto_param_from_text(&param("time.attack"), "7 ms", &normalized));
    EXPECT_DOUBLE_EQ(normalized, (7 - 0.1) / 29.9);
    ASSERT_TRUE(vanto_param_from_text(&param("sync.bpm"), "  120 BPM", &normalized));
    EXPECT_DOUBLE_EQ(normalized, 0.4);
    ASSERT_TRUE(vanto_param_from_text(&param("sync.bpm"), "1e6", &normalized));
    EXPECT_EQ(normalized, 1.0);

    normalized = 0.25;
    EXPECT_FALSE(vanto_param_from_text(&param("time.attack"), "abc", &normalized));
    EXPECT_FALSE(vanto_param_from_text(&param("time.attack"), "", &normalized));
    // Only toggles know the words; a continuous parameter tries to read "on" as a number.
    EXPECT_FALSE(vanto_param_from_text(&param("sidechain.link"), "on", &normalized));
    // "nan" would read as a number but is no value a parameter can take.
    EXPECT_FALSE(vanto_param_from_text(&param("sidechain.link"), "nan", &normalized));
    EXPECT_EQ(normalized, 0.25);
}

TEST(ParamTable, TextOnlyReadsTheFirst255Characters) {
    std::string text(300, ' ');
    text += "5";
    double normalized = 0.5;
    EXPECT_FALSE(vanto_param_from_text(&param("macro.space"), text.c_str(), &normalized));
    EXPECT_EQ(normalized, 0.5);
}

TEST(ParamTable, ListAndToggleKindsConvertByTheirOwnRules) {
    static const char* const labels[] = {"low", "mid", "high"};
    const vanto_param_desc list{0, "test.list", "List", "Test", VANTO_PARAM_LIST, 0, 2, 1, 0,
                                0, "",          3,      labels};
    const vanto_param_desc toggle{1, "test.toggle", "Toggle", "Test", VANTO_PARAM_TOGGLE, 0, 1, 1, 0, 0, "",
                                  0, nullptr};
    EXPECT_EQ(vanto_param_to_plain(&list, 0.74), 1);
    EXPECT_EQ(vanto_param_to_plain(&list, 0.76), 2);
    EXPECT_EQ(vanto_param_to_text(&list, 1.0), "high");
    EXPECT_EQ(vanto_param_normalize(&list, 7), 1.0);
    EXPECT_EQ(vanto_param_to_plain(&toggle, 0.5), 1);
    EXPECT_EQ(vanto_param_to_text(&toggle, 0.49), "off");
    EXPECT_EQ(vanto_param_normalize(&toggle, 0.2), 1.0);

    double normalized = -1;
    ASSERT_TRUE(vanto_param_from_text(&list, "mid", &normalized));
    EXPECT_EQ(normalized, 0.5);
    ASSERT_TRUE(vanto_param_from_text(&toggle, "true", &normalized));
    EXPECT_EQ(normalized, 1.0);
    ASSERT_TRUE(vanto_param_from_text(&toggle, "off", &normalized));
    EXPECT_EQ(normalized, 0.0);
    ASSERT_TRUE(vanto_param_from_text(&toggle, "3", &normalized));
    EXPECT_EQ(normalized, 1.0);
    EXPECT_FALSE(vanto_param_from_text(&toggle, "On", &normalized));
}

TEST(FactoryPresets, BounceHasItsPlainValues) {
    const vanto_factory_preset* bounce = vanto_factory_preset_find("bounce");
    ASSERT_EQ(bounce, &VANTO_FACTORY_PRESETS[1]);
    EXPECT_STREQ(bounce->name, "Bounce");
    const auto plain = [bounce](const char* path) {
        const vanto_param_desc& desc = param(path);
        return vanto_param_to_plain(&desc, bounce->values[desc.id]);
    };
    EXPECT_EQ(plain("time.swing"), 58);
    EXPECT_EQ(plain("time.feel"), 3);
    EXPECT_EQ(plain("time.division"), 5);
    EXPECT_DOUBLE_EQ(plain("budget.maxReduction"), 7);
}

TEST(FactoryPresets, OnlyTheListedColumnsDifferFromTheDefaults) {
    const char* const varying[] = {"macro.space",         "macro.dovrel",      "macro.glue",
                                   "time.division",       "time.feel",         "time.swing",
                                   "budget.maxReduction", "detect.kickWeight", "detect.clapWeight",
                                   "shape.protectAmount"};
    for (const vanto_factory_preset& preset : VANTO_FACTORY_PRESETS) {
        for (const vanto_param_desc& desc : VANTO_PARAMS) {
            bool listed = false;
            for (const char* path : varying) {
                listed = listed || std::string(path) == desc.path;
            }
            if (!listed) {
                EXPECT_EQ(preset.values[desc.id], desc.defaultNormalized) << preset.id << " " << desc.path;
            }
            EXPECT_GE(preset.values[desc.id], 0.0);
            EXPECT_LE(preset.values[desc.id], 1.0);
        }
    }
    EXPECT_EQ(vanto_param_to_plain(&param("budget.maxReduction"), VANTO_FACTORY_PRESETS[6].values[11]), 10);
    EXPECT_EQ(VANTO_FACTORY_PRESETS[4].values[12], 0.25);
    EXPECT_EQ(vanto_factory_preset_find("Bounce"), nullptr);
}

} // namespace
