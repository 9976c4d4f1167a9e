#include "processor/sidechain_bus.h"

#include "pluginterfaces/vst/vstspeaker.h"

namespace vanto {

using namespace Steinberg;
using namespace Steinberg::Vst;

bool acceptsBusArrangements(const SpeakerArrangement* inputs, int32 numIns, const SpeakerArrangement* outputs,
                            int32 numOuts) {
    if (inputs == nullptr || outputs == nullptr || numOuts != 1 || numIns < 1 || numIns > 2) {
        return false;
    }
    if (inputs[0] != SpeakerArr::kStereo || outputs[0] != SpeakerArr::kStereo) {
        return false;
    }
    return numIns == 1 || inputs[kSidechainBusIndex] == SpeakerArr::kStereo ||
           inputs[kSidechainBusIndex] == SpeakerArr::kMono;
}

SidechainBuffers sidechainBuffersOf(const ProcessData& data, bool busActive) {
    if (!busActive || data.inputs == nullptr || data.numInputs <= kSidechainBusIndex) {
        return {};
    }
    const AudioBusBuffers& bus = data.inputs[kSidechainBusIndex];
    if (bus.channelBuffers32 == nullptr || bus.numChannels < 1) {
        return {};
    }
    return {bus.channelBuffers32, bus.numChannels};
}

} // namespace vanto
