#include "event_list.h"

#include <algorithm>

namespace vanto::host {

using namespace Steinberg;
using namespace Steinberg::Vst;

IMPLEMENT_FUNKNOWN_METHODS(EventList, IEventList, IEventList::iid)

EventList::EventList(int32 capacity) {
    FUNKNOWN_CTOR
    events.reserve(static_cast<size_t>(std::max(capacity, 1)));
}

int32 PLUGIN_API EventList::getEventCount() {
    return static_cast<int32>(events.size());
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& event) {
    if (index < 0 || index >= getEventCount())
        return kInvalidArgument;
    event = events[static_cast<size_t>(index)];
    return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Event& event) {
    if (events.size() == events.capacity())
        return kResultFalse;
    events.push_back(event);
    return kResultOk;
}

} // namespace vanto::host
