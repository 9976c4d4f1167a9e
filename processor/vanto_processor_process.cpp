// The audio thread's side of the processor: events in, one engine block, silence flags out.
#include "processor/vanto_processor.h"

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <algorithm>

namespace vanto {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// Silence flags have one bit per channel, and the last bit of the 64 is never used.
constexpr int32 kMaxFlaggedChannels = 63;

bool isSilent(const float* channel, int32 frames) {
    return channel == nullptr ||
           std::all_of(channel, channel + frames, [](float sample) { return sample == 0.0f; });
}

uint64 silenceFlags(float* const* channels, int32 channelCount, int32 frames) {
    uint64 flags = 0;
    const int32 flagged = std::min(channelCount, kMaxFlaggedChannels);
    for (int32 channel = 0; channel < flagged; ++channel) {
        if (isSilent(channels[channel], frames)) {
            flags |= uint64{1} << channel;
        }
    }
    return flags;
}

} // namespace

void VantoProcessor::queueParameterChanges(IParameterChanges* changes) {
    if (changes == nullptr) {
        return;
    }
    const int32 queueCount = changes->getParameterCount();
    for (int32 queueIndex = 0; queueIndex < queueCount; ++queueIndex) {
        IParamValueQueue* queue = changes->getParameterData(queueIndex);
        if (queue == nullptr) {
            continue;
        }
        const ParamID id = queue->getParameterId();
        if (id >= KernelEngine::kParamCount) {
            continue; // not one of the effect's parameters
        }
        const int32 pointCount = queue->getPointCount();
        for (int32 point = 0; point < pointCount; ++point) {
            int32 sampleOffset = 0;
            ParamValue value = 0;
            // A point the full queue refuses is dropped; the host sends the next one soon enough.
            if (queue->getPoint(point, sampleOffset, value) == kResultOk) {
                engine.pushParamNormalized(id, value, sampleOffset);
            }
        }
    }
}

void VantoProcessor::queueNoteEvents(IEventList* events) {
    if (events == nullptr) {
        return;
    }
    const int32 eventCount = events->getEventCount();
    for (int32 index = 0; index < eventCount; ++index) {
        Event event{};
        if (events->getEvent(index, event) != kResultOk) {
            continue;
        }
        const uint32_t route = engine.eventRouteForInput(std::max<int32>(event.busIndex, 0));
        if (event.type == Event::kNoteOnEvent) {
            const NoteOnEvent& note = event.noteOn;
            const auto channel = static_cast<uint32_t>(std::max<int16>(note.channel, 0));
            if (note.velocity > 0) {
                engine.pushNoteOn(note.pitch, note.velocity, event.sampleOffset, route, channel);
            } else {
                engine.pushNoteOff(note.pitch, event.sampleOffset, route, channel);
            }
        } else if (event.type == Event::kNoteOffEvent) {
            const auto channel = static_cast<uint32_t>(std::max<int16>(event.noteOff.channel, 0));
            engine.pushNoteOff(event.noteOff.pitch, event.sampleOffset, route, channel);
        }
    }
}

tresult PLUGIN_API VantoProcessor::process(ProcessData& data) try {
    if (data.symbolicSampleSize != kSample32) {
        return kResultFalse;
    }
    queueParameterChanges(data.inputParameterChanges);
    queueNoteEvents(data.inputEvents);
    if (data.numSamples <= 0) {
        // A flush moves the changes into the engine's values at once; queued again, they also reach
        // the kernel at their offsets within the next block with audio.
        engine.processBlock(nullptr, 0, nullptr, 0, 0);
        queueParameterChanges(data.inputParameterChanges);
        return kResultOk;
    }
    if (data.numOutputs < 1 || data.outputs == nullptr) {
        return kResultFalse;
    }
    AudioBusBuffers& output = data.outputs[0];
    const float* const* in = nullptr;
    int32 inCount = 0;
    if (data.numInputs >= 1 && data.inputs != nullptr) {
        in = data.inputs[0].channelBuffers32;
        inCount = data.inputs[0].numChannels;
    }
    if (output.channelBuffers32 == nullptr || output.numChannels < 1) {
        return kResultFalse;
    }
    engine.processBlock(in, inCount, output.channelBuffers32, output.numChannels, data.numSamples);
    output.silenceFlags = silenceFlags(output.channelBuffers32, output.numChannels, data.numSamples);
    return engine.callbackFailed() ? kResultFalse : kResultOk;
} catch (...) {
    // Nothing on this path throws; should it ever, the host still gets a refused block, and the audio
    // thread writes no log line.
    return kResultFalse;
}

} // namespace vanto
