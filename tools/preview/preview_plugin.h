// The plug-in as the preview hosts it: loaded from its bundle, processor and controller made and
// connected as a host does, the host's edit handler installed, processing set up and running on the
// audio thread. Everything but the audio thread is the main thread's: the controller is called from
// it alone, as a host calls it from its UI thread.
#pragma once

#include "bridge_functions.h"
#include "injected_controllers.h"
#include "parameter_edit.h"
#include "preview_audio.h"

#include "module.h"
#include "plugin_instance.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <memory>
#include <string>

namespace vanto::preview {

// The host's side of the controller's edits: performed values go to the processor's next block.
class HostEditHandler final : public Steinberg::Vst::IComponentHandler {
  public:
    explicit HostEditHandler(EditRing& toProcessor) : toProcessor(toProcessor) {}
    virtual ~HostEditHandler() = default;

    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue value) override;
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
    // The controller sends the page every value it changes; nothing is left for the host to re-read.
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** object) override;
    // Owned by PreviewPlugin, which outlives the controller it is given to.
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

  private:
    EditRing& toProcessor;
};

struct PreviewSignal {
    StereoBuffer audio;
    double sampleRate = 48000;
    double transportStepSeconds = 0; // 0: a steady transport; see HostTransport
};

class PreviewPlugin {
  public:
    static constexpr int kBlockFrames = 512;

    // Loads the bundle and starts processing `signal` in real time; null with the reason in error.
    static std::unique_ptr<PreviewPlugin> start(const std::string& bundlePath, PreviewSignal signal,
                                                WakeSignal& wake, std::string& error);
    ~PreviewPlugin();
    PreviewPlugin(const PreviewPlugin&) = delete;
    PreviewPlugin& operator=(const PreviewPlugin&) = delete;

    // The page bridge, for the main thread.
    void installSink(BridgeCallback callback, void* context);
    void deliver(const std::string& message);
    void tickCadence();
    // Reads the changes the processor took back into the controller, as a host reflecting automation
    // does; the controller sends the page each value except the page's own last one.
    void readBackTakenEdits();
    // A controller message for the MIDI input, sent to the parameter the controller's IMidiMapping
    // names, as a host does; ignored when it names none.
    void injectController(const InjectedController& message);

  private:
    PreviewPlugin() : handler(toProcessor) {}

    EditRing toProcessor;
    EditRing taken;
    HostEditHandler handler;
    std::unique_ptr<host::PluginInstance> instance;
    BridgeFunctions bridge;
    std::unique_ptr<PreviewAudio> audio;
};

} // namespace vanto::preview
