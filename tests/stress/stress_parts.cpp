// The lone parts scenario: a processor whose host never made its controller, a controller without a
// processor, messages with missing or wrong attributes to both, and every controller query with
// hostile arguments.
#include "stress/stress_plugin.h"
#include "stress/stress_scenarios.h"

#include "host_application.h"
#include "process_block.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "public.sdk/source/common/memorystream.h"

#include <cmath>

namespace vanto::stress {

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr ParamID kProgramChange = 0x3F010001;

const char* const kMessageIds[] = {"vanto.runtimeDiagnostics",
                                   "vanto.diag.hostFacts",
                                   "vanto.runtimeBankResult",
                                   "vanto.diag.lifecycle",
                                   "vanto.diag.transport",
                                   "vanto.diag.signal",
                                   "vanto.ccMap",
                                   "vanto.loadRuntimeBank",
                                   "vanto.padOverrides",
                                   "vanto.diag.presetLoaded",
                                   "vanto.diag.transportPoll",
                                   "vanto.diag.feedDrain",
                                   "vanto.diag.resetCounters",
                                   "vanto.stageResourceSlot",
                                   "TextMessage"};

// A message whose attribute list the host failed to make.
class MessageWithoutAttributes final : public IMessage {
  public:
    explicit MessageWithoutAttributes(const char* id) : id(id) {}
    virtual ~MessageWithoutAttributes() = default;
    FIDString PLUGIN_API getMessageID() override { return id; }
    void PLUGIN_API setMessageID(FIDString) override {}
    IAttributeList* PLUGIN_API getAttributes() override { return nullptr; }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

  private:
    const char* id;
};

template <typename Interface> IPtr<Interface> makePart(host::Module& module, std::string_view category) {
    const auto description = module.findClass(category);
    void* object = nullptr;
    if (!description ||
        module.factory()->createInstance(reinterpret_cast<const char*>(description->cid.data()),
                                         Interface::iid, &object) != kResultOk) {
        return nullptr;
    }
    return owned(static_cast<Interface*>(object));
}

// A message with one of the ids either side knows, or a random one, and an attribute of the wrong kind,
// size or content, or none at all.
void sendHostileMessage(Random& random, Steinberg::Vst::HostApplication& host, IConnectionPoint& receiver) {
    const std::string randomId = random.text(12);
    const char* id = random.chance(0.9)
                         ? kMessageIds[random.integer(0, static_cast<int>(std::size(kMessageIds)) - 1)]
                         : randomId.c_str();
    if (random.chance(0.15)) {
        MessageWithoutAttributes bare(id);
        receiver.notify(&bare);
        return;
    }
    void* object = nullptr;
    TUID iid;
    IMessage::iid.toTUID(iid);
    if (host.createInstance(iid, iid, &object) != kResultOk || object == nullptr) {
        return;
    }
    IPtr<IMessage> message = owned(static_cast<IMessage*>(object));
    message->setMessageID(id);
    IAttributeList* attributes = message->getAttributes();
    if (attributes != nullptr) {
        std::string bytes = random.text(random.chance(0.2) ? 2000 : 64);
        // The raw records' exact sizes, filled with garbage.
        if (random.chance(0.2)) {
            bytes.resize(random.chance(0.5) ? 1312 : 88, static_cast<char>(random.integer(0, 255)));
        }
        switch (random.integer(0, 4)) {
        case 0:
            attributes->setInt("json", random.bits());
            break;
        case 1:
            attributes->setFloat("json", random.hostileNormalized());
            break;
        case 2:
            attributes->setString("json", STR16("text"));
            break;
        case 3:
            attributes->setInt("reset", static_cast<int64>(random.bits()) - (1LL << 31));
            break;
        default:
            attributes->setBinary("json", bytes.data(), static_cast<uint32>(bytes.size()));
            break;
        }
    }
    receiver.notify(message);
}

ParamID hostileParameterId(Random& random) {
    switch (random.integer(0, 5)) {
    case 0:
        return kProgramChange;
    case 1:
        return static_cast<ParamID>(random.bits());
    case 2:
        return 34;
    default:
        return static_cast<ParamID>(random.integer(0, 33));
    }
}

int32 hostileIndex(Random& random) {
    static const int32 kIndices[] = {-1, 0, 1, 7, 8, 34, 35, 1 << 30, INT32_MIN, INT32_MAX};
    return kIndices[random.integer(0, static_cast<int>(std::size(kIndices)) - 1)];
}

void askHostileQueries(Random& random, IEditController& controller, const Checks& check) {
    ParameterInfo info{};
    controller.getParameterInfo(hostileIndex(random), info);
    const ParamID id = hostileParameterId(random);
    String128 text{};
    controller.getParamStringByValue(id, random.hostileNormalized(), text);
    std::u16string typed = random.utf16Text(40);
    ParamValue value = 0;
    if (controller.getParamValueByString(id, reinterpret_cast<TChar*>(typed.data()), value) == kResultOk) {
        check(value >= 0.0 && value <= 1.0, "a value read from a text lies in [0, 1]");
    }
    check(!std::isnan(controller.normalizedParamToPlain(id, random.hostileNormalized())),
          "a plain value is a number");
    const ParamValue normalized = controller.plainParamToNormalized(id, random.uniform(-1e6, 1e6));
    check(normalized >= 0.0 && normalized <= 1.0, "a normalized value lies in [0, 1]");
    if (id != kProgramChange || random.chance(0.1)) {
        controller.setParamNormalized(id, random.hostileNormalized());
    }
    for (ParamID each = 0; each < 34; ++each) {
        const ParamValue stored = controller.getParamNormalized(each);
        if (!check(stored >= 0.0 && stored <= 1.0, "every stored value lies in [0, 1]")) {
            break;
        }
    }
    if (FUnknownPtr<IUnitInfo> units(&controller); units) {
        UnitInfo unit{};
        ProgramListInfo list{};
        units->getUnitInfo(hostileIndex(random), unit);
        units->getProgramListInfo(hostileIndex(random), list);
        units->getProgramName(random.chance(0.5) ? kProgramChange : random.bits(), hostileIndex(random),
                              text);
        units->getProgramInfo(kProgramChange, hostileIndex(random), "key", text);
        units->getProgramPitchName(kProgramChange, hostileIndex(random), static_cast<int16>(random.bits()),
                                   text);
        units->hasProgramPitchNames(kProgramChange, hostileIndex(random));
    }
    if (FUnknownPtr<IMidiMapping> mapping(&controller); mapping) {
        ParamID mapped = 0;
        mapping->getMidiControllerAssignment(hostileIndex(random), static_cast<int16>(random.bits()),
                                             static_cast<CtrlNumber>(random.bits()), mapped);
    }
    const std::string state = random.text(200);
    auto stream = owned(new MemoryStream(const_cast<char*>(state.data()), static_cast<TSize>(state.size())));
    controller.setComponentState(stream);
    auto again = owned(new MemoryStream(const_cast<char*>(state.data()), static_cast<TSize>(state.size())));
    controller.setState(again);
    if (IPlugView* view = controller.createView(random.chance(0.5) ? "editor" : "other")) {
        view->release();
    }
}

void loneProcessor(const Scenario& scenario, Random& random, const Checks& check) {
    host::HostApplication host;
    IPtr<IComponent> component = makePart<IComponent>(*scenario.module, kVstAudioEffectClass);
    if (!check(component != nullptr, "the factory makes a processor") ||
        !check(component->initialize(&host) == kResultOk, "a processor without a controller initialises")) {
        return;
    }
    FUnknownPtr<IAudioProcessor> processor(component);
    FUnknownPtr<IConnectionPoint> connection(component);
    const int32 maxBlock = random.blockSize(2048);
    ProcessSetup setup{kRealtime, kSample32, maxBlock, random.sampleRate()};
    check(processor->setupProcessing(setup) == kResultOk, "a processor without a controller is set up");
    check(component->setActive(true) == kResultOk, "a processor without a controller activates");
    host::ProcessBlock block({2}, {2}, maxBlock);
    for (int i = 0; i < 8; ++i) {
        const int32 frames = random.integer(0, maxBlock);
        check(processor->process(block.prepare(frames)) == kResultOk,
              "a processor without a controller renders");
        check(cleanAudio(block.output(0, 0).data(), frames), "its output is finite and normal");
        sendHostileMessage(random, host, *connection);
    }
    auto saved = owned(new MemoryStream);
    check(component->getState(saved) == kResultOk, "a processor without a controller saves its state");
    saved->seek(0, IBStream::kIBSeekSet, nullptr);
    check(component->setState(saved) == kResultOk, "a processor without a controller restores its state");
    component->setActive(false);
    component->terminate();
}

void loneController(const Scenario& scenario, Random& random, const Checks& check) {
    host::HostApplication host;
    IPtr<IEditController> controller =
        makePart<IEditController>(*scenario.module, kVstComponentControllerClass);
    if (!check(controller != nullptr, "the factory makes a controller") ||
        !check(controller->initialize(&host) == kResultOk, "a controller without a processor initialises")) {
        return;
    }
    FUnknownPtr<IConnectionPoint> connection(controller);
    for (int i = 0; i < 40; ++i) {
        askHostileQueries(random, *controller, check);
        sendHostileMessage(random, host, *connection);
    }
    controller->terminate();
}

void connectedPair(const Scenario& scenario, Random& random, const Checks& check) {
    auto instance = makeInstance(scenario.module, check);
    if (!instance) {
        return;
    }
    FUnknownPtr<IConnectionPoint> processorSide(instance->component());
    FUnknownPtr<IConnectionPoint> controllerSide(instance->controller());
    for (int i = 0; i < 40; ++i) {
        sendHostileMessage(random, instance->hostApplication(),
                           random.chance(0.5) ? *processorSide : *controllerSide);
        askHostileQueries(random, *instance->controller(), check);
    }
    checkStatesRoundTrip(*instance, random, check);
}

} // namespace

void lonePartsScenario(const Scenario& scenario, int rounds) {
    const Checks check{scenario.report, "lone parts", scenario.seed};
    Random random(scenario.seed);
    for (int round = 0; round < rounds; ++round) {
        loneProcessor(scenario, random, check);
        loneController(scenario, random, check);
        connectedPair(scenario, random, check);
    }
}

} // namespace vanto::stress
