#include "plugin_factory.h"

#include "host_call_failure.h"

#include <cstring>

namespace vanto {

using namespace Steinberg;

PluginFactory::PluginFactory(const PFactoryInfo& info, PluginFactoryObserver* observer)
    : factoryInfo(info), observer(observer) {}

bool PluginFactory::registerClass(const PClassInfo2& info, CreateInstanceFunction create, void* context) {
    if (create == nullptr || entryFor(reinterpret_cast<FIDString>(info.cid)) != nullptr)
        return false;
    classes.push_back({info, create, context});
    return true;
}

bool PluginFactory::retainIfAlive() {
    uint32 count = referenceCount.load();
    while (count != 0)
        if (referenceCount.compare_exchange_weak(count, count + 1))
            return true;
    return false;
}

const PluginFactory::ClassEntry* PluginFactory::entryAt(int32 index) const {
    if (index < 0 || index >= static_cast<int32>(classes.size()))
        return nullptr;
    return &classes[static_cast<size_t>(index)];
}

const PluginFactory::ClassEntry* PluginFactory::entryFor(FIDString cid) const {
    for (const ClassEntry& entry : classes)
        if (std::memcmp(entry.info.cid, cid, sizeof(TUID)) == 0)
            return &entry;
    return nullptr;
}

tresult PLUGIN_API PluginFactory::getFactoryInfo(PFactoryInfo* info) {
    if (info == nullptr)
        return kInvalidArgument;
    *info = factoryInfo;
    return kResultOk;
}

int32 PLUGIN_API PluginFactory::countClasses() {
    return static_cast<int32>(classes.size());
}

tresult PLUGIN_API PluginFactory::getClassInfo(int32 index, PClassInfo* info) {
    const ClassEntry* entry = entryAt(index);
    if (entry == nullptr || info == nullptr)
        return kInvalidArgument;
    *info = PClassInfo(entry->info.cid, entry->info.cardinality, entry->info.category, entry->info.name);
    return kResultOk;
}

tresult PLUGIN_API PluginFactory::getClassInfo2(int32 index, PClassInfo2* info) {
    const ClassEntry* entry = entryAt(index);
    if (entry == nullptr || info == nullptr)
        return kInvalidArgument;
    *info = entry->info;
    return kResultOk;
}

tresult PLUGIN_API PluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info) {
    const ClassEntry* entry = entryAt(index);
    if (entry == nullptr || info == nullptr)
        return kInvalidArgument;
    info->fromAscii(entry->info);
    return kResultOk;
}

// The classes need nothing from the host before they are initialised, which brings its own context.
tresult PLUGIN_API PluginFactory::setHostContext(FUnknown* /*context*/) {
    return kNotImplemented;
}

tresult PLUGIN_API PluginFactory::createInstance(FIDString cid, FIDString iid, void** obj) try {
    if (obj == nullptr)
        return kInvalidArgument;
    *obj = nullptr;
    if (cid == nullptr || iid == nullptr)
        return kInvalidArgument;
    const ClassEntry* entry = entryFor(cid);
    if (entry == nullptr)
        return kNoInterface;
    FUnknown* instance = entry->create(entry->context);
    if (instance == nullptr)
        return kOutOfMemory;
    // The instance's own reference goes once the caller holds the interface it asked for; an
    // instance without that interface is destroyed here.
    const tresult result = instance->queryInterface(iid, obj);
    instance->release();
    if (result != kResultOk)
        *obj = nullptr;
    return result == kResultOk ? kResultOk : kNoInterface;
} catch (...) {
    return hostCallFailed("createInstance");
}

tresult PLUGIN_API PluginFactory::queryInterface(const TUID iid, void** obj) {
    if (obj == nullptr)
        return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        addRef();
        *obj = static_cast<IPluginFactory3*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API PluginFactory::addRef() {
    return referenceCount.fetch_add(1) + 1;
}

uint32 PLUGIN_API PluginFactory::release() {
    const uint32 remaining = referenceCount.fetch_sub(1) - 1;
    if (remaining == 0) {
        if (observer != nullptr)
            observer->lastReferenceReleased(this);
        delete this;
    }
    return remaining;
}

} // namespace vanto
