// The plug-in's audio processor loaded from its bundle and driven as a host drives it: made by the
// module's factory, initialised with a host context, given its state, set up for offline processing,
// activated and fed host blocks. Only the processor is made; rendering needs no edit controller.
#pragma once

#include "host_timeline.h"
#include "midi_file.h"
#include "parameter_values.h"
#include "stereo_buffer.h"

#include "module.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vanto {

class PluginRender {
  public:
    // Loads the bundle and makes its audio effect; null with the reason in error.
    static std::unique_ptr<PluginRender> load(const std::string& bundlePath, std::string& error);
    ~PluginRender();
    PluginRender(const PluginRender&) = delete;
    PluginRender& operator=(const PluginRender&) = delete;

    // Hands the plug-in a component state document, before start().
    bool restoreState(const std::string& document, std::string& error);
    // Sets the processor up for offline rendering and activates it; with `sidechain` its side-chain
    // bus is activated first.
    bool start(double sampleRate, int blockFrames, std::string& error, bool sidechain = false);
    // The latency the processor reports once started, in frames.
    uint32_t latency() const;
    // Renders `input` into an output of the same length that lines up with it: the reported latency is
    // skipped and the tail flushed with silence. The values go in at the start of the first block, the
    // controller messages (in time order) into the MIDI input at their frames of the input, as a host
    // delivers them (each channel and controller number to its MIDI CC parameter). `progress` is told
    // the frames rendered so far. `host` adds a tempo and a side-chain (which must be as long as the
    // input; start() must have activated the bus).
    bool render(const StereoBuffer& input, const NormalizedValues& values,
                const std::vector<TimedController>& controllers, StereoBuffer& output,
                const std::function<void(uint64_t)>& progress, std::string& error,
                const HostTimeline& host = {});
    bool saveState(std::string& document, std::string& error);

    // The started processor, for callers that drive their own blocks.
    Steinberg::Vst::IAudioProcessor& audioProcessor() const { return *processor; }
    // The component, for callers that connect to it as its controller would.
    Steinberg::Vst::IComponent& audioComponent() const { return *component; }

  private:
    PluginRender(std::shared_ptr<host::Module> module);

    // Declared first so it goes last: the component's code lives in the module.
    std::shared_ptr<host::Module> module;
    std::unique_ptr<Steinberg::Vst::HostApplication> hostContext;
    Steinberg::IPtr<Steinberg::Vst::IComponent> component;
    Steinberg::IPtr<Steinberg::Vst::IAudioProcessor> processor;
    int blockFrames = 0;
    double setupRate = 0;
    bool initialized = false;
    bool active = false;
    bool processing = false;
};

} // namespace vanto
