// A stereo gain: every output sample is its input times the gain parameter. It echoes the incoming
// parameter changes and events to the outgoing ones, stores the gain as its state, and tells its
// controller the sample rate when activated, so a host's wiring of all of these can be observed.
#pragma once

#include "audio_effect.h"

namespace vanto::test {

class GainFixtureProcessor final : public AudioEffect {
  public:
    GainFixtureProcessor();
    static Steinberg::FUnknown* createInstance(void* context);

    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) override;
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) override;

  private:
    void takeParameterChanges(Steinberg::Vst::ProcessData& data);
    void echoEvents(Steinberg::Vst::ProcessData& data);

    float gain = 1.0f;
};

} // namespace vanto::test
