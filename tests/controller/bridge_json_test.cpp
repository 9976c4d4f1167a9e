#include "controller/bridge_json.h"

#include "banks/json_tree.h"
#include "kernel/param_table.h"
#include "support/strict_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace vanto {
namespace {

constexpr std::size_t kGlueRatio = 26;

JsonValue parsed(const std::string& text) {
    JsonValue value;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    EXPECT_TRUE(parseJsonDocument(bytes, bytes + text.size(), value)) << text;
    return value;
}

// The defaults of the parameter table, with a few values that show the plain-value rule: rounding to
// the step, and clamping of values outside 0 … 1.
std::vector<double> sampleNormalized() {
    std::vector<double> values;
    for (const vanto_param_desc& row : VANTO_PARAMS) {
        values.push_back(row.defaultNormalized);
    }
    values[0] = 0.4037;       // sync.bpm 40 … 240 step 1: 120.74 → 121
    values[4] = 0.7;          // sidechain.source 0 … 2 step 1: 1.4 → 1
    values[kGlueRatio] = 1.5; // glue.ratio 1 … 8: clamped to 8
    values[9] = -0.25;        // time.swing 50 … 75: clamped to 50
    return values;
}

struct HelloMessage : testing::Test {
    std::vector<double> normalized = sampleNormalized();
    HostFacts host;
    PresetStateFacts presetState;
    CcMap map;

    HelloMessage() {
        presetState.factoryCount = 8;
        CcBinding binding;
        binding.cc = 74;
        binding.parameter = kGlueRatio;
        map.append(binding);
    }

    std::string hello(const CcMap* ccMap, std::string_view health) {
        HelloInputs inputs;
        inputs.normalized = normalized.data();
        inputs.ccMap = ccMap;
        inputs.runtimeHealth = health;
        inputs.host = &host;
        inputs.presetState = &presetState;
        std::string out;
        writeHelloJson(out, inputs);
        return out;
    }
};

TEST(BridgeJson, ParamChangedMessage) {
    std::string out;
    writeParamChangedJson(out, "glue.ratio", 8, 1);
    EXPECT_EQ(out, R"({"type":"vanto.paramChanged","path":"glue.ratio","value":8,"normalized":1})");
    out.clear();
    writeParamChangedJson(out, "time.attack", 0.1, 1e-7);
    EXPECT_EQ(out, R"({"type":"vanto.paramChanged","path":"time.attack","value":0.1,"normalized":1e-07})");
}

TEST(BridgeJson, StateMessageEmbedsTheDocumentVerbatim) {
    std::string out;
    writeStateMessageJson(out, R"({"params":{"sync.bpm":120}})");
    EXPECT_EQ(out, R"({"type":"vanto.state","state":{"params":{"sync.bpm":120}}})");
}

TEST_F(HelloMessage, ParamsCarryPlainAndNormalizedValuesInIdOrder) {
    const JsonValue doc = parsed(hello(nullptr, ""));
    EXPECT_EQ(doc.str("type"), "vanto.hello");
    const JsonValue* plugin = doc.find("plugin");
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->str("id"), "music.vanto.dovrel");
    EXPECT_EQ(plugin->str("name"), "Dovrel");
    EXPECT_EQ(plugin->str("vendor"), "Vanto Music");
    EXPECT_EQ(plugin->str("version"), "0.0.0");

    const JsonValue* params = doc.find("params");
    ASSERT_TRUE(params != nullptr && params->isArray());
    ASSERT_EQ(params->array.size(), VANTO_PARAM_COUNT);
    for (std::size_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        const JsonValue& param = params->array[id];
        EXPECT_EQ(param.str("path"), VANTO_PARAMS[id].path);
        ASSERT_NE(param.find("normalized"), nullptr);
        EXPECT_EQ(param.find("normalized")->number, normalized[id]) << id;
    }
    EXPECT_EQ(params->array[0].find("value")->number, 121.0);
    EXPECT_EQ(params->array[4].find("value")->number, 1.0);
    EXPECT_EQ(params->array[9].find("value")->number, 50.0);
    EXPECT_EQ(params->array[kGlueRatio].find("value")->number, 8.0);
    EXPECT_EQ(params->array[12].find("value")->number, 1.0); // detect.kickWeight default
}

TEST_F(HelloMessage, FactoryPresetsListEveryParameterAsPlainValue) {
    const JsonValue doc = parsed(hello(nullptr, ""));
    const JsonValue* presets = doc.find("factoryPresets");
    ASSERT_TRUE(presets != nullptr && presets->isArray());
    ASSERT_EQ(presets->array.size(), VANTO_FACTORY_PRESET_COUNT);
    const char* ids[] = {"bass-under-kick", "bounce",      "keys-in-the-gaps", "sample-room",
                         "vocal-sit",       "pad-breathe", "tight-modern",     "barely-there"};
    for (std::size_t i = 0; i < VANTO_FACTORY_PRESET_COUNT; ++i) {
        const JsonValue& preset = presets->array[i];
        EXPECT_EQ(preset.str("id"), ids[i]);
        EXPECT_EQ(preset.str("name"), VANTO_FACTORY_PRESETS[i].name);
        const JsonValue* values = preset.find("values");
        ASSERT_TRUE(values != nullptr && values->isObject());
        ASSERT_EQ(values->object.size(), VANTO_PARAM_COUNT);
        for (const vanto_param_desc& row : VANTO_PARAMS) {
            const JsonValue* value = values->find(row.path);
            ASSERT_TRUE(value != nullptr && value->isNumber()) << row.path;
            // Independent of the writer: minimum + value × range, rounded to the step.
            double expected = row.min + VANTO_FACTORY_PRESETS[i].values[row.id] * (row.max - row.min);
            if (row.step != 0) {
                expected = row.step * std::floor(expected / row.step + 0.5);
            }
            EXPECT_DOUBLE_EQ(value->number, expected) << ids[i] << " " << row.path;
        }
    }
}

TEST_F(HelloMessage, OptionalBlocksAppearOnlyWhenKnownAndInOrder) {
    const std::string bare = hello(nullptr, "");
    for (const char* absent : {"\"ccMap\":", "\"runtimeHealth\":", "\"host\":"}) {
        EXPECT_EQ(bare.find(absent), std::string::npos) << absent;
    }
    host.sampleRate = 48000;
    std::strcpy(host.hostName, "Test Host");
    const std::string health = R"({"format":"vanto-runtime-health/v1","schemaVersion":1})";
    const std::string full = hello(&map, health);
    std::size_t previous = 0;
    for (const char* key :
         {"\"type\":", "\"plugin\":", "\"params\":", "\"factoryPresets\":", "\"ccMap\":",
          "\"runtimeHealth\":", "\"identity\":", "\"host\":", "\"diagnostics\":", "\"presetState\":"}) {
        const std::size_t at = full.find(std::string(",") + key);
        const std::size_t found = at != std::string::npos ? at : full.find(key);
        ASSERT_NE(found, std::string::npos) << key;
        EXPECT_GE(found, previous) << key;
        previous = found;
    }
    EXPECT_NE(full.find(",\"runtimeHealth\":" + health + ",\"identity\":"), std::string::npos);

    const JsonValue doc = parsed(full);
    const JsonValue* ccMap = doc.find("ccMap");
    ASSERT_TRUE(ccMap != nullptr && ccMap->isObject());
    const JsonValue* bindings = ccMap->find("bindings");
    ASSERT_TRUE(bindings != nullptr && bindings->isArray());
    ASSERT_EQ(bindings->array.size(), 1u);
    EXPECT_EQ(bindings->array[0].str("path"), "glue.ratio");
    EXPECT_EQ(doc.find("host")->str("hostName"), "Test Host");
    EXPECT_EQ(doc.find("presetState")->find("factoryCount")->number, 8.0);
    const JsonValue* diagnostics = doc.find("diagnostics");
    ASSERT_NE(diagnostics, nullptr);
    EXPECT_EQ(diagnostics->find("maxFeedHz")->number, 0.0);
}

TEST_F(HelloMessage, EveryMessageIsStrictJson) {
    host.sampleRate = 44100;
    std::strcpy(presetState.currentId, "bounce");
    std::strcpy(presetState.currentName, "Bounce \"live\"");
    std::string paramChanged;
    writeParamChangedJson(paramChanged, "path \"quoted\" \\", 0.25, 0.5);
    std::string state;
    writeStateMessageJson(state, R"({"params":{}})");
    const std::vector<std::string> documents = {hello(nullptr, ""), hello(&map, R"({"a":[1,2]})"),
                                                paramChanged, state};
    const std::vector<std::string> errors = test::strictJsonErrors(documents);
    for (std::size_t i = 0; i < documents.size(); ++i) {
        EXPECT_EQ(errors[i], "") << documents[i];
    }
}

} // namespace
} // namespace vanto
