#include "factory_slot.h"

namespace vanto {

FactorySlot::FactorySlot(const Steinberg::PFactoryInfo& info, Populate populate)
    : info(info), populate(populate) {}

PluginFactory* FactorySlot::acquire() {
    std::lock_guard lock(mutex);
    // A factory whose count already reached zero is on its way out; it is replaced, never revived.
    if (current != nullptr && current->retainIfAlive())
        return current;
    current = new PluginFactory(info, this);
    populate(*current);
    return current;
}

void FactorySlot::lastReferenceReleased(const PluginFactory* factory) {
    std::lock_guard lock(mutex);
    if (current == factory)
        current = nullptr;
}

} // namespace vanto
