// Everything one process call needs, owned in one place: 32-bit channel buffers for each audio bus,
// the bus buffer records, incoming and outgoing parameter changes and events, a process context, and
// the ProcessData that points at all of them. Sized once; blocks of up to maxFrames reuse it.
#pragma once

#include "event_list.h"
#include "parameter_changes.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <span>
#include <vector>

namespace vanto::host {

class ProcessBlock {
  public:
    // Channel counts per input bus and per output bus. Throws std::invalid_argument for a negative
    // count or a maxFrames below 1.
    ProcessBlock(std::vector<Steinberg::int32> inputBusChannels,
                 std::vector<Steinberg::int32> outputBusChannels, Steinberg::int32 maxFrames);
    ProcessBlock(const ProcessBlock&) = delete;
    ProcessBlock& operator=(const ProcessBlock&) = delete;

    Steinberg::int32 maxFrames() const { return frameCapacity; }

    // The first maxFrames samples of a channel; throws std::out_of_range for a bus or channel that
    // does not exist.
    std::span<float> input(Steinberg::int32 bus, Steinberg::int32 channel);
    std::span<float> output(Steinberg::int32 bus, Steinberg::int32 channel);

    ParameterChanges& inputParameterChanges() { return inChanges; }
    ParameterChanges& outputParameterChanges() { return outChanges; }
    EventList& inputEvents() { return inEvents; }
    EventList& outputEvents() { return outEvents; }
    Steinberg::Vst::ProcessContext& processContext() { return context; }

    // The ProcessData for a block of numSamples frames (0 for a flush call), pointing at this object's
    // buffers, queues and context, with every channel pointer restored and the silence flags cleared.
    // The caller may still change fields before processing. Throws std::invalid_argument when
    // numSamples is negative or above maxFrames.
    Steinberg::Vst::ProcessData& prepare(Steinberg::int32 numSamples,
                                         Steinberg::int32 processMode = Steinberg::Vst::kRealtime);
    Steinberg::Vst::ProcessData& data() { return processData; }

    // Empties the incoming and outgoing changes and events, ready for the next block's.
    void clearQueues();

  private:
    struct BusSet {
        std::vector<std::vector<float>> samples;   // per bus, channels one after another
        std::vector<std::vector<float*>> pointers; // per bus, one pointer per channel
        std::vector<Steinberg::Vst::AudioBusBuffers> buffers;
    };

    static BusSet makeBusSet(const std::vector<Steinberg::int32>& channels, Steinberg::int32 maxFrames);
    void restore(BusSet& set);
    std::span<float> channelOf(BusSet& set, Steinberg::int32 bus, Steinberg::int32 channel);

    Steinberg::int32 frameCapacity;
    BusSet inputs;
    BusSet outputs;
    ParameterChanges inChanges;
    ParameterChanges outChanges;
    EventList inEvents;
    EventList outEvents;
    Steinberg::Vst::ProcessContext context{};
    Steinberg::Vst::ProcessData processData;
};

} // namespace vanto::host
