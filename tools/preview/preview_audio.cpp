#include "preview_audio.h"

#include "process_block.h"

#include <chrono>
#include <cstdint>
#include <time.h>

namespace vanto::preview {

using namespace Steinberg;
using namespace Steinberg::Vst;

PreviewAudio::PreviewAudio(IAudioProcessor& processor, StereoBuffer input, double sampleRate, int blockFrames,
                           HostTransport transport, EditRing& toProcessor, EditRing& taken, WakeSignal& wake)
    : processor(processor), input(std::move(input)), sampleRate(sampleRate), blockFrames(blockFrames),
      transport(transport), toProcessor(toProcessor), taken(taken), wake(wake) {}

PreviewAudio::~PreviewAudio() {
    stop();
}

void PreviewAudio::start() {
    stopping = false;
    thread = std::thread([this] { run(); });
}

void PreviewAudio::stop() {
    stopping = true;
    if (thread.joinable()) {
        thread.join();
    }
}

namespace {

void advance(timespec& at, std::int64_t nanoseconds) {
    const std::int64_t total = at.tv_nsec + nanoseconds;
    at.tv_sec += total / 1000000000;
    at.tv_nsec = total % 1000000000;
}

// The last value of each parameter the processor reported; how many went into `taken`.
int pushReportedChanges(IParameterChanges& reported, EditRing& taken) {
    int pushed = 0;
    for (int32 index = 0; index < reported.getParameterCount(); ++index) {
        IParamValueQueue* queue = reported.getParameterData(index);
        int32 offset = 0;
        ParamValue value = 0;
        if (queue != nullptr && queue->getPointCount() > 0 &&
            queue->getPoint(queue->getPointCount() - 1, offset, value) == kResultOk &&
            taken.push({queue->getParameterId(), value})) {
            ++pushed;
        }
    }
    return pushed;
}

} // namespace

void PreviewAudio::run() {
    host::ProcessBlock block({2}, {2}, blockFrames);
    const auto period = static_cast<std::int64_t>(1e9 * blockFrames / sampleRate);
    const std::size_t frames = input.frames();
    std::size_t position = 0;
    std::int64_t projectTime = 0;
    timespec due{};
    clock_gettime(CLOCK_MONOTONIC, &due);
    ParameterEdit pending[64];
    while (!stopping) {
        block.clearQueues();
        int count = 0;
        while (count < 64) {
            const auto edit = toProcessor.pop();
            if (!edit) {
                break;
            }
            block.inputParameterChanges().add(edit->id, 0, edit->value);
            pending[count++] = *edit;
        }
        auto left = block.input(0, 0);
        auto right = block.input(0, 1);
        for (int i = 0; i < blockFrames; ++i) {
            left[i] = input.left[position];
            right[i] = input.right[position];
            position = (position + 1) % frames;
        }
        ProcessData& data = block.prepare(blockFrames);
        ProcessContext& context = block.processContext();
        transport.fill(context, projectTime);
        data.processContext = &context;
        processor.process(data);
        projectTime += blockFrames;
        for (int i = 0; i < count; ++i) {
            taken.push(pending[i]);
        }
        // The values the processor set itself (from MIDI controllers) are read back like automation.
        const int reported = pushReportedChanges(block.outputParameterChanges(), taken);
        if (count + reported > 0) {
            wake.notify();
        }
        advance(due, period);
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
    }
}

} // namespace vanto::preview
