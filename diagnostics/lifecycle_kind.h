// The kinds of events the lifecycle log records, and their names in the lifecycle documents and in
// the processor's lifecycle messages.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vanto {

enum DiagnosticLifecycleKind : uint8_t {
    kLifecycleCreated,
    kLifecycleConfigured,
    kLifecycleActivated,
    kLifecycleDeactivated,
    kLifecycleReset,
    kLifecycleDestroyed,
    kLifecycleEditorOpened,
    kLifecycleEditorClosed,
    kLifecycleEditorError,
    kLifecycleStateSaved,
    kLifecycleStateRestored,
    kLifecyclePresetLoaded,
    kLifecyclePresetSaved,
    kLifecycleLatencyChanged,
    kLifecycleTailChanged,
    kLifecycleTempoChanged,
    kLifecycleTimeSignatureChanged,
    kLifecycleSampleRateChanged,
    kLifecycleBlockSizeChanged,
    kLifecycleBusLayoutChanged,
    kLifecycleProcessModeChanged,
    kLifecycleBypassChanged,
    kLifecycleCcMapChanged,
    kLifecycleStimulus,
    kLifecycleRuntimeDiagnostic,
};

inline constexpr uint32_t kLifecycleKindCount = kLifecycleRuntimeDiagnostic + 1;

// "created" … "runtimeDiagnostic"; null for a value outside the table.
const char* diagnosticLifecycleKindName(uint32_t kind);

// Exact-match inverse of diagnosticLifecycleKindName; false for null or an unlisted name.
bool diagnosticLifecycleKindFromName(const char* name, DiagnosticLifecycleKind& kind);

// Reads the payload of a processor lifecycle message: the name's bytes without terminator, 1 … 63
// bytes. Anything else, a name followed by a NUL byte included, is refused.
bool diagnosticLifecycleKindFromPayload(const void* data, std::size_t size, DiagnosticLifecycleKind& kind);

} // namespace vanto
