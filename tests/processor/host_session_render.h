// Rendering through the processor of the bundle with what a DAW supplies besides the main input: a
// process context with the song's tempo, and a side-chain bus.
#pragma once

#include "processor/processor_harness.h"
#include "processor/processor_render.h"

#include "stereo_buffer.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace vanto::test {

struct HostSession {
    double sampleRate = 48000;
    std::vector<HostChange> changes;
    // The host's tempo at a block's first frame (of the whole signal); NaN: a process context without
    // a tempo. Empty: no process context at all.
    std::function<double(std::size_t frame)> tempo;
    // Fed to the side-chain bus, which the caller activates (or not) before starting the processor.
    const StereoBuffer* sidechain = nullptr;
    int32_t sidechainChannels = 2; // 1: the left channel as a mono side-chain
    // The side-chain bus is in every call but comes without channel buffers.
    bool sidechainWithoutBuffers = false;
};

struct HostRender {
    StereoBuffer audio;
    int outputParameterChanges = 0; // parameter changes the processor handed back to the host
};

// Renders `input` in host blocks of `blockFrames`, as renderThroughProcessor does, with the session's
// process context and side-chain. Every process call must succeed.
HostRender renderWithHost(ProcessorHarness& harness, const StereoBuffer& input, int32_t blockFrames,
                          const HostSession& session);

// A host tempo that never changes.
inline std::function<double(std::size_t)> steadyTempo(double bpm) {
    return [bpm](std::size_t) { return bpm; };
}

} // namespace vanto::test
