// The effect's per-sample signal path over one sub-block of a 128-frame block record.
#pragma once

#include "kernel_state.h"

namespace vanto {

struct KernelBlock {
    double capacity;    // channel stride of both regions
    double length;      // frames of this sub-block
    double offset;      // first frame of this sub-block
    const float* input; // planar stereo input region
    double inputLength; // samples in the input region
    double inputChannels;
    float* output;       // planar stereo output region
    double outputLength; // samples in the output region
    double outputChannels;
    // Planar stereo external side-chain region laid out like the input, or null when none is attached.
    const float* sidechain = nullptr;
    double sidechainLength = 0; // samples in the side-chain region
};

// Renders frames [offset, offset + length) of each channel; false, touching nothing, for an invalid
// block or an unprepared state.
bool processBlock(KernelState& state, const KernelBlock& block);
// Clears all filter, follower and timing memory and restores the default parameters.
void resetInstance(KernelState& state);

} // namespace vanto
