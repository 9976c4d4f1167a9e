// The one class factory of a module, made on first request and shared by every later request, as
// GetPluginFactory must behave. The factory lives until the host releases its last reference; a
// request after that makes a new one.
#pragma once

#include "plugin_factory.h"

#include <mutex>

namespace vanto {

class FactorySlot final : private PluginFactoryObserver {
  public:
    // Fills a newly made factory with the module's classes.
    using Populate = void (*)(PluginFactory& factory);

    FactorySlot(const Steinberg::PFactoryInfo& info, Populate populate);
    FactorySlot(const FactorySlot&) = delete;
    FactorySlot& operator=(const FactorySlot&) = delete;

    // The current factory with one reference added for the caller, made first if none is alive.
    PluginFactory* acquire();

  private:
    void lastReferenceReleased(const PluginFactory* factory) override;

    Steinberg::PFactoryInfo info;
    Populate populate;
    std::mutex mutex;
    PluginFactory* current = nullptr;
};

} // namespace vanto
