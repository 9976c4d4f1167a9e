#include "module.h"

#include "bundle_layout.h"
#include "shared_library.h"

#include "pluginterfaces/base/funknown.h"

#include <algorithm>
#include <cstring>

namespace vanto::host {

using namespace Steinberg;

namespace {

template <std::size_t Size> std::string fieldText(const char8 (&field)[Size]) {
    return std::string(field, strnlen(field, Size));
}

ClassDescription describe(const PClassInfo2& info) {
    ClassDescription description;
    std::memcpy(description.cid.data(), info.cid, description.cid.size());
    description.cardinality = info.cardinality;
    description.category = fieldText(info.category);
    description.name = fieldText(info.name);
    description.classFlags = info.classFlags;
    description.subCategories = fieldText(info.subCategories);
    description.vendor = fieldText(info.vendor);
    description.version = fieldText(info.version);
    description.sdkVersion = fieldText(info.sdkVersion);
    return description;
}

// A factory without IPluginFactory2 has only the first-version records; the rest stays empty.
std::optional<ClassDescription> describeClass(IPluginFactory& factory, IPluginFactory2* factory2,
                                              int32 index) {
    PClassInfo2 info2;
    if (factory2 != nullptr) {
        if (factory2->getClassInfo2(index, &info2) != kResultOk)
            return std::nullopt;
        return describe(info2);
    }
    PClassInfo info;
    if (factory.getClassInfo(index, &info) != kResultOk)
        return std::nullopt;
    return describe(PClassInfo2(info.cid, info.cardinality, info.category, info.name, 0, nullptr, nullptr,
                                nullptr, nullptr));
}

template <typename Function> Function symbolAs(const SharedLibrary& library, const char* name) {
    return reinterpret_cast<Function>(library.symbol(name));
}

} // namespace

std::shared_ptr<Module> Module::load(const std::string& bundlePath, std::string& error) {
    const std::string binary = bundleBinaryPath(bundlePath);
    if (binary.empty()) {
        error = "not a VST 3 bundle path: " + bundlePath;
        return nullptr;
    }
    std::unique_ptr<SharedLibrary> library = SharedLibrary::open(binary, error);
    if (library == nullptr)
        return nullptr;
    ModuleEntryPoints entry;
    entry.moduleEntry = symbolAs<decltype(entry.moduleEntry)>(*library, "ModuleEntry");
    entry.moduleExit = symbolAs<decltype(entry.moduleExit)>(*library, "ModuleExit");
    entry.getPluginFactory = symbolAs<decltype(entry.getPluginFactory)>(*library, "GetPluginFactory");
    if (entry.moduleEntry == nullptr || entry.moduleExit == nullptr || entry.getPluginFactory == nullptr) {
        error = binary + " does not export ModuleEntry, ModuleExit and GetPluginFactory";
        return nullptr;
    }
    std::shared_ptr<Module> module(new Module(binary, std::move(library), entry));
    module->entered = entry.moduleEntry(module->libraryHandle());
    if (!module->entered) {
        error = "ModuleEntry refused " + binary;
        return nullptr;
    }
    module->pluginFactory = owned(entry.getPluginFactory());
    if (!module->pluginFactory) {
        error = "GetPluginFactory returned no factory from " + binary;
        return nullptr;
    }
    return module;
}

Module::Module(std::string binary, std::unique_ptr<SharedLibrary> library, ModuleEntryPoints entry)
    : binary(std::move(binary)), library(std::move(library)), entry(entry) {}

// The factory goes before the exit, and the exit before the binary is unloaded.
Module::~Module() {
    pluginFactory = nullptr;
    if (entered)
        entry.moduleExit();
    library.reset();
}

void* Module::libraryHandle() const {
    return library->nativeHandle();
}

std::optional<PFactoryInfo> Module::factoryInfo() const {
    PFactoryInfo info;
    if (pluginFactory->getFactoryInfo(&info) != kResultOk)
        return std::nullopt;
    return info;
}

std::vector<ClassDescription> Module::classes() const {
    FUnknownPtr<IPluginFactory2> factory2(pluginFactory);
    std::vector<ClassDescription> descriptions;
    const int32 count = pluginFactory->countClasses();
    for (int32 index = 0; index < count; ++index)
        if (auto description = describeClass(*pluginFactory, factory2.get(), index))
            descriptions.push_back(std::move(*description));
    return descriptions;
}

std::optional<ClassDescription> Module::findClass(std::string_view category) const {
    const std::vector<ClassDescription> all = classes();
    const auto found = std::find_if(all.begin(), all.end(), [&](const ClassDescription& description) {
        return description.category == category;
    });
    if (found == all.end())
        return std::nullopt;
    return *found;
}

} // namespace vanto::host
