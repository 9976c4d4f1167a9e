// The reference counting and interface query of an object the plug-in hands the host that offers one
// interface (a run loop's timer or event handler). The host may keep its own references beyond
// unregistering, so such objects live until the last reference goes.
#pragma once

#include "pluginterfaces/base/funknown.h"

#include <atomic>

namespace vanto {

template <typename Interface> class SingleInterfaceObject : public Interface {
  public:
    SingleInterfaceObject() = default;
    SingleInterfaceObject(const SingleInterfaceObject&) = delete;
    SingleInterfaceObject& operator=(const SingleInterfaceObject&) = delete;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** object) override {
        if (Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::FUnknown::iid) ||
            Steinberg::FUnknownPrivate::iidEqual(iid, Interface::iid)) {
            addRef();
            *object = static_cast<Interface*>(this);
            return Steinberg::kResultOk;
        }
        *object = nullptr;
        return Steinberg::kNoInterface;
    }

    Steinberg::uint32 PLUGIN_API addRef() override { return ++references_; }

    Steinberg::uint32 PLUGIN_API release() override {
        const Steinberg::uint32 remaining = --references_;
        if (remaining == 0) {
            delete this;
        }
        return remaining;
    }

  protected:
    virtual ~SingleInterfaceObject() = default;

  private:
    std::atomic<Steinberg::uint32> references_{1};
};

} // namespace vanto
