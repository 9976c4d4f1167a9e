// The events a host hands to one process call (and the plug-in's outgoing ones), in the order added.
// Storage is reserved up front; a full list refuses more.
#pragma once

#include "pluginterfaces/vst/ivstevents.h"

#include <vector>

namespace vanto::host {

class EventList final : public Steinberg::Vst::IEventList {
  public:
    explicit EventList(Steinberg::int32 capacity = 256);
    virtual ~EventList() = default;

    void clear() { events.clear(); }

    Steinberg::int32 PLUGIN_API getEventCount() override;
    Steinberg::tresult PLUGIN_API getEvent(Steinberg::int32 index, Steinberg::Vst::Event& event) override;
    Steinberg::tresult PLUGIN_API addEvent(Steinberg::Vst::Event& event) override;

    DECLARE_FUNKNOWN_METHODS

  private:
    std::vector<Steinberg::Vst::Event> events;
};

} // namespace vanto::host
