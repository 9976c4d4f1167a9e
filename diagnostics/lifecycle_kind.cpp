#include "diagnostics/lifecycle_kind.h"

#include <string_view>

namespace vanto {

namespace {

constexpr const char* kKindNames[kLifecycleKindCount] = {
    "created",
    "configured",
    "activated",
    "deactivated",
    "reset",
    "destroyed",
    "editorOpened",
    "editorClosed",
    "editorError",
    "stateSaved",
    "stateRestored",
    "presetLoaded",
    "presetSaved",
    "latencyChanged",
    "tailChanged",
    "tempoChanged",
    "timeSignatureChanged",
    "sampleRateChanged",
    "blockSizeChanged",
    "busLayoutChanged",
    "processModeChanged",
    "bypassChanged",
    "ccMapChanged",
    "stimulus",
    "runtimeDiagnostic",
};

// The longest name a lifecycle message may carry; the processor's names are far shorter.
constexpr std::size_t kMaxPayloadName = 63;

bool kindFromName(std::string_view name, DiagnosticLifecycleKind& kind) {
    for (uint32_t i = 0; i < kLifecycleKindCount; ++i) {
        if (name == kKindNames[i]) {
            kind = static_cast<DiagnosticLifecycleKind>(i);
            return true;
        }
    }
    return false;
}

} // namespace

const char* diagnosticLifecycleKindName(uint32_t kind) {
    return kind < kLifecycleKindCount ? kKindNames[kind] : nullptr;
}

bool diagnosticLifecycleKindFromName(const char* name, DiagnosticLifecycleKind& kind) {
    return name != nullptr && kindFromName(name, kind);
}

bool diagnosticLifecycleKindFromPayload(const void* data, std::size_t size, DiagnosticLifecycleKind& kind) {
    if (data == nullptr || size == 0 || size > kMaxPayloadName) {
        return false;
    }
    // The whole payload must be the name: a trailing terminator makes it a different text.
    return kindFromName(std::string_view(static_cast<const char*>(data), size), kind);
}

} // namespace vanto
