// One plug-in instance driven the way a DAW drives it: the component made through the module's
// factory and initialised with a host context, its edit controller made and initialised beside it,
// the two connected so they exchange messages, the controller given the component's state, and then
// set up, activated and processed. Destroying the object stops, deactivates, disconnects and
// terminates both parts, in that order.
#pragma once

#include "module.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <memory>
#include <string>
#include <vector>

namespace vanto::host {

class PluginInstance {
  public:
    // Makes the component of class cid with its controller (when the component names a controller
    // class, or is its own controller). Null with the reason in error when the component cannot be
    // made or initialised, lacks IAudioProcessor, or its named controller cannot be made.
    static std::unique_ptr<PluginInstance> create(std::shared_ptr<Module> module, const Steinberg::TUID cid,
                                                  std::string& error);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    Steinberg::Vst::IComponent* component() const { return componentPart; }
    Steinberg::Vst::IAudioProcessor* processor() const { return processorPart; }
    // Null when the plug-in has no controller.
    Steinberg::Vst::IEditController* controller() const { return controllerPart; }
    Steinberg::Vst::HostApplication& hostApplication() const { return *hostContext; }

    // The processor's calls, with the instance remembering what it must undo on destruction.
    Steinberg::tresult setupProcessing(double sampleRate, Steinberg::int32 maxSamplesPerBlock,
                                       Steinberg::int32 sampleSize = Steinberg::Vst::kSample32,
                                       Steinberg::int32 processMode = Steinberg::Vst::kRealtime);
    Steinberg::tresult setActive(bool active);
    Steinberg::tresult setProcessing(bool processing);
    Steinberg::tresult process(Steinberg::Vst::ProcessData& data);
    // setupProcessing, setActive(true) and setProcessing(true); the first failure is returned.
    Steinberg::tresult start(double sampleRate, Steinberg::int32 maxSamplesPerBlock);

    // The component's state document, as a host saves it with a project.
    Steinberg::tresult saveState(std::vector<char>& state) const;
    // Restores the component's state and hands the same bytes to the controller, as a host does.
    Steinberg::tresult restoreState(const std::vector<char>& state);
    Steinberg::tresult saveControllerState(std::vector<char>& state) const;
    Steinberg::tresult restoreControllerState(const std::vector<char>& state);

  private:
    PluginInstance(std::shared_ptr<Module> module);
    bool makeController(std::string& error);
    void connectParts();
    void syncControllerWithComponent();

    // Declared first so it is destroyed last: the parts' code lives in the module.
    std::shared_ptr<Module> module;
    // The SDK's host application is not reference counted: it lives exactly as long as the parts.
    std::unique_ptr<Steinberg::Vst::HostApplication> hostContext;
    Steinberg::IPtr<Steinberg::Vst::IComponent> componentPart;
    Steinberg::IPtr<Steinberg::Vst::IAudioProcessor> processorPart;
    Steinberg::IPtr<Steinberg::Vst::IEditController> controllerPart;
    Steinberg::IPtr<Steinberg::Vst::IConnectionPoint> componentConnection;
    Steinberg::IPtr<Steinberg::Vst::IConnectionPoint> controllerConnection;
    bool componentInitialized = false;
    bool controllerInitialized = false;
    bool controllerIsComponent = false;
    bool active = false;
    bool processing = false;
};

} // namespace vanto::host
