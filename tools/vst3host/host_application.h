// The host context handed to every component: the SDK's host application, with a name copied out
// directly. The SDK's own getName converts through a converter shared by the whole process, which
// makes instances created on several threads at once race with each other.
#pragma once

#include "public.sdk/source/vst/hosting/hostclasses.h"

namespace vanto::host {

inline constexpr const char* kHostName = "Dovrel Test Host";

class HostApplication final : public Steinberg::Vst::HostApplication {
  public:
    Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
};

} // namespace vanto::host
