// The processor's external side-chain: a second, stereo audio input of kind aux named "Sidechain",
// inactive until the host activates it, and the bus arrangements the processor accepts with it.
#pragma once

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/vsttypes.h"

namespace vanto {

inline constexpr Steinberg::int32 kSidechainBusIndex = 1;

// Stereo main input and output, with or without a mono or stereo side-chain after the main input.
bool acceptsBusArrangements(const Steinberg::Vst::SpeakerArrangement* inputs, Steinberg::int32 numIns,
                            const Steinberg::Vst::SpeakerArrangement* outputs, Steinberg::int32 numOuts);

// The side-chain channels of one process call; none when the bus is inactive, missing from the call
// or delivered without buffers.
struct SidechainBuffers {
    const float* const* channels = nullptr;
    Steinberg::int32 count = 0;
};
SidechainBuffers sidechainBuffersOf(const Steinberg::Vst::ProcessData& data, bool busActive);

} // namespace vanto
