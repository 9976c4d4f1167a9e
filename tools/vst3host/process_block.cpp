#include "process_block.h"

#include <stdexcept>

namespace vanto::host {

using namespace Steinberg;
using namespace Steinberg::Vst;

ProcessBlock::BusSet ProcessBlock::makeBusSet(const std::vector<int32>& channels, int32 maxFrames) {
    BusSet set;
    for (const int32 count : channels) {
        if (count < 0)
            throw std::invalid_argument("negative channel count");
        set.samples.emplace_back(static_cast<size_t>(count) * static_cast<size_t>(maxFrames), 0.0f);
        set.pointers.emplace_back(static_cast<size_t>(count), nullptr);
        AudioBusBuffers buffers;
        buffers.numChannels = count;
        set.buffers.push_back(buffers);
    }
    return set;
}

ProcessBlock::ProcessBlock(std::vector<int32> inputBusChannels, std::vector<int32> outputBusChannels,
                           int32 maxFrames)
    : frameCapacity(maxFrames) {
    if (maxFrames < 1)
        throw std::invalid_argument("a process block needs room for at least one frame");
    inputs = makeBusSet(inputBusChannels, maxFrames);
    outputs = makeBusSet(outputBusChannels, maxFrames);
    prepare(0);
}

// Points every channel back at its own storage; a previous caller may have redirected or nulled one.
void ProcessBlock::restore(BusSet& set) {
    for (size_t bus = 0; bus < set.buffers.size(); ++bus) {
        for (size_t channel = 0; channel < set.pointers[bus].size(); ++channel)
            set.pointers[bus][channel] =
                set.samples[bus].data() + channel * static_cast<size_t>(frameCapacity);
        set.buffers[bus].numChannels = static_cast<int32>(set.pointers[bus].size());
        set.buffers[bus].silenceFlags = 0;
        set.buffers[bus].channelBuffers32 = set.pointers[bus].data();
    }
}

std::span<float> ProcessBlock::channelOf(BusSet& set, int32 bus, int32 channel) {
    if (bus < 0 || bus >= static_cast<int32>(set.buffers.size()) || channel < 0 ||
        channel >= static_cast<int32>(set.pointers[static_cast<size_t>(bus)].size()))
        throw std::out_of_range("no such bus channel");
    float* first = set.samples[static_cast<size_t>(bus)].data() +
                   static_cast<size_t>(channel) * static_cast<size_t>(frameCapacity);
    return {first, static_cast<size_t>(frameCapacity)};
}

std::span<float> ProcessBlock::input(int32 bus, int32 channel) {
    return channelOf(inputs, bus, channel);
}
std::span<float> ProcessBlock::output(int32 bus, int32 channel) {
    return channelOf(outputs, bus, channel);
}

ProcessData& ProcessBlock::prepare(int32 numSamples, int32 processMode) {
    if (numSamples < 0 || numSamples > frameCapacity)
        throw std::invalid_argument("block size outside 0 to maxFrames");
    restore(inputs);
    restore(outputs);
    processData.processMode = processMode;
    processData.symbolicSampleSize = kSample32;
    processData.numSamples = numSamples;
    processData.numInputs = static_cast<int32>(inputs.buffers.size());
    processData.numOutputs = static_cast<int32>(outputs.buffers.size());
    processData.inputs = inputs.buffers.empty() ? nullptr : inputs.buffers.data();
    processData.outputs = outputs.buffers.empty() ? nullptr : outputs.buffers.data();
    processData.inputParameterChanges = &inChanges;
    processData.outputParameterChanges = &outChanges;
    processData.inputEvents = &inEvents;
    processData.outputEvents = &outEvents;
    processData.processContext = &context;
    return processData;
}

void ProcessBlock::clearQueues() {
    inChanges.clear();
    outChanges.clear();
    inEvents.clear();
    outEvents.clear();
}

} // namespace vanto::host
