// Base class for an audio effect component: a VST 3 Component that is also its own audio processor.
// It keeps the component's bus lists and the processing set-up the host chose, answers the host's
// arrangement and sample-size questions with safe defaults, and leaves rendering to the subclass.
#pragma once

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vstcomponent.h"

namespace vanto {

class AudioEffect : public Steinberg::Vst::Component,
                    public Steinberg::Vst::IAudioProcessor,
                    public Steinberg::Vst::IProcessContextRequirements {
  public:
    AudioEffect();

    // Bus declaration, normally from initialize(). Each returns the new bus, owned by the component.
    Steinberg::Vst::AudioBus* addAudioInput(const Steinberg::Vst::TChar* name,
                                            Steinberg::Vst::SpeakerArrangement arrangement,
                                            Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                                            Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    Steinberg::Vst::AudioBus*
    addAudioOutput(const Steinberg::Vst::TChar* name, Steinberg::Vst::SpeakerArrangement arrangement,
                   Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                   Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    Steinberg::Vst::EventBus* addEventInput(const Steinberg::Vst::TChar* name, Steinberg::int32 channels = 16,
                                            Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                                            Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    Steinberg::Vst::EventBus*
    addEventOutput(const Steinberg::Vst::TChar* name, Steinberg::int32 channels = 16,
                   Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                   Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);

    // The bus at index, or null when there is none.
    Steinberg::Vst::AudioBus* getAudioInput(Steinberg::int32 index);
    Steinberg::Vst::AudioBus* getAudioOutput(Steinberg::int32 index);
    Steinberg::Vst::EventBus* getEventInput(Steinberg::int32 index);
    Steinberg::Vst::EventBus* getEventOutput(Steinberg::int32 index);

    // IComponent: the controller class named in the constructor; a null buffer is refused.
    Steinberg::tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) override;

    // IAudioProcessor. setBusArrangements applies the arrangements to the first numIns input and numOuts
    // output audio buses, all or nothing; it refuses more arrangements than buses and null arrays.
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                     Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) override;
    Steinberg::tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                                                    Steinberg::Vst::SpeakerArrangement& arrangement) override;
    // 32-bit samples only, unless a subclass says otherwise.
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
    Steinberg::uint32 PLUGIN_API getLatencySamples() override;
    // Stores the set-up when its sample size is one canProcessSampleSize accepts; refuses it otherwise.
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
    Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override = 0;
    Steinberg::uint32 PLUGIN_API getTailSamples() override;

    // IProcessContextRequirements: the effect reads nothing from the process context.
    Steinberg::uint32 PLUGIN_API getProcessContextRequirements() override;

    OBJ_METHODS(AudioEffect, Component)
    DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::Vst::IAudioProcessor)
    DEF_INTERFACE(Steinberg::Vst::IProcessContextRequirements)
    END_DEFINE_INTERFACES(Component)
    REFCOUNT_METHODS(Component)

  protected:
    // The last set-up accepted by setupProcessing; 32-bit real-time at 44100 Hz, 1024 frames before that.
    Steinberg::Vst::ProcessSetup processSetup;
};

} // namespace vanto
