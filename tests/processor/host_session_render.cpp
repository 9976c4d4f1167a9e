#include "processor/host_session_render.h"

#include "process_block.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vanto::test {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::vector<int32> inputBuses(const HostSession& session) {
    if (session.sidechain == nullptr) {
        return {2};
    }
    return {2, session.sidechainChannels};
}

void copyInto(host::ProcessBlock& block, int32 bus, const StereoBuffer& from, std::size_t start, int32 frames,
              int32 channels) {
    const auto first = static_cast<std::ptrdiff_t>(start);
    std::copy_n(from.left.begin() + first, frames, block.input(bus, 0).begin());
    if (channels > 1) {
        std::copy_n(from.right.begin() + first, frames, block.input(bus, 1).begin());
    }
}

void fillContext(ProcessContext& context, const HostSession& session, std::size_t start) {
    context = {};
    context.state = ProcessContext::kPlaying;
    context.sampleRate = session.sampleRate;
    context.projectTimeSamples = static_cast<TSamples>(start);
    const double bpm = session.tempo(start);
    if (!std::isnan(bpm)) {
        context.state |= ProcessContext::kTempoValid;
        context.tempo = bpm;
    }
}

} // namespace

HostRender renderWithHost(ProcessorHarness& harness, const StereoBuffer& input, int32_t blockFrames,
                          const HostSession& session) {
    host::ProcessBlock block(inputBuses(session), {2}, blockFrames);
    HostRender render{StereoBuffer(input.frames())};
    for (std::size_t start = 0; start < input.frames(); start += static_cast<std::size_t>(blockFrames)) {
        const auto frames = static_cast<int32>(std::min<std::size_t>(blockFrames, input.frames() - start));
        copyInto(block, 0, input, start, frames, 2);
        if (session.sidechain != nullptr) {
            copyInto(block, 1, *session.sidechain, start, frames, session.sidechainChannels);
        }
        block.clearQueues();
        for (const HostChange& change : session.changes) {
            if (change.frame >= start && change.frame < start + static_cast<std::size_t>(frames)) {
                block.inputParameterChanges().add(change.id, static_cast<int32>(change.frame - start),
                                                  change.normalized);
            }
        }
        ProcessData& data = block.prepare(frames);
        if (session.sidechain != nullptr && session.sidechainWithoutBuffers) {
            data.inputs[1].numChannels = 0;
            data.inputs[1].channelBuffers32 = nullptr;
        }
        if (session.tempo) {
            fillContext(block.processContext(), session, start);
        } else {
            data.processContext = nullptr;
        }
        EXPECT_EQ(harness.processor().process(data), kResultOk) << "block at " << start;
        render.outputParameterChanges += block.outputParameterChanges().getParameterCount();
        const auto at = static_cast<std::ptrdiff_t>(start);
        std::copy_n(block.output(0, 0).begin(), frames, render.audio.left.begin() + at);
        std::copy_n(block.output(0, 1).begin(), frames, render.audio.right.begin() + at);
    }
    return render;
}

} // namespace vanto::test
