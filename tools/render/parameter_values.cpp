#include "parameter_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vanto {

namespace {

// A whole decimal number, read the same way in every locale.
bool readPlainNumber(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    return failure == std::errc() && stop == end && std::isfinite(value);
}

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

bool applyFactoryPreset(const std::string& presetId, NormalizedValues& values, std::string& error) {
    const vanto_factory_preset* preset = vanto_factory_preset_find(presetId.c_str());
    if (preset == nullptr) {
        error = "unknown preset \"" + presetId + "\" (known:";
        for (const vanto_factory_preset& known : VANTO_FACTORY_PRESETS) {
            error += std::string(" ") + known.id;
        }
        error += ")";
        return false;
    }
    for (std::size_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        values[id] = preset->values[id];
    }
    return true;
}

bool applyPlainSetting(const std::string& assignment, NormalizedValues& values, std::string& error) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) {
        error = "--set expects PATH=VALUE, got \"" + assignment + "\"";
        return false;
    }
    const std::string path = assignment.substr(0, equals);
    const std::string text = assignment.substr(equals + 1);
    const vanto_param_desc* row = vanto_param_find(path.c_str());
    if (row == nullptr) {
        error = "unknown parameter path \"" + path + "\"";
        return false;
    }
    double plain = 0;
    if (!readPlainNumber(text, plain)) {
        error = "the value of " + path + " must be a number, got \"" + text + "\"";
        return false;
    }
    if (plain < row->min || plain > row->max) {
        error = path + "=" + text + " is outside its range " + numberText(row->min) + " to " +
                numberText(row->max);
        return false;
    }
    values[row->id] = vanto_param_normalize(row, plain);
    return true;
}

} // namespace vanto
