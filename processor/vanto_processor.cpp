#include "processor/vanto_processor.h"

#include "ccmap/midi_cc_parameter_ids.h"
#include "class_ids.h"
#include "diagnostics/runtime_health_json.h"
#include "processor/processor_message_ids.h"
#include "processor/sidechain_bus.h"
#include "sdk/host_call_failure.h"

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <cstring>
#include <new>
#include <string>

namespace vanto {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr const char* kPluginId = "music.vanto.dovrel";
constexpr const char* kPluginVersion = "0.0.0";

uint32_t hostProcessMode(int32 processMode) {
    switch (processMode) {
    case kOffline:
        return kHostProcessOffline;
    case kPrefetch:
        return kHostProcessPrefetch;
    default:
        return kHostProcessRealtime;
    }
}

const char* layoutName(SpeakerArrangement arrangement) {
    if (arrangement == SpeakerArr::kStereo) {
        return "stereo";
    }
    return arrangement == SpeakerArr::kMono ? "mono" : nullptr;
}

void addAudioBuses(HostFacts& facts, BusList& buses, const char* prefix, bool isInput) {
    for (std::size_t index = 0; index < buses.size(); ++index) {
        const auto* bus = FCast<AudioBus>(buses[index].get());
        if (bus == nullptr) {
            continue;
        }
        const std::string id = prefix + std::to_string(index);
        facts.addBus(id.c_str(), isInput, SpeakerArr::getChannelCount(bus->getArrangement()), bus->isActive(),
                     layoutName(bus->getArrangement()));
    }
}

template <std::size_t Size> void copyText(char (&field)[Size], const char (&from)[Size]) {
    std::memcpy(field, from, Size - 1);
    field[Size - 1] = '\0';
}

} // namespace

VantoProcessor::VantoProcessor() {
    setControllerClass(kControllerUid);
}

VantoProcessor::~VantoProcessor() = default;

FUnknown* VantoProcessor::createInstance(void* /*context*/) try {
    return static_cast<IAudioProcessor*>(new (std::nothrow) VantoProcessor);
} catch (...) {
    hostCallFailed("VantoProcessor::createInstance");
    return nullptr;
}

tresult PLUGIN_API VantoProcessor::initialize(FUnknown* context) try {
    const tresult result = Component::initialize(context);
    if (result != kResultOk) {
        return result;
    }
    addAudioInput(STR16("Stereo In"), SpeakerArr::kStereo);
    addAudioInput(STR16("Sidechain"), SpeakerArr::kStereo, kAux, 0);
    addAudioOutput(STR16("Stereo Out"), SpeakerArr::kStereo);
    addEventInput(STR16("MIDI In"), kMidiCcChannels);
    for (int output = 0; output < engine.eventOutputCount(); ++output) {
        addEventOutput(STR16("Event Out"), 1);
    }
    return kResultOk;
} catch (...) {
    return hostCallFailed("initialize");
}

bool VantoProcessor::setUpEngine(double sampleRate, int32 maxBlockFrames) {
    if (engine.setup(sampleRate, maxBlockFrames)) {
        return true;
    }
    // The controller shows the reason. A configuration the engine accepted without finding a kernel
    // instance (every one in the process is taken) is still accepted: the track then plays dry
    // instead of the host refusing it or it going silent.
    sendRuntimeDiagnostics(true);
    return engine.passingThrough();
}

tresult PLUGIN_API VantoProcessor::setActive(TBool state) try {
    if (state && !setUpEngine(processSetup.sampleRate, processSetup.maxSamplesPerBlock)) {
        return kResultFalse;
    }
    // Away from 48 kHz the rate adapter may still hold the host's last changes for the next block.
    // Nothing processes now, so they become the stored values a state saved meanwhile carries.
    if (!state) {
        engine.flushParameterEvents();
    }
    const tresult result = Component::setActive(state);
    if (result != kResultOk) {
        return result;
    }
    restartTransportCapture();
    refreshHostFacts();
    return kResultOk;
} catch (...) {
    return hostCallFailed("setActive");
}

tresult PLUGIN_API VantoProcessor::setupProcessing(ProcessSetup& setup) try {
    const tresult result = AudioEffect::setupProcessing(setup);
    if (result != kResultOk) {
        return result;
    }
    if (!setUpEngine(setup.sampleRate, setup.maxSamplesPerBlock)) {
        return kResultFalse;
    }
    refreshHostFacts();
    return kResultOk;
} catch (...) {
    return hostCallFailed("setupProcessing");
}

tresult PLUGIN_API VantoProcessor::canProcessSampleSize(int32 symbolicSampleSize) {
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API VantoProcessor::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                      SpeakerArrangement* outputs, int32 numOuts) try {
    if (!acceptsBusArrangements(inputs, numIns, outputs, numOuts)) {
        return kResultFalse;
    }
    const tresult result = AudioEffect::setBusArrangements(inputs, numIns, outputs, numOuts);
    if (result != kResultOk) {
        return result;
    }
    refreshHostFacts();
    return kResultOk;
} catch (...) {
    return hostCallFailed("setBusArrangements");
}

uint32 PLUGIN_API VantoProcessor::getLatencySamples() {
    return static_cast<uint32>(engine.latencySamples());
}

bool VantoProcessor::sidechainBusActive() {
    Bus* bus = getAudioInput(kSidechainBusIndex);
    return bus != nullptr && bus->isActive();
}

void VantoProcessor::captureHostFacts(HostFacts& facts) const {
    facts.sampleRate = processSetup.sampleRate;
    facts.maxBlockFrames = processSetup.maxSamplesPerBlock;
    facts.processMode = hostProcessMode(processSetup.processMode);
    facts.sampleSize = processSetup.symbolicSampleSize == kSample64 ? 64 : 32;
    facts.latencySamples = engine.latencySamples();
    facts.tailKind = kHostTailUnreported;
    facts.tailSamples = 0;
    facts.internalSampleRate = KernelEngine::kKernelSampleRate;
    // The SDK keeps its bus lists non-const; reading them changes nothing.
    auto& self = const_cast<VantoProcessor&>(*this);
    addAudioBuses(facts, self.audioInputs, "in", true);
    addAudioBuses(facts, self.audioOutputs, "out", false);
}

void VantoProcessor::refreshHostFacts() {
    HostFacts facts;
    copyText(facts.hostName, hostFacts.hostName);
    copyText(facts.hostVersion, hostFacts.hostVersion);
    facts.validatorHost = hostFacts.validatorHost;
    captureHostFacts(facts);
    hostFacts = facts;
    sendBinaryMessage(kMessageHostFacts, &hostFacts, sizeof hostFacts);
}

void VantoProcessor::sendRuntimeDiagnostics(bool failed) {
    engine.drainRuntimeDiagnostics();
    const vanto_runtime_diagnostic_ring ring = engine.diagnostics();
    const std::string report = writeRuntimeHealthJson(ring, kPluginId, kPluginVersion, engine.hostRate(),
                                                      engine.maxBlockFrames(), failed);
    sendBinaryMessage(kMessageRuntimeDiagnostics, report.data(), report.size());
}

void VantoProcessor::sendBinaryMessage(const char* id, const void* bytes, std::size_t size) {
    IPtr<IMessage> message = owned(allocateMessage());
    if (!message) {
        return;
    }
    message->setMessageID(id);
    IAttributeList* attributes = message->getAttributes();
    if (attributes == nullptr) {
        return;
    }
    attributes->setBinary(kMessagePayloadAttribute, bytes, static_cast<uint32>(size));
    sendMessage(message);
}

} // namespace vanto
