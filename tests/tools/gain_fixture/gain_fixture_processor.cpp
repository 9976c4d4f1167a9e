#include "gain_fixture_processor.h"

#include "gain_fixture_ids.h"

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

namespace vanto::test {

using namespace Steinberg;
using namespace Steinberg::Vst;

GainFixtureProcessor::GainFixtureProcessor() {
    setControllerClass(kGainFixtureControllerUid);
}

FUnknown* GainFixtureProcessor::createInstance(void*) {
    return static_cast<IAudioProcessor*>(new GainFixtureProcessor);
}

tresult PLUGIN_API GainFixtureProcessor::initialize(FUnknown* context) {
    const tresult result = AudioEffect::initialize(context);
    if (result != kResultOk)
        return result;
    addAudioInput(u"Stereo In", SpeakerArr::kStereo);
    addAudioOutput(u"Stereo Out", SpeakerArr::kStereo);
    addEventInput(u"Event In", 1);
    return kResultOk;
}

tresult PLUGIN_API GainFixtureProcessor::setActive(TBool state) {
    if (state) {
        if (IPtr<IMessage> message = owned(allocateMessage())) {
            message->setMessageID(kActivatedMessage);
            message->getAttributes()->setFloat("sampleRate", processSetup.sampleRate);
            sendMessage(message);
        }
    }
    return AudioEffect::setActive(state);
}

void GainFixtureProcessor::takeParameterChanges(ProcessData& data) {
    if (data.inputParameterChanges == nullptr)
        return;
    for (int32 index = 0; index < data.inputParameterChanges->getParameterCount(); ++index) {
        IParamValueQueue* queue = data.inputParameterChanges->getParameterData(index);
        int32 echoIndex = 0;
        IParamValueQueue* echo =
            data.outputParameterChanges != nullptr
                ? data.outputParameterChanges->addParameterData(queue->getParameterId(), echoIndex)
                : nullptr;
        for (int32 point = 0; point < queue->getPointCount(); ++point) {
            int32 offset = 0;
            ParamValue value = 0;
            if (queue->getPoint(point, offset, value) != kResultOk)
                continue;
            if (queue->getParameterId() == kGainParam)
                gain = static_cast<float>(value);
            if (echo != nullptr)
                echo->addPoint(offset, value, echoIndex);
        }
    }
}

void GainFixtureProcessor::echoEvents(ProcessData& data) {
    if (data.inputEvents == nullptr || data.outputEvents == nullptr)
        return;
    for (int32 index = 0; index < data.inputEvents->getEventCount(); ++index) {
        Event event{};
        if (data.inputEvents->getEvent(index, event) == kResultOk)
            data.outputEvents->addEvent(event);
    }
}

tresult PLUGIN_API GainFixtureProcessor::process(ProcessData& data) {
    takeParameterChanges(data);
    echoEvents(data);
    if (data.numSamples <= 0)
        return kResultOk;
    if (data.numInputs < 1 || data.numOutputs < 1)
        return kResultFalse;
    const AudioBusBuffers& in = data.inputs[0];
    AudioBusBuffers& out = data.outputs[0];
    for (int32 channel = 0; channel < out.numChannels && channel < in.numChannels; ++channel)
        for (int32 frame = 0; frame < data.numSamples; ++frame)
            out.channelBuffers32[channel][frame] = in.channelBuffers32[channel][frame] * gain;
    return kResultOk;
}

tresult PLUGIN_API GainFixtureProcessor::getState(IBStream* state) {
    if (state == nullptr)
        return kResultFalse;
    int32 written = 0;
    return state->write(&gain, sizeof gain, &written) == kResultOk && written == sizeof gain ? kResultOk
                                                                                             : kResultFalse;
}

tresult PLUGIN_API GainFixtureProcessor::setState(IBStream* state) {
    float restored = 0;
    int32 read = 0;
    if (state == nullptr || state->read(&restored, sizeof restored, &read) != kResultOk ||
        read != sizeof restored)
        return kResultFalse;
    gain = restored;
    return kResultOk;
}

} // namespace vanto::test
