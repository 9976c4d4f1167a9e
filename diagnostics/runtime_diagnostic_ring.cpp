#include "diagnostics/runtime_diagnostic_ring.h"

#include "diagnostics/diagnostic_text.h"
#include "diagnostics/diagnostic_vocabulary.h"

#include <cstdio>

namespace vanto {

void recordRuntimeDiagnostic(vanto_runtime_diagnostic_ring& ring, uint32_t code, uint8_t severity,
                             uint8_t phase, const char* message, const char* detail) {
    const uint32_t sequence = ring.nextSequence++;
    if (ring.count >= VANTO_RUNTIME_DIAGNOSTIC_CAPACITY) {
        ++ring.dropped;
        return;
    }
    vanto_runtime_diagnostic& record = ring.entries[ring.count++];
    record.sequence = sequence;
    record.code = code;
    record.severity = severity;
    record.phase = phase;
    copyDiagnosticText(record.message, sizeof record.message, message);
    copyDiagnosticText(record.detail, sizeof record.detail, detail);
    if (!isRecoverableSeverity(severity) && ring.firstErrorSequence == 0) {
        ring.firstErrorSequence = sequence;
    }
}

namespace {

const char* audioCallbackMessage(uint32_t code) {
    switch (code) {
    case kDiagProcessFailed:
        return "audio process callback failed; output was cleared";
    case kDiagRateAdapterFailed:
        return "sample-rate adapter failed; output was cleared";
    default:
        return "runtime diagnostic observed on the audio callback";
    }
}

} // namespace

void recordAudioCallbackDiagnostic(vanto_runtime_diagnostic_ring& ring, uint32_t code, uint8_t severity,
                                   uint8_t phase) {
    recordRuntimeDiagnostic(ring, code, severity, phase, audioCallbackMessage(code), "audio callback");
}

void recordAudioQueueOverflow(vanto_runtime_diagnostic_ring& ring, uint32_t droppedCount) {
    if (droppedCount == 0) {
        return;
    }
    char detail[VANTO_DIAGNOSTIC_DETAIL_SIZE];
    std::snprintf(detail, sizeof detail, "dropped=%u; source=audio callback", droppedCount);
    recordRuntimeDiagnostic(ring, kDiagDiagnosticsOverflow, kSeverityWarning, kPhaseProcess,
                            "audio diagnostic queue overflowed", detail);
}

} // namespace vanto
