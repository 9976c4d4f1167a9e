#include "host_call_failure.h"

#include <cstdio>
#include <exception>

namespace vanto {

Steinberg::tresult hostCallFailed(const char* method) noexcept {
    const char* reason = "unknown exception";
    try {
        throw;
    } catch (const std::exception& exception) {
        reason = exception.what();
    } catch (...) {
    }
    std::fprintf(stderr, "vanto-plugin-shell: %s failed: %s\n", method, reason);
    return Steinberg::kInternalError;
}

} // namespace vanto
