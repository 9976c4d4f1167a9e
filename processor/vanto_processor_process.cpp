// The audio thread's side of the processor: events in, one engine block, silence flags out.
#include "processor/vanto_processor.h"

#include "processor/sidechain_bus.h"

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

// The queue of one of the effect's parameters that has points, or null.
IParamValueQueue* effectQueue(IParameterChanges& changes, int32 index) {
    IParamValueQueue* queue = changes.getParameterData(index);
    if (queue == nullptr || queue->getParameterId() >= KernelEngine::kParamCount ||
        queue->getPointCount() <= 0) {
        return nullptr;
    }
    return queue;
}

// Which of `count` points is the `pick`-th of `picks` spread evenly over them, the last pick being the
// last point.
int32 spreadPoint(int32 pick, int32 picks, int32 count) {
    return static_cast<int32>((static_cast<int64>(pick + 1) * count + picks - 1) / picks) - 1;
}

} // namespace

// The engine's queue holds a fixed number of events. When a block brings more points than fit, each
// parameter gets an even share of the room that is left, its points thinned to that share evenly along
// the block and always including its newest point; a parameter left without any room gets its newest
// value at the end of the block. So every parameter ends the block at the host's last value.
void VantoProcessor::queueParameterChanges(IParameterChanges* changes) {
    if (changes == nullptr) {
        return;
    }
    const int32 queueCount = changes->getParameterCount();
    int32 queuesLeft = 0;
    for (int32 index = 0; index < queueCount; ++index) {
        queuesLeft += effectQueue(*changes, index) != nullptr ? 1 : 0;
    }
    int32 room = engine.eventQueueRoom();
    for (int32 index = 0; index < queueCount && queuesLeft > 0; ++index) {
        IParamValueQueue* queue = effectQueue(*changes, index);
        if (queue == nullptr) {
            continue;
        }
        room -= queuePoints(*queue, room / queuesLeft);
        --queuesLeft;
    }
}

int32 VantoProcessor::queuePoints(IParamValueQueue& queue, int32 share) {
    const ParamID id = queue.getParameterId();
    const int32 count = queue.getPointCount();
    int32 sampleOffset = 0;
    ParamValue value = 0;
    if (share < 1) {
        if (queue.getPoint(count - 1, sampleOffset, value) == kResultOk) {
            engine.deferParamNormalized(id, value);
        }
        return 0;
    }
    const int32 picks = std::min(count, share);
    int32 queued = 0;
    for (int32 pick = 0; pick < picks; ++pick) {
        if (queue.getPoint(spreadPoint(pick, picks, count), sampleOffset, value) == kResultOk &&
            engine.pushParamNormalized(id, value, sampleOffset)) {
            ++queued;
        }
    }
    return queued;
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
    midiCc.route(data.inputParameterChanges, data.outputParameterChanges, engine, data.numSamples <= 0);
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
    captureTransportFact(data.processContext, data.numSamples);
    const SidechainBuffers sidechain = sidechainBuffersOf(data, sidechainBusActive());
    engine.processBlock(in, inCount, sidechain.channels, sidechain.count, output.channelBuffers32,
                        output.numChannels, data.numSamples);
    output.silenceFlags = silenceFlags(output.channelBuffers32, output.numChannels, data.numSamples);
    return engine.callbackFailed() ? kResultFalse : kResultOk;
} catch (...) {
    // Nothing on this path throws; should it ever, the host still gets a refused block, and the audio
    // thread writes no log line.
    return kResultFalse;
}

} // namespace vanto
