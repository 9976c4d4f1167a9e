// A shared library loaded into the process, unloaded when the object goes.
#pragma once

#include <memory>
#include <string>

namespace vanto::host {

class SharedLibrary {
  public:
    // Loads the library at path; null with a reason in error when the loader refuses it.
    static std::unique_ptr<SharedLibrary> open(const std::string& path, std::string& error);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The address of an exported symbol, or null when the library does not export it.
    void* symbol(const char* name) const;
    // The loader's handle, as hosts pass it to the module's entry function.
    void* nativeHandle() const { return handle; }

  private:
    explicit SharedLibrary(void* handle) : handle(handle) {}
    void* handle;
};

} // namespace vanto::host
