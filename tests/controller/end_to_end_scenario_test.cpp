// One session of the plug-in told from start to finish through the built bundle, as a DAW and the
// editor page drive it: set up and automated at 44.1 kHz, a factory preset chosen by program change,
// the CC map, pad overrides and a parameter edited from the page, the project saved, and then reopened
// in fresh instances that must come back exactly as they were saved and render the same audio.
#include "banks/json_tree.h"
#include "bundle_fixture.h"
#include "kernel/param_table.h"
#include "processor/state_chunk.h"
#include "processor/state_json_reader.h"

#include "demo_signal.h"
#include "module.h"
#include "plugin_instance.h"
#include "process_block.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Steinberg::FUnknown;
using Steinberg::int32;
using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::Vst::IEditController;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;
using vanto::JsonValue;

constexpr ParamID kProgramChange = 0x3F010001;
constexpr std::size_t kVocalSit = 4;
constexpr double kSampleRate = 44100;
constexpr int32 kBlockFrames = 512;
constexpr double kRenderSeconds = 0.5;

// The parameter's id, or VANTO_PARAM_COUNT for a path of none.
ParamID idOf(const char* path) {
    const vanto_param_desc* row = vanto_param_find(path);
    return row == nullptr ? VANTO_PARAM_COUNT : static_cast<ParamID>(row - VANTO_PARAMS);
}

std::shared_ptr<vanto::host::Module> bundle() {
    return vanto::test::loadedBundle();
}

vanto::StateChunk decodedState(const std::vector<char>& bytes) {
    vanto::StateChunk state;
    EXPECT_TRUE(vanto::parseStateJson(bytes.data(), bytes.size(), state))
        << std::string(bytes.begin(), bytes.end());
    return state;
}

using Callback = void (*)(void* context, const char* bytes, std::size_t length);

// One processor and controller pair as a host holds it, with the editor page attached through the
// bundle's exported bridge functions.
class Session {
  public:
    Session() {
        const auto processorClass = bundle()->findClass(kVstAudioEffectClass);
        EXPECT_TRUE(processorClass.has_value());
        std::string error;
        instance = vanto::host::PluginInstance::create(
            bundle(), reinterpret_cast<const char*>(processorClass->cid.data()), error);
        EXPECT_NE(instance, nullptr) << error;
        controller = instance->controller();
        EXPECT_NE(controller, nullptr);
        installSink = reinterpret_cast<decltype(installSink)>(
            dlsym(bundle()->libraryHandle(), "vantoInstallDiagnosticBridgeSink"));
        deliver = reinterpret_cast<decltype(deliver)>(
            dlsym(bundle()->libraryHandle(), "vantoDeliverDiagnosticBridgeMessage"));
        EXPECT_NE(installSink, nullptr);
        EXPECT_NE(deliver, nullptr);
        EXPECT_EQ(controller->setComponentHandler(&host), kResultOk);
        EXPECT_EQ(installSink(controller, &Session::keepPageMessage, this), 1);
    }
    ~Session() { installSink(controller, nullptr, nullptr); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void send(const std::string& message) {
        EXPECT_EQ(deliver(controller, message.data(), message.size()), 1);
    }

    // The page's last message of the type, or an empty text when none arrived.
    std::string lastPageMessage(const std::string& type) const {
        for (auto message = page.rbegin(); message != page.rend(); ++message) {
            if (vanto::test::parsedJson(*message).str("type") == type) {
                return *message;
            }
        }
        return {};
    }

    // What the page receives when it asks for something: the answer, checked to be the only message.
    std::string ask(const std::string& message, const std::string& answerType) {
        page.clear();
        send(message);
        const std::string answer = lastPageMessage(answerType);
        EXPECT_FALSE(answer.empty()) << message;
        return answer;
    }

    std::vector<ParamValue> normalizedValues() const { return vanto::test::tableParamValues(*controller); }

    std::vector<char> componentState() const {
        std::vector<char> state;
        EXPECT_EQ(instance->saveState(state), kResultOk);
        return state;
    }

    std::vector<char> controllerState() const {
        std::vector<char> state;
        EXPECT_EQ(instance->saveControllerState(state), kResultOk);
        return state;
    }

    // Reopening a saved project: the component's state to processor and controller, then the
    // controller's own.
    void restore(const std::vector<char>& component, const std::vector<char>& controllerOwn) {
        ASSERT_EQ(instance->restoreState(component), kResultOk);
        ASSERT_EQ(instance->restoreControllerState(controllerOwn), kResultOk);
    }

    // The host's handler and the page outlive the pair, whose controller lets go of them when it ends.
    vanto::test::RecordingComponentHandler host;
    std::vector<std::string> page;
    std::unique_ptr<vanto::host::PluginInstance> instance;
    IEditController* controller = nullptr;

  private:
    static void keepPageMessage(void* context, const char* bytes, std::size_t length) {
        static_cast<Session*>(context)->page.emplace_back(bytes, length);
    }

    int (*installSink)(FUnknown*, Callback, void*) = nullptr;
    int (*deliver)(FUnknown*, const char*, std::size_t) = nullptr;
};

// Sample-accurate automation of one block: the points a host's lanes hand the processor.
struct AutomationPoint {
    ParamID id;
    int32 offset;
    ParamValue value;
};
using Automation = std::vector<AutomationPoint> (*)(std::size_t blockIndex, int32 frames);

// Streams the input through the session's processor block by block, as a host's audio thread does:
// the edits the controller performed since the last block and the block's automation become its
// parameter changes. Every block must render; the output is returned whole.
vanto::StereoBuffer render(Session& session, const vanto::StereoBuffer& input,
                           Automation automation = nullptr) {
    vanto::host::ProcessBlock block({2}, {2}, kBlockFrames);
    vanto::StereoBuffer output(input.frames());
    std::size_t blockIndex = 0;
    for (std::size_t start = 0; start < input.frames(); start += kBlockFrames, ++blockIndex) {
        const int32 frames = static_cast<int32>(std::min<std::size_t>(kBlockFrames, input.frames() - start));
        block.clearQueues();
        for (const auto& [id, value] : session.host.performed) {
            EXPECT_TRUE(block.inputParameterChanges().add(id, 0, value));
        }
        session.host.performed.clear();
        if (automation != nullptr) {
            for (const AutomationPoint& point : automation(blockIndex, frames)) {
                EXPECT_TRUE(block.inputParameterChanges().add(point.id, point.offset, point.value));
            }
        }
        std::copy_n(input.left.begin() + start, frames, block.input(0, 0).begin());
        std::copy_n(input.right.begin() + start, frames, block.input(0, 1).begin());
        Steinberg::Vst::ProcessData& data = block.prepare(frames);
        data.processContext = nullptr;
        EXPECT_EQ(session.instance->process(data), kResultOk) << "block " << blockIndex;
        std::copy_n(block.output(0, 0).begin(), frames, output.left.begin() + start);
        std::copy_n(block.output(0, 1).begin(), frames, output.right.begin() + start);
    }
    return output;
}

void expectAudible(const vanto::StereoBuffer& audio) {
    double energy = 0;
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        ASSERT_TRUE(std::isfinite(audio.left[i]) && std::isfinite(audio.right[i])) << "frame " << i;
        energy += audio.left[i] * audio.left[i] + audio.right[i] * audio.right[i];
    }
    EXPECT_GT(energy, 1.0);
}

// Three lanes, each moving inside blocks rather than on their edges: the mix swept down, the glue
// ratio stepped and the output level nudged, ending on the values the host shows afterwards.
const ParamID kMix = idOf("mix.amount");
const ParamID kGlueRatio = idOf("glue.ratio");
const ParamID kOutputLevel = idOf("master.level");

// Offsets are fractions of the block, so the short last block carries its points too.
std::vector<AutomationPoint> automationLanes(std::size_t blockIndex, int32 frames) {
    const double sweep = 1.0 - 0.02 * static_cast<double>(blockIndex);
    return {{kMix, frames / 30, sweep},
            {kMix, frames * 3 / 5, sweep - 0.01},
            {kGlueRatio, frames / 4, blockIndex % 2 ? 0.25 : 0.75},
            {kOutputLevel, frames * 9 / 10, 0.4 + 0.01 * static_cast<double>(blockIndex % 3)}};
}

ParamValue lastAutomated(ParamID id, std::size_t frames) {
    const std::size_t lastBlock = (frames - 1) / kBlockFrames;
    const auto lastFrames = static_cast<int32>(frames - lastBlock * kBlockFrames);
    ParamValue last = -1;
    for (const AutomationPoint& point : automationLanes(lastBlock, lastFrames)) {
        if (point.id == id) {
            last = point.value;
        }
    }
    return last;
}

TEST(EndToEndScenario, SessionSavedAndReopenedComesBackAndSoundsTheSame) {
    ASSERT_NE(bundle(), nullptr);
    for (ParamID id : {kMix, kGlueRatio, kOutputLevel}) {
        ASSERT_LT(id, VANTO_PARAM_COUNT);
    }
    const vanto::StereoBuffer drums = vanto::makeDemoSignal(kSampleRate, kRenderSeconds);

    // 1. A project opens the plug-in at 44.1 kHz stereo.
    Session first;
    ASSERT_EQ(first.instance->start(kSampleRate, kBlockFrames), kResultOk);

    // 2. Automation plays along with the drums; the host mirrors each lane's final value in the
    // controller. At 44.1 kHz the converter reaches a block's late points only in the next block, so
    // the transport runs on for one more block before the processor's saved values show all lanes
    // arrived.
    expectAudible(render(first, drums, &automationLanes));
    for (ParamID id : {kMix, kGlueRatio, kOutputLevel}) {
        first.controller->setParamNormalized(id, lastAutomated(id, drums.frames()));
    }
    render(first, vanto::StereoBuffer(kBlockFrames));
    const vanto::StateChunk automated = decodedState(first.componentState());
    for (ParamID id : {kMix, kGlueRatio, kOutputLevel}) {
        EXPECT_EQ(automated.params[id],
                  vanto_param_to_plain(&VANTO_PARAMS[id], lastAutomated(id, drums.frames())))
            << VANTO_PARAMS[id].path;
    }

    // 3. The user picks "Vocal Sit" from the host's program list; the controller edits all 34
    // parameters towards the host, which hands them to the processor's next block.
    ASSERT_EQ(first.controller->setParamNormalized(kProgramChange, kVocalSit / 7.0), kResultOk);
    const vanto_factory_preset& vocalSit = VANTO_FACTORY_PRESETS[kVocalSit];
    ASSERT_STREQ(vocalSit.name, "Vocal Sit");
    EXPECT_EQ(first.normalizedValues(),
              std::vector<ParamValue>(vocalSit.values, vocalSit.values + VANTO_PARAM_COUNT));
    EXPECT_NE(std::find(first.host.restartFlags.begin(), first.host.restartFlags.end(),
                        Steinberg::Vst::kParamValuesChanged),
              first.host.restartFlags.end());
    EXPECT_GE(first.host.performed.size(), VANTO_PARAM_COUNT);
    render(first, drums);
    const vanto::StateChunk afterPreset = decodedState(first.componentState());
    for (ParamID id = 0; id < VANTO_PARAM_COUNT; ++id) {
        EXPECT_EQ(afterPreset.params[id], vanto_param_to_plain(&VANTO_PARAMS[id], vocalSit.values[id]))
            << VANTO_PARAMS[id].path;
    }

    // 4. The page binds two controllers, mutes the kick pad at half gain and turns the glue ratio.
    const std::string ccMapChanged =
        first.ask(R"({"type":"vanto.setCcMap","map":{"version":1,"bindings":[{"cc":74,"path":"glue.ratio"},)"
                  R"({"cc":7,"path":"master.level","channel":3,"curve":"exp"}]}})",
                  "vanto.ccMapChanged");
    EXPECT_EQ(vanto::test::parsedJson(ccMapChanged).find("map")->find("bindings")->array.size(), 2u)
        << ccMapChanged;
    const std::string padsSet = first.ask(
        R"({"type":"vanto.setPadOverrides","pads":{"kick":{"gain":0.5,"muted":1}}})", "vanto.bankState");
    EXPECT_NE(
        padsSet.find(R"("reason":"setPadOverrides","stateVersion":1,"pads":{"kick":{"gain":0.5,"muted":1}})"),
        std::string::npos)
        << padsSet;
    first.send(R"({"type":"vanto.setParam","path":"glue.ratio","value":6})");
    ASSERT_FALSE(first.host.performed.empty());
    EXPECT_EQ(first.host.performed.back().first, kGlueRatio);
    render(first, drums);

    // 5. The project is saved: both streams carry the map and the overrides, the component the values.
    const std::vector<char> savedComponent = first.componentState();
    const std::vector<char> savedController = first.controllerState();
    const vanto::StateChunk component = decodedState(savedComponent);
    EXPECT_EQ(component.params[kGlueRatio], 6.0);
    EXPECT_TRUE(component.hasCcMap);
    EXPECT_EQ(component.ccMap.count, 2u);
    EXPECT_TRUE(component.hasPadOverrides);
    const vanto::StateChunk controllerOwn = decodedState(savedController);
    EXPECT_TRUE(controllerOwn.hasCcMap);
    EXPECT_TRUE(controllerOwn.hasPadOverrides);
    const std::vector<ParamValue> savedValues = first.normalizedValues();
    const std::string savedDocument = first.ask(R"({"type":"vanto.getState"})", "vanto.state");
    const std::string savedBank = first.ask(R"({"type":"vanto.getBankState"})", "vanto.bankState");
    const std::string savedHello = first.ask(R"({"type":"vanto.ready"})", "vanto.hello");
    EXPECT_EQ(vanto::test::parsedJson(savedHello).find("presetState")->str("currentId"), "vocal-sit");
    // What the reopened pair is compared with must hold the map and the overrides.
    EXPECT_NE(savedDocument.find(R"("ccMap":{"version":1,"bindings":[{"cc":74,"path":"glue.ratio"})"),
              std::string::npos)
        << savedDocument;
    EXPECT_NE(savedDocument.find(R"("sampler":{"v":1,"pads":{"kick":{"gain":0.5,"muted":1}}})"),
              std::string::npos)
        << savedDocument;

    // 6. The project is reopened in a fresh pair.
    Session reopened;
    reopened.restore(savedComponent, savedController);
    const std::vector<ParamValue> restoredValues = reopened.normalizedValues();
    for (ParamID id = 0; id < VANTO_PARAM_COUNT; ++id) {
        EXPECT_EQ(restoredValues[id], savedValues[id]) << VANTO_PARAMS[id].path;
    }
    const vanto::StateChunk reopenedState = decodedState(reopened.componentState());
    ASSERT_TRUE(reopenedState.hasCcMap);
    ASSERT_EQ(reopenedState.ccMap.size(), 2u);
    EXPECT_EQ(reopenedState.ccMap.bindings[0].parameter, kGlueRatio);
    EXPECT_EQ(reopenedState.ccMap.bindings[1].parameter, kOutputLevel);
    EXPECT_EQ(reopenedState.ccMap.bindings[1].channel, 3);
    EXPECT_EQ(reopened.ask(R"({"type":"vanto.getState"})", "vanto.state"), savedDocument);
    EXPECT_EQ(reopened.ask(R"({"type":"vanto.getBankState"})", "vanto.bankState"), savedBank);
    const JsonValue reopenedHello =
        vanto::test::parsedJson(reopened.ask(R"({"type":"vanto.ready"})", "vanto.hello"));
    EXPECT_EQ(reopenedHello.find("ccMap")->find("bindings")->array.size(), 2u);
    const JsonValue* presetState = reopenedHello.find("presetState");
    ASSERT_NE(presetState, nullptr);
    // The controller's state carries the preset choice: the program and its dirty comparison return.
    EXPECT_EQ(presetState->str("currentId"), "vocal-sit");
    EXPECT_EQ(reopened.controller->getParamNormalized(kProgramChange),
              first.controller->getParamNormalized(kProgramChange));
    EXPECT_EQ(vanto::test::parsedJson(reopened.ask(R"({"type":"vanto.ready"})", "vanto.hello"))
                  .find("presetState")
                  ->find("dirty")
                  ->boolean,
              vanto::test::parsedJson(first.ask(R"({"type":"vanto.ready"})", "vanto.hello"))
                  .find("presetState")
                  ->find("dirty")
                  ->boolean);
    EXPECT_EQ(reopened.componentState(), savedComponent);
    EXPECT_EQ(reopened.controllerState(), savedController);

    // 7. Two more reopenings play the same drums and must agree to the bit; an instance left at its
    // defaults sounds different, so the restored values are what the audio is made of.
    Session left;
    Session right;
    Session untouched;
    left.restore(savedComponent, savedController);
    right.restore(savedComponent, savedController);
    for (Session* session : {&left, &right, &untouched}) {
        ASSERT_EQ(session->instance->start(kSampleRate, kBlockFrames), kResultOk);
    }
    const vanto::StereoBuffer leftAudio = render(left, drums);
    const vanto::StereoBuffer rightAudio = render(right, drums);
    expectAudible(leftAudio);
    EXPECT_EQ(leftAudio.left, rightAudio.left);
    EXPECT_EQ(leftAudio.right, rightAudio.right);
    const vanto::StereoBuffer defaultAudio = render(untouched, drums);
    EXPECT_NE(leftAudio.left, defaultAudio.left);
}

} // namespace
