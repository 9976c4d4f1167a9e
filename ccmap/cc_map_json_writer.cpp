#include "ccmap/cc_map_json_writer.h"

#include "ccmap/cc_binding_names.h"
#include "encoding/json_writer.h"
#include "kernel/param_table.h"

namespace vanto {

namespace {

void appendNamedSetting(std::string& out, const char* key, const char* name) {
    if (name == nullptr) {
        return;
    }
    out += key;
    jsonAppendQuoted(out, name);
}

void writeBinding(std::string& out, const CcBinding& binding) {
    out += "{\"cc\":";
    out += std::to_string(binding.cc);
    out += ",\"path\":";
    jsonAppendQuoted(out, VANTO_PARAMS[binding.parameter].path);
    if (binding.channel != 0) {
        out += ",\"channel\":";
        out += std::to_string(binding.channel);
    }
    if (binding.hasMin) {
        out += ",\"min\":";
        jsonAppendNumber(out, binding.min);
    }
    if (binding.hasMax) {
        out += ",\"max\":";
        jsonAppendNumber(out, binding.max);
    }
    appendNamedSetting(out, ",\"curve\":", ccCurveName(binding.curve));
    appendNamedSetting(out, ",\"valueMode\":", ccValueModeName(binding.valueMode));
    appendNamedSetting(out, ",\"takeover\":", ccTakeoverName(binding.takeover));
    if (!binding.enabled) {
        out += ",\"enabled\":false";
    }
    out += '}';
}

} // namespace

void writeCcMapJson(std::string& out, const CcMap& map) {
    out += "{\"version\":1,\"bindings\":[";
    bool first = true;
    for (uint32_t index = 0; index < map.size(); ++index) {
        const CcBinding& binding = map.bindings[index];
        if (binding.parameter >= VANTO_PARAM_COUNT) {
            continue;
        }
        if (!first) {
            out += ',';
        }
        first = false;
        writeBinding(out, binding);
    }
    out += "]}";
}

void writeCcMapChangedJson(std::string& out, const CcMap& map) {
    out += "{\"type\":\"vanto.ccMapChanged\",\"map\":";
    writeCcMapJson(out, map);
    out += '}';
}

} // namespace vanto
