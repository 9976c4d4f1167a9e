// A VST 3 module loaded as a DAW loads it: the bundle's binary is opened, entered with its library
// handle, and asked for its class factory. Destroying the object releases the factory, exits the
// module and unloads the binary. Instances made from the module hold it alive (PluginInstance).
#pragma once

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/base/smartpointer.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vanto::host {

class SharedLibrary;

// One class of the factory, from its PClassInfo2 record.
struct ClassDescription {
    std::array<std::uint8_t, 16> cid{};
    std::int32_t cardinality = 0;
    std::string category;
    std::string name;
    std::uint32_t classFlags = 0;
    std::string subCategories;
    std::string vendor;
    std::string version;
    std::string sdkVersion;
};

// The module's exported functions, for callers that exercise them directly.
struct ModuleEntryPoints {
    bool (*moduleEntry)(void* sharedLibraryHandle) = nullptr;
    bool (*moduleExit)() = nullptr;
    Steinberg::IPluginFactory* (*getPluginFactory)() = nullptr;
};

class Module {
  public:
    // Loads <bundle>/Contents/<architecture>/<name>.so, enters it and fetches its factory. Null with
    // the reason in error when any step fails; whatever was done by then is undone.
    static std::shared_ptr<Module> load(const std::string& bundlePath, std::string& error);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    const std::string& binaryPath() const { return binary; }
    void* libraryHandle() const;
    const ModuleEntryPoints& entryPoints() const { return entry; }

    Steinberg::IPluginFactory* factory() const { return pluginFactory; }
    std::optional<Steinberg::PFactoryInfo> factoryInfo() const;
    // Every class the factory lists, in its order.
    std::vector<ClassDescription> classes() const;
    // The first class of the category, such as kVstAudioEffectClass.
    std::optional<ClassDescription> findClass(std::string_view category) const;

  private:
    Module(std::string binary, std::unique_ptr<SharedLibrary> library, ModuleEntryPoints entry);

    std::string binary;
    std::unique_ptr<SharedLibrary> library;
    ModuleEntryPoints entry;
    bool entered = false;
    Steinberg::IPtr<Steinberg::IPluginFactory> pluginFactory;
};

} // namespace vanto::host
