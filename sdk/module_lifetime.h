// Entry and exit bookkeeping of a plug-in module. Hosts enter a module once per use and may nest
// entries; the module initialises on the first entry and deinitialises on the matching last exit.
// The first entry also records the handle the host loaded the module with and the module's
// bundle path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace vanto {

class ModuleLifetime {
  public:
    using InitHook = bool (*)();
    using DeinitHook = void (*)();
    static constexpr std::size_t kBundlePathCapacity = 2048;

    ModuleLifetime(InitHook initModule, DeinitHook deinitModule);
    ModuleLifetime(const ModuleLifetime&) = delete;
    ModuleLifetime& operator=(const ModuleLifetime&) = delete;

    // A null handle is no entry: true, nothing recorded. Otherwise counts the entry; the first one
    // records the handle and the path (a path that does not fit the buffer is left empty rather than
    // cut) and returns the init hook's result. When that hook fails the entry is undone, so a later
    // entry tries again.
    bool enter(void* handle, std::string_view bundlePath);
    // Ends one entry; the last one runs the deinit hook and forgets the handle and path. An exit
    // without a matching entry returns false and changes nothing.
    bool exit();

    std::int32_t entryCount() const;
    void* moduleHandle() const;
    // The bundle path recorded at the first entry; empty while the module is not entered.
    std::string bundlePath() const;

  private:
    void forgetModule();

    InitHook initModule;
    DeinitHook deinitModule;
    mutable std::mutex mutex;
    std::int32_t entries = 0;
    void* handle = nullptr;
    std::size_t pathLength = 0;
    char path[kBundlePathCapacity] = {};
};

} // namespace vanto
