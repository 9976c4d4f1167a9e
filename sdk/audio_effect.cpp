#include "audio_effect.h"

namespace vanto {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

template <typename BusClass> BusClass* busAt(BusList& buses, int32 index) {
    if (index < 0 || index >= static_cast<int32>(buses.size()))
        return nullptr;
    return FCast<BusClass>(buses[static_cast<size_t>(index)].get());
}

// Every audio bus of the list gets its arrangement from the array; callers check the sizes first.
void applyArrangements(BusList& buses, const SpeakerArrangement* arrangements, int32 count) {
    for (int32 index = 0; index < count; ++index)
        if (auto* bus = busAt<AudioBus>(buses, index))
            bus->setArrangement(arrangements[index]);
}

bool fitsBusList(const SpeakerArrangement* arrangements, int32 count, const BusList& buses) {
    if (count < 0 || count > static_cast<int32>(buses.size()))
        return false;
    return count == 0 || arrangements != nullptr;
}

} // namespace

AudioEffect::AudioEffect() {
    processSetup.processMode = kRealtime;
    processSetup.symbolicSampleSize = kSample32;
    processSetup.maxSamplesPerBlock = 1024;
    processSetup.sampleRate = 44100.0;
}

AudioBus* AudioEffect::addAudioInput(const TChar* name, SpeakerArrangement arrangement, BusType busType,
                                     int32 flags) {
    auto* bus = new AudioBus(name, busType, flags, arrangement);
    audioInputs.push_back(IPtr<Bus>(bus, false));
    return bus;
}

AudioBus* AudioEffect::addAudioOutput(const TChar* name, SpeakerArrangement arrangement, BusType busType,
                                      int32 flags) {
    auto* bus = new AudioBus(name, busType, flags, arrangement);
    audioOutputs.push_back(IPtr<Bus>(bus, false));
    return bus;
}

EventBus* AudioEffect::addEventInput(const TChar* name, int32 channels, BusType busType, int32 flags) {
    auto* bus = new EventBus(name, busType, flags, channels);
    eventInputs.push_back(IPtr<Bus>(bus, false));
    return bus;
}

EventBus* AudioEffect::addEventOutput(const TChar* name, int32 channels, BusType busType, int32 flags) {
    auto* bus = new EventBus(name, busType, flags, channels);
    eventOutputs.push_back(IPtr<Bus>(bus, false));
    return bus;
}

AudioBus* AudioEffect::getAudioInput(int32 index) {
    return busAt<AudioBus>(audioInputs, index);
}
AudioBus* AudioEffect::getAudioOutput(int32 index) {
    return busAt<AudioBus>(audioOutputs, index);
}
EventBus* AudioEffect::getEventInput(int32 index) {
    return busAt<EventBus>(eventInputs, index);
}
EventBus* AudioEffect::getEventOutput(int32 index) {
    return busAt<EventBus>(eventOutputs, index);
}

tresult PLUGIN_API AudioEffect::getControllerClassId(TUID classId) {
    if (classId == nullptr)
        return kInvalidArgument;
    return Component::getControllerClassId(classId);
}

tresult PLUGIN_API AudioEffect::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts) {
    if (numIns < 0 || numOuts < 0)
        return kInvalidArgument;
    if (!fitsBusList(inputs, numIns, audioInputs) || !fitsBusList(outputs, numOuts, audioOutputs))
        return kResultFalse;
    applyArrangements(audioInputs, inputs, numIns);
    applyArrangements(audioOutputs, outputs, numOuts);
    return kResultTrue;
}

tresult PLUGIN_API AudioEffect::getBusArrangement(BusDirection dir, int32 index,
                                                  SpeakerArrangement& arrangement) {
    const AudioBus* bus = dir == kInput ? getAudioInput(index) : getAudioOutput(index);
    if (bus == nullptr)
        return kInvalidArgument;
    arrangement = bus->getArrangement();
    return kResultTrue;
}

tresult PLUGIN_API AudioEffect::canProcessSampleSize(int32 symbolicSampleSize) {
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API AudioEffect::getLatencySamples() {
    return 0;
}

tresult PLUGIN_API AudioEffect::setupProcessing(ProcessSetup& setup) {
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue)
        return kResultFalse;
    processSetup = setup;
    return kResultOk;
}

tresult PLUGIN_API AudioEffect::setProcessing(TBool /*state*/) {
    return kResultOk;
}

uint32 PLUGIN_API AudioEffect::getTailSamples() {
    return kNoTail;
}

uint32 PLUGIN_API AudioEffect::getProcessContextRequirements() {
    return 0;
}

} // namespace vanto
