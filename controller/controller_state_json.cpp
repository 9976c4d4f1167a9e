#include "controller/controller_state_json.h"

#include "ccmap/cc_map_json_writer.h"
#include "encoding/json_writer.h"

namespace vanto {

namespace {

void beginMember(std::string& out, const char* key) {
    if (out.back() != '{') {
        out += ',';
    }
    jsonAppendQuoted(out, key);
    out += ':';
}

void appendCurrentPreset(std::string& out, const CurrentPresetOut& preset) {
    out += "{\"id\":";
    jsonAppendQuoted(out, preset.id);
    out += ",\"name\":";
    jsonAppendQuoted(out, preset.name);
    if (preset.program >= 0) {
        out += ",\"program\":";
        jsonAppendNumber(out, preset.program);
    }
    out += '}';
}

} // namespace

void writeControllerStateJson(std::string& out, const CcMap* ccMap, const SamplerPadOverrides& pads,
                              const CurrentPresetOut& preset) {
    out += '{';
    if (ccMap != nullptr) {
        beginMember(out, "ccMap");
        writeCcMapJson(out, *ccMap);
    }
    if (!pads.empty()) {
        beginMember(out, "sampler");
        out += "{\"v\":1,\"pads\":";
        writeSamplerPadOverridesJson(out, pads);
        out += '}';
    }
    const bool hasPresetId = preset.id != nullptr && preset.id[0] != '\0';
    if (hasPresetId || preset.program >= 0) {
        beginMember(out, "preset");
        appendCurrentPreset(out, preset);
    }
    out += '}';
}

} // namespace vanto
