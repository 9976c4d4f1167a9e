// The audio side of the preview: a thread that plays a looped stereo signal through the processor in
// real time, block by block on the clock, as a host's audio thread does. Parameter changes the
// controller performed reach the processor at the start of the next block; the changes a block took
// are handed back so the host side can read them back into the controller.
#pragma once

#include "host_transport.h"
#include "parameter_edit.h"
#include "spsc_ring.h"
#include "stereo_buffer.h"
#include "wake_signal.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <atomic>
#include <thread>

namespace vanto::preview {

using EditRing = SpscRing<ParameterEdit, 4096>;

class PreviewAudio {
  public:
    // The processor must be set up for `sampleRate` and `blockFrames` and active; `input` must not be
    // empty.
    PreviewAudio(Steinberg::Vst::IAudioProcessor& processor, StereoBuffer input, double sampleRate,
                 int blockFrames, HostTransport transport, EditRing& toProcessor, EditRing& taken,
                 WakeSignal& wake);
    ~PreviewAudio();
    PreviewAudio(const PreviewAudio&) = delete;
    PreviewAudio& operator=(const PreviewAudio&) = delete;

    void start();
    void stop();

  private:
    void run();

    Steinberg::Vst::IAudioProcessor& processor;
    StereoBuffer input;
    double sampleRate;
    int blockFrames;
    HostTransport transport;
    EditRing& toProcessor;
    EditRing& taken;
    WakeSignal& wake;
    std::atomic<bool> stopping{false};
    std::thread thread;
};

} // namespace vanto::preview
