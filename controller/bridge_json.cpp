#include "controller/bridge_json.h"

#include "ccmap/cc_map_json_writer.h"
#include "diagnostics/diagnostic_target.h"
#include "diagnostics/hello_blocks_json.h"
#include "encoding/json_writer.h"
#include "kernel/param_table.h"

namespace vanto {

namespace {

constexpr const char* kHelloHead = "{\"type\":\"vanto.hello\",\"plugin\":{\"id\":\"music.vanto.dovrel\","
                                   "\"name\":\"Dovrel\",\"vendor\":\"Vanto Music\",\"version\":\"0.0.0\"}";

// {"path":…,"value":<plain>,"normalized":<normalized>} for every parameter in id order.
void appendParams(std::string& out, const double* normalized) {
    out += ",\"params\":[";
    for (std::size_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        const vanto_param_desc& row = VANTO_PARAMS[id];
        if (id != 0) {
            out += ',';
        }
        out += "{\"path\":";
        jsonAppendQuoted(out, row.path);
        out += ",\"value\":";
        jsonAppendNumber(out, vanto_param_to_plain(&row, normalized[id]));
        out += ",\"normalized\":";
        jsonAppendNumber(out, normalized[id]);
        out += '}';
    }
    out += ']';
}

// {"<path>":<plain>,…} of one preset's normalized values.
void appendPresetValues(std::string& out, const double* values) {
    out += '{';
    for (std::size_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        const vanto_param_desc& row = VANTO_PARAMS[id];
        if (id != 0) {
            out += ',';
        }
        jsonAppendQuoted(out, row.path);
        out += ':';
        jsonAppendNumber(out, vanto_param_to_plain(&row, values[id]));
    }
    out += '}';
}

// Presets lacking an id, a name or values cannot be offered and are left out.
void appendFactoryPresets(std::string& out) {
    out += ",\"factoryPresets\":[";
    bool first = true;
    for (const vanto_factory_preset& preset : VANTO_FACTORY_PRESETS) {
        if (preset.id == nullptr || preset.name == nullptr || preset.values == nullptr) {
            continue;
        }
        if (!first) {
            out += ',';
        }
        first = false;
        out += "{\"id\":";
        jsonAppendQuoted(out, preset.id);
        out += ",\"name\":";
        jsonAppendQuoted(out, preset.name);
        out += ",\"values\":";
        appendPresetValues(out, preset.values);
        out += '}';
    }
    out += ']';
}

} // namespace

void writeHelloJson(std::string& out, const HelloInputs& inputs) {
    out += kHelloHead;
    appendParams(out, inputs.normalized);
    appendFactoryPresets(out);
    if (inputs.ccMap != nullptr) {
        out += ",\"ccMap\":";
        writeCcMapJson(out, *inputs.ccMap);
    }
    if (!inputs.runtimeHealth.empty()) {
        out += ",\"runtimeHealth\":";
        out += inputs.runtimeHealth;
    }
    appendDiagnosticHelloBlocks(out, kTargetVst3, *inputs.host, *inputs.presetState, inputs.ui);
    if (inputs.tempo != nullptr) {
        out += ",\"tempo\":";
        writeEffectiveTempoJson(out, *inputs.tempo);
    }
    out += '}';
}

void writeParamChangedJson(std::string& out, const char* path, double plain, double normalized) {
    out += "{\"type\":\"vanto.paramChanged\",\"path\":";
    jsonAppendQuoted(out, path);
    out += ",\"value\":";
    jsonAppendNumber(out, plain);
    out += ",\"normalized\":";
    jsonAppendNumber(out, normalized);
    out += '}';
}

void writeStateMessageJson(std::string& out, std::string_view stateDocument) {
    out += "{\"type\":\"vanto.state\",\"state\":";
    out += stateDocument;
    out += '}';
}

} // namespace vanto
