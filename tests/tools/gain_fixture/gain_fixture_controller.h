// The gain fixture's controller: the gain parameter, kept in step with the component state, and a
// read-only parameter showing the sample rate the processor last reported by message.
#pragma once

#include "public.sdk/source/vst/vsteditcontroller.h"

namespace vanto::test {

class GainFixtureController final : public Steinberg::Vst::EditControllerEx1 {
  public:
    static Steinberg::FUnknown* createInstance(void* context);

    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override;
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;
};

} // namespace vanto::test
