// The effect's 34 parameters and eight factory presets, and the conversions between normalized,
// plain and text values. Every other part of the plug-in takes its parameter facts from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum vanto_param_kind : uint32_t { VANTO_PARAM_CONTINUOUS = 0, VANTO_PARAM_LIST = 1, VANTO_PARAM_TOGGLE = 2 };

struct vanto_param_desc {
    uint32_t id;
    const char* path;
    const char* title;
    const char* group;
    uint32_t kind;
    double min;
    double max;
    double step;
    double defaultPlain;
    double defaultNormalized;
    const char* units;
    int32_t listCount;
    const char* const* listLabels;
};

inline constexpr std::size_t VANTO_PARAM_COUNT = 34;
extern const vanto_param_desc VANTO_PARAMS[VANTO_PARAM_COUNT];

struct vanto_factory_preset {
    const char* id;
    const char* name;
    const double* values; // VANTO_PARAM_COUNT normalized values in parameter-id order
};

inline constexpr std::size_t VANTO_FACTORY_PRESET_COUNT = 8;
extern const vanto_factory_preset VANTO_FACTORY_PRESETS[VANTO_FACTORY_PRESET_COUNT];

// The row whose path equals `path` exactly, or null.
const vanto_param_desc* vanto_param_find(const char* path);
// The preset whose id slug equals `id`, or null.
const vanto_factory_preset* vanto_factory_preset_find(const char* id);

// A normalized value as every conversion reads it: clamped to [0, 1], with NaN read as 0. Hosts hand
// over whatever they hold; no parameter ever takes a value outside its range or no value at all.
double vanto_param_clamp_normalized(double normalized);
// Normalized to plain: clamped, snapped to the step (the snapped value is not clamped again).
double vanto_param_to_plain(const vanto_param_desc* desc, double normalized);
// Plain to normalized: clamped to [0, 1] (a NaN plain value gives 0), no snapping.
double vanto_param_normalize(const vanto_param_desc* desc, double plain);
// The display text of a normalized value: a list label, "on"/"off", or the shortest decimal text of
// the plain value that reads back to the same double.
std::string vanto_param_to_text(const vanto_param_desc* desc, double normalized);
// Reads a display text (at most 255 characters are considered) into a normalized value. Returns false
// and leaves `normalized` untouched when no number or word could be read.
bool vanto_param_from_text(const vanto_param_desc* desc, const char* text, double* normalized);
