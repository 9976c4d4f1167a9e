// The page bridge as a test harness drives it: the built bundle loaded as a host loads it, its
// controller reached through the module's exported bridge functions, every page-bound message kept
// and checked as strict JSON.
#include "banks/json_tree.h"
#include "bundle_fixture.h"
#include "kernel/param_table.h"
#include "processor/state_json_reader.h"
#include "support/strict_json.h"

#include "module.h"
#include "plugin_instance.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Steinberg::FUnknown;
using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::Vst::IEditController;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;
using vanto::JsonValue;
using vanto::test::parsedJson;

constexpr ParamID kProgramChange = 0x3F010001;
constexpr ParamID kGlueRatio = 26;

std::string typeOf(const std::string& message) {
    return parsedJson(message).str("type");
}

class PageBridge : public ::testing::Test {
  protected:
    static std::shared_ptr<vanto::host::Module> bundle() { return vanto::test::loadedBundle(); }

    template <class Function> static void find(Function& function, const char* name) {
        function = reinterpret_cast<Function>(dlsym(bundle()->libraryHandle(), name));
        ASSERT_NE(function, nullptr) << name;
    }

    static void keepMessage(void* context, const char* bytes, std::size_t length) {
        static_cast<PageBridge*>(context)->page.emplace_back(bytes, length);
    }

    void SetUp() override {
        ASSERT_NE(bundle(), nullptr);
        find(abiVersion, "vantoDiagnosticBridgeAbiVersion");
        ASSERT_TRUE(bridge.complete());
        instance = vanto::test::processorInstance();
        ASSERT_NE(instance, nullptr);
        controller = instance->controller();
        ASSERT_NE(controller, nullptr);
        ASSERT_EQ(controller->setComponentHandler(&handler), kResultOk);
        ASSERT_EQ(bridge.installSink(controller, &PageBridge::keepMessage, this), 1);
    }

    void TearDown() override {
        if (controller != nullptr) {
            bridge.installSink(controller, nullptr, nullptr);
        }
        // Whatever a test sent the page, the page must be able to read it.
        const std::vector<std::string> errors = vanto::test::strictJsonErrors(page);
        for (std::size_t i = 0; i < page.size(); ++i) {
            EXPECT_EQ(errors[i], "") << page[i];
        }
    }

    void send(const std::string& message) {
        ASSERT_EQ(bridge.deliver(controller, message.data(), message.size()), 1);
    }

    std::vector<JsonValue> messagesOfType(const std::string& type) const {
        std::vector<JsonValue> found;
        for (const std::string& message : page) {
            if (typeOf(message) == type) {
                found.push_back(parsedJson(message));
            }
        }
        return found;
    }

    std::vector<ParamValue> normalizedValues() const { return vanto::test::tableParamValues(*controller); }

    const vanto::test::BridgeExports& bridge = vanto::test::BridgeExports::found();
    int (*abiVersion)() = nullptr;
    // Declared before the instance: the controller releases the handler when the instance ends.
    vanto::test::RecordingComponentHandler handler;
    std::unique_ptr<vanto::host::PluginInstance> instance;
    IEditController* controller = nullptr;
    std::vector<std::string> page;
};

TEST_F(PageBridge, FunctionsRefuseWhatIsNotOurController) {
    EXPECT_EQ(abiVersion(), 2);
    const char ready[] = R"({"type":"vanto.ready"})";
    EXPECT_EQ(bridge.installSink(nullptr, &PageBridge::keepMessage, this), 0);
    EXPECT_EQ(bridge.deliver(nullptr, ready, sizeof ready - 1), 0);
    EXPECT_EQ(bridge.tick(nullptr), 0);
    // The processor is no edit controller.
    EXPECT_EQ(bridge.installSink(instance->component(), &PageBridge::keepMessage, this), 0);
    EXPECT_EQ(bridge.deliver(instance->component(), ready, sizeof ready - 1), 0);
    EXPECT_EQ(bridge.tick(instance->component()), 0);
    // Another plug-in's edit controller answers the interface query but is not driven.
    Steinberg::IPtr<Steinberg::Vst::EditController> strangerObject =
        Steinberg::owned(new Steinberg::Vst::EditController());
    FUnknown* stranger = static_cast<IEditController*>(strangerObject.get());
    EXPECT_EQ(bridge.installSink(stranger, &PageBridge::keepMessage, this), 0);
    EXPECT_EQ(bridge.deliver(stranger, ready, sizeof ready - 1), 0);
    EXPECT_EQ(bridge.tick(stranger), 0);
    // Our controller, but no bytes.
    EXPECT_EQ(bridge.deliver(controller, nullptr, 0), 0);
    EXPECT_EQ(bridge.tick(controller), 1);
    EXPECT_TRUE(page.empty());
}

// The hello's identity names the page the bundle ships, from its manifest; the UI root the diagnostic
// lookup gives is that page's folder.
TEST_F(PageBridge, HelloNamesTheShippedPage) {
    const std::filesystem::path root =
        std::filesystem::path(bundle()->binaryPath()).parent_path().parent_path() / "Resources" / "ui";
    std::ifstream manifestFile(root / "manifest.json");
    const JsonValue manifest = parsedJson(
        std::string(std::istreambuf_iterator<char>(manifestFile), std::istreambuf_iterator<char>()));
    ASSERT_FALSE(manifest.str("sha256").empty());
    send(R"({"type":"vanto.ready"})");
    const std::vector<JsonValue> hellos = messagesOfType("vanto.hello");
    ASSERT_EQ(hellos.size(), 1u);
    const JsonValue* ui = hellos[0].find("identity")->find("ui");
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(ui->str("sha256"), manifest.str("sha256"));
    EXPECT_EQ(ui->str("buildTime"), manifest.str("buildTime"));
    EXPECT_EQ(ui->str("sourceRevision"), manifest.str("sourceRevision"));

    using UiRootLookup = const char* (*)();
    UiRootLookup uiRoot = nullptr;
    find(uiRoot, "vantoPluginUiRootForDiagnostics");
    EXPECT_EQ(std::string(uiRoot()), std::filesystem::canonical(root).string());
}

TEST_F(PageBridge, RemovedSinkGetsNothingWhileStateStillChanges) {
    ASSERT_EQ(bridge.installSink(controller, nullptr, nullptr), 1);
    send(R"({"type":"vanto.ready"})");
    send(R"({"type":"vanto.loadFactoryPreset","id":"bounce"})");
    EXPECT_TRUE(page.empty());
    EXPECT_EQ(controller->getParamNormalized(kProgramChange), 1.0 / 7.0);
}

TEST_F(PageBridge, SetParamWithoutValueChangesNothing) {
    const std::vector<ParamValue> before = normalizedValues();
    send(R"({"type":"vanto.setParam","path":"glue.ratio"})");
    send(R"({"type":"vanto.setParam","path":"glue.nothing","value":3})");
    send(R"({"type":"vanto.setParam","path":"glue.ratio","value":nan})");
    EXPECT_EQ(normalizedValues(), before);
    EXPECT_TRUE(handler.calls.empty());
    EXPECT_TRUE(page.empty());
}

TEST_F(PageBridge, SetParamPerformsTheEditWithoutEchoingIt) {
    send(R"({"type":"vanto.setParam","path":"glue.ratio","value":8})");
    EXPECT_EQ(controller->getParamNormalized(kGlueRatio), 1.0);
    EXPECT_EQ(handler.calls, std::vector<std::string>{"perform 26"});
    ASSERT_EQ(handler.performed.size(), 1u);
    EXPECT_EQ(handler.performed[0].second, 1.0);
    EXPECT_TRUE(messagesOfType("vanto.paramChanged").empty());

    // The same value from the host afterwards is the host's own change and reaches the page.
    controller->setParamNormalized(kGlueRatio, 1.0);
    ASSERT_EQ(messagesOfType("vanto.paramChanged").size(), 1u);

    // A plain value is normalized by the table: 4.5 of 1 … 8 is one half.
    send(R"({"type":"vanto.setParam","path":"glue.ratio","value":4.5})");
    EXPECT_EQ(controller->getParamNormalized(kGlueRatio), 0.5);
    EXPECT_EQ(messagesOfType("vanto.paramChanged").size(), 1u);
}

TEST_F(PageBridge, EditGesturesBracketByPath) {
    send(R"({"type":"vanto.beginEdit","path":"mix.amount"})");
    send(R"({"type":"vanto.beginEdit","path":"mix.nothing"})");
    send(R"({"type":"vanto.endEdit","path":"mix.amount"})");
    send(R"({"type":"vanto.endEdit","path":""})");
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"begin 31", "end 31"}));
}

TEST_F(PageBridge, FactoryPresetGoesThroughTheProgramChange) {
    send(R"({"type":"vanto.loadFactoryPreset","id":"barely-there"})");
    EXPECT_EQ(controller->getParamNormalized(kProgramChange), 1.0);
    const std::string program = std::to_string(kProgramChange);
    ASSERT_GE(handler.calls.size(), 3u);
    EXPECT_EQ(handler.calls.front(), "begin " + program);
    EXPECT_EQ(handler.calls[handler.calls.size() - 2], "perform " + program);
    EXPECT_EQ(handler.calls.back(), "end " + program);
    EXPECT_NE(std::find(handler.calls.begin(), handler.calls.end(),
                        "restart " + std::to_string(Steinberg::Vst::kParamValuesChanged)),
              handler.calls.end());

    const std::vector<JsonValue> changes = messagesOfType("vanto.paramChanged");
    ASSERT_EQ(changes.size(), VANTO_PARAM_COUNT);
    const vanto_factory_preset& preset = VANTO_FACTORY_PRESETS[7];
    for (ParamID id = 0; id < VANTO_PARAM_COUNT; ++id) {
        EXPECT_EQ(changes[id].str("path"), VANTO_PARAMS[id].path);
        EXPECT_EQ(changes[id].find("normalized")->number, preset.values[id]) << id;
        EXPECT_EQ(controller->getParamNormalized(id), preset.values[id]) << id;
    }
}

TEST_F(PageBridge, UnknownOrEmptyPresetIdsSelectNothing) {
    send(R"({"type":"vanto.loadFactoryPreset","id":"Barely-There"})");
    send(R"({"type":"vanto.loadFactoryPreset","id":"barely-there\u0000"})");
    EXPECT_TRUE(handler.calls.empty());
    EXPECT_TRUE(messagesOfType("vanto.paramChanged").empty());
}

TEST_F(PageBridge, LifecycleSubscriptionReplaysAtOnceAndThenPublishes) {
    send(R"({"type":"vanto.diag.subscribe","feeds":["lifecycle","sparkles"],"hz":120})");
    const std::vector<JsonValue> replay = messagesOfType("vanto.lifecycle");
    ASSERT_EQ(replay.size(), 1u);
    const JsonValue* events = replay[0].find("events");
    ASSERT_TRUE(events != nullptr && events->isArray() && !events->array.empty());
    EXPECT_EQ(events->array.front().str("kind"), "created");

    send(R"({"type":"vanto.getState"})");
    const std::vector<JsonValue> after = messagesOfType("vanto.lifecycle");
    ASSERT_EQ(after.size(), 2u);
    ASSERT_EQ(after[1].find("events")->array.size(), 1u);
    EXPECT_EQ(after[1].find("events")->array[0].str("kind"), "stateSaved");

    send(R"({"type":"vanto.diag.unsubscribe"})");
    send(R"({"type":"vanto.getState"})");
    EXPECT_EQ(messagesOfType("vanto.lifecycle").size(), 2u);
}

TEST_F(PageBridge, SubscriptionWithoutLifecycleReplaysNothing) {
    send(R"({"type":"vanto.diag.subscribe","feeds":["transport"],"hz":30})");
    send(R"({"type":"vanto.diag.stimulus","stimulus":{"kind":"pulse"}})");
    EXPECT_TRUE(messagesOfType("vanto.lifecycle").empty());
}

TEST_F(PageBridge, GetStateSendsTheCurrentStateDocument) {
    send(R"({"type":"vanto.setParam","path":"sync.bpm","value":97.4})");
    send(R"({"type":"vanto.getState"})");
    ASSERT_EQ(page.size(), 1u);
    const std::string prefix = R"({"type":"vanto.state","state":)";
    ASSERT_EQ(page[0].rfind(prefix, 0), 0u) << page[0];
    const std::string document = page[0].substr(prefix.size(), page[0].size() - prefix.size() - 1);
    vanto::StateChunk state;
    ASSERT_TRUE(vanto::parseStateJson(document.data(), document.size(), state)) << document;
    for (ParamID id = 0; id < VANTO_PARAM_COUNT; ++id) {
        ASSERT_TRUE(state.paramPresent[id]);
        EXPECT_EQ(state.params[id],
                  vanto_param_to_plain(&VANTO_PARAMS[id], controller->getParamNormalized(id)));
    }
    EXPECT_EQ(state.params[0], 97.0); // the tempo is stored on its whole-number step
    EXPECT_FALSE(state.hasCcMap);
}

TEST_F(PageBridge, SetStateEditsEveryParameterItCarriesAndAdoptsItsMap) {
    send(R"({"type":"vanto.setState","state":{"params":{"glue.ratio":8,"mix.amount":0.25,"nothing":1},)"
         R"("ccMap":{"version":1,"bindings":[{"cc":74,"path":"glue.ratio"}]}}})");
    EXPECT_EQ(controller->getParamNormalized(kGlueRatio), 1.0);
    EXPECT_EQ(controller->getParamNormalized(31), 0.25);
    const std::vector<std::string> edits = {"begin 26", "perform 26", "end 26",
                                            "begin 31", "perform 31", "end 31"};
    ASSERT_GE(handler.calls.size(), edits.size());
    EXPECT_EQ(std::vector<std::string>(handler.calls.begin(), handler.calls.begin() + 6), edits);

    const std::vector<JsonValue> changes = messagesOfType("vanto.paramChanged");
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].str("path"), "glue.ratio");
    EXPECT_EQ(changes[0].find("value")->number, 8.0);
    EXPECT_EQ(changes[1].str("path"), "mix.amount");
    EXPECT_EQ(messagesOfType("vanto.ccMapChanged").size(), 1u);
    const std::vector<JsonValue> bankStates = messagesOfType("vanto.bankState");
    ASSERT_FALSE(bankStates.empty());
    EXPECT_EQ(bankStates.back().str("reason"), "restore");

    std::vector<char> controllerState;
    ASSERT_EQ(instance->saveControllerState(controllerState), kResultOk);
    EXPECT_EQ(std::string(controllerState.begin(), controllerState.end()),
              R"({"ccMap":{"version":1,"bindings":[{"cc":74,"path":"glue.ratio"}]}})");
}

TEST_F(PageBridge, SetStateWithoutAStateObjectIsIgnored) {
    send(R"({"type":"vanto.setState"})");
    send(R"({"type":"vanto.setState","state":"{}"})");
    EXPECT_TRUE(handler.calls.empty());
    EXPECT_TRUE(page.empty());
}

TEST_F(PageBridge, SetCcMapAdoptsAndAnnouncesTheMap) {
    send(R"({"type":"vanto.setCcMap"})");
    EXPECT_TRUE(page.empty());
    send(R"({"type":"vanto.setCcMap","map":[{"cc":7,"path":"master.level","channel":3}]})");
    const std::vector<JsonValue> changed = messagesOfType("vanto.ccMapChanged");
    ASSERT_EQ(changed.size(), 1u);
    const JsonValue* bindings = changed[0].find("map")->find("bindings");
    ASSERT_TRUE(bindings != nullptr && bindings->isArray());
    ASSERT_EQ(bindings->array.size(), 1u);
    EXPECT_EQ(bindings->array[0].str("path"), "master.level");
    EXPECT_NE(std::find(handler.calls.begin(), handler.calls.end(),
                        "restart " + std::to_string(Steinberg::Vst::kMidiCCAssignmentChanged)),
              handler.calls.end());

    // The processor got it too: its state carries it.
    std::vector<char> componentState;
    ASSERT_EQ(instance->saveState(componentState), kResultOk);
    EXPECT_NE(std::string(componentState.begin(), componentState.end())
                  .find(R"("ccMap":{"version":1,"bindings":[{"cc":7,"path":"master.level","channel":3}]})"),
              std::string::npos);
}

TEST_F(PageBridge, MalformedMessagesAreLoggedAndChangeNothing) {
    const std::vector<ParamValue> before = normalizedValues();
    const std::string malformed[] = {
        R"({"type":"vanto.setParam","path":"glue.ratio","value":"8"})",
        R"({"type":"vanto.setParam","path":"glue.ratio","value":8} x)",
        R"({"type":"vanto.setParam","path":"glue.ratio","value":8,"x":)" + std::string(33, '[') +
            std::string(33, ']') + "}",
        R"({"type":"vanto.ready")",
    };
    for (const std::string& message : malformed) {
        testing::internal::CaptureStderr();
        send(message);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "vanto-plugin-shell: malformed bridge message (" +
                                                              std::to_string(message.size()) + " bytes)\n");
    }
    testing::internal::CaptureStderr();
    send(R"({} {"type":"vanto.ready"})");
    send(R"({"type":"vanto.unheardOf","value":1})");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(normalizedValues(), before);
    EXPECT_TRUE(handler.calls.empty());
    EXPECT_TRUE(page.empty());
}

TEST_F(PageBridge, NotesAreOnlyLogged) {
    testing::internal::CaptureStderr();
    send(R"({"type":"vanto.noteOn","note":60.9,"velocity":100})");
    send(R"({"type":"vanto.noteOff","note":-3.5})");
    send(R"({"type":"vanto.noteOn","note":1e300})");
    send(R"({"type":"vanto.noteOn"})");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vanto-plugin-shell: bridge vanto.noteOn note=60\n"
              "vanto-plugin-shell: bridge vanto.noteOff note=-3\n"
              "vanto-plugin-shell: bridge vanto.noteOn note=2147483647\n"
              "vanto-plugin-shell: bridge vanto.noteOn note=0\n");
    EXPECT_TRUE(page.empty());
    EXPECT_TRUE(handler.calls.empty());
}

TEST_F(PageBridge, HelloCarriesEverythingThePageDrawsFrom) {
    // A refused set-up makes the processor report its health; the accepted one its host facts.
    EXPECT_NE(instance->setupProcessing(1.0, 256), kResultOk);
    ASSERT_EQ(instance->start(48000, 256), kResultOk);
    send(R"({"type":"vanto.setCcMap","map":[{"cc":74,"path":"glue.ratio"}]})");
    send(R"({"type":"vanto.loadFactoryPreset","id":"vocal-sit"})");
    send(R"({"type":"vanto.setParam","path":"glue.ratio","value":2})");
    page.clear();
    send(R"({"type":"vanto.ready"})");
    ASSERT_EQ(page.size(), 1u);
    const std::string& text = page[0];
    EXPECT_EQ(text.rfind(R"({"type":"vanto.hello","plugin":{"id":"music.vanto.dovrel","name":"Dovrel",)"
                         R"("vendor":"Vanto Music","version":"0.0.0"},"params":[{"path":"sync.bpm",)",
                         0),
              0u)
        << text;
    std::size_t previous = 0;
    for (const char* key :
         {",\"factoryPresets\":[", ",\"ccMap\":{", ",\"runtimeHealth\":{", ",\"identity\":{", ",\"host\":{",
          ",\"diagnostics\":{\"feeds\":[],\"commands\":[],\"maxFeedHz\":0}", ",\"presetState\":{"}) {
        const std::size_t at = text.find(key);
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, previous) << key;
        previous = at;
    }

    const JsonValue hello = parsedJson(text);
    const JsonValue* params = hello.find("params");
    ASSERT_TRUE(params != nullptr && params->isArray());
    ASSERT_EQ(params->array.size(), VANTO_PARAM_COUNT);
    for (ParamID id = 0; id < VANTO_PARAM_COUNT; ++id) {
        const JsonValue& param = params->array[id];
        const double normalized = controller->getParamNormalized(id);
        EXPECT_EQ(param.str("path"), VANTO_PARAMS[id].path);
        EXPECT_EQ(param.find("normalized")->number, normalized);
        EXPECT_EQ(param.find("value")->number, vanto_param_to_plain(&VANTO_PARAMS[id], normalized));
    }
    EXPECT_EQ(params->array[kGlueRatio].find("value")->number, 2.0);

    const JsonValue* presets = hello.find("factoryPresets");
    ASSERT_TRUE(presets != nullptr && presets->isArray());
    ASSERT_EQ(presets->array.size(), VANTO_FACTORY_PRESET_COUNT);
    EXPECT_EQ(presets->array[4].str("id"), "vocal-sit");
    EXPECT_EQ(presets->array[4].str("name"), "Vocal Sit");
    EXPECT_EQ(presets->array[4].find("values")->object.size(), VANTO_PARAM_COUNT);

    EXPECT_EQ(hello.find("ccMap")->find("bindings")->array.size(), 1u);
    EXPECT_EQ(hello.find("runtimeHealth")->str("format"), "vanto-runtime-health/v1");
    EXPECT_EQ(hello.find("identity")->str("moduleId"), "music.vanto.dovrel");
    EXPECT_EQ(hello.find("host")->find("sampleRate")->number, 48000.0);
    const JsonValue* presetState = hello.find("presetState");
    ASSERT_NE(presetState, nullptr);
    EXPECT_EQ(presetState->find("factoryCount")->number, 8.0);
    EXPECT_EQ(presetState->str("currentId"), "vocal-sit");
    EXPECT_EQ(presetState->str("currentName"), "Vocal Sit");
    // The ratio was edited after the preset was loaded.
    EXPECT_TRUE(presetState->find("dirty")->boolean);
    EXPECT_FALSE(presetState->find("userPresetsSupported")->boolean);
}

TEST_F(PageBridge, HelloBeforeAnythingHappenedLeavesOptionalBlocksOut) {
    send(R"({"type":"vanto.ready"})");
    ASSERT_EQ(page.size(), 1u);
    const JsonValue hello = parsedJson(page[0]);
    for (const char* absent : {"ccMap", "runtimeHealth", "host"}) {
        EXPECT_EQ(hello.find(absent), nullptr) << absent;
    }
    EXPECT_FALSE(hello.find("presetState")->find("dirty")->boolean);
    for (ParamID id = 0; id < VANTO_PARAM_COUNT; ++id) {
        EXPECT_EQ(hello.find("params")->array[id].find("normalized")->number,
                  VANTO_PARAMS[id].defaultNormalized);
    }
}

} // namespace
