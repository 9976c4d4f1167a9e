// What the render tool plays as the host besides the input: the song's tempo (steady or a straight
// ramp over the render) in the process context, and a side-chain signal on the plug-in's side-chain
// bus.
#pragma once

#include "stereo_buffer.h"

#include <cstddef>

namespace vanto {

struct HostTimeline {
    // BPM at the first and the last frame of the input; 0: the host gives no tempo.
    double tempoFrom = 0;
    double tempoTo = 0;
    // Fed to the side-chain bus, which is then active; null: the bus stays off.
    const StereoBuffer* sidechain = nullptr;

    bool hasTempo() const { return tempoFrom > 0; }
    // The tempo at `frame` of `frames` (a ramp reaches tempoTo at the last frame).
    double tempoAt(std::size_t frame, std::size_t frames) const;
};

} // namespace vanto
