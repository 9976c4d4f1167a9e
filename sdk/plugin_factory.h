// The class factory a plug-in module hands to its host: the module's factory information and, per
// class, its PClassInfo2 record and the function that creates an instance.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

#include <atomic>
#include <vector>

namespace vanto {

// Creates one new instance with a reference count of one, or returns null. The context is the one
// given when the class was registered.
using CreateInstanceFunction = Steinberg::FUnknown* (*)(void* context);

class PluginFactory;

// Told once when a factory's last reference goes, just before the factory is destroyed.
class PluginFactoryObserver {
  public:
    virtual void lastReferenceReleased(const PluginFactory* factory) = 0;

  protected:
    ~PluginFactoryObserver() = default;
};

class PluginFactory final : public Steinberg::IPluginFactory3 {
  public:
    // The factory starts with one reference, owned by its creator.
    explicit PluginFactory(const Steinberg::PFactoryInfo& info, PluginFactoryObserver* observer = nullptr);
    PluginFactory(const PluginFactory&) = delete;
    PluginFactory& operator=(const PluginFactory&) = delete;

    // Adds a class; classes are listed in registration order. Refuses a null create function and a
    // class id that is already registered.
    bool registerClass(const Steinberg::PClassInfo2& info, CreateInstanceFunction create,
                       void* context = nullptr);

    // Adds a reference unless the last one is already gone; the module's factory slot uses this so it
    // never revives a factory that is being destroyed.
    bool retainIfAlive();

    // IPluginFactory
    Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) override;
    Steinberg::int32 PLUGIN_API countClasses() override;
    Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index, Steinberg::PClassInfo* info) override;
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid,
                                                 void** obj) override;
    // IPluginFactory2
    Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index,
                                                Steinberg::PClassInfo2* info) override;
    // IPluginFactory3
    Steinberg::tresult PLUGIN_API getClassInfoUnicode(Steinberg::int32 index,
                                                      Steinberg::PClassInfoW* info) override;
    Steinberg::tresult PLUGIN_API setHostContext(Steinberg::FUnknown* context) override;

    // FUnknown
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override;
    Steinberg::uint32 PLUGIN_API release() override;

  private:
    struct ClassEntry {
        Steinberg::PClassInfo2 info;
        CreateInstanceFunction create;
        void* context;
    };

    ~PluginFactory() = default;
    const ClassEntry* entryAt(Steinberg::int32 index) const;
    const ClassEntry* entryFor(Steinberg::FIDString cid) const;

    Steinberg::PFactoryInfo factoryInfo;
    std::vector<ClassEntry> classes;
    PluginFactoryObserver* observer;
    std::atomic<Steinberg::uint32> referenceCount{1};
};

} // namespace vanto
