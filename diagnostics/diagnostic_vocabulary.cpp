#include "diagnostics/diagnostic_vocabulary.h"

#include <iterator>

namespace vanto {

namespace {

// Row n is the name of code n; row 0 stands for every code without a name.
constexpr const char* kCodeNames[] = {
    "runtime.unknown",
    "runtime.kernel-create-failed",
    "runtime.rate-adapter-init-failed",
    "runtime.unsupported-processing-configuration",
    "runtime.process-failed",
    "runtime.suspicious-silence",
    "preset.bank-mismatch",
    "preset.processor-apply-failed",
    "state.decode-failed",
    "state.restore-failed",
    "editor.bundle-identity-mismatch",
    "editor.bridge-timeout",
    "install.artifact-stale",
    "install.duplicate-scan-candidate",
    "runtime.invalid-configuration",
    "runtime.engine-unavailable",
    "build.dependency-missing",
    "build.artifact-missing",
    "host.validator-missing",
    "runtime.realtime-violation",
    "runtime.nonfinite-audio",
    "runtime.callback-missing",
    "runtime.event-rejected",
    "runtime.host-connection-failed",
    "runtime.closed",
    "runtime.diagnostics-overflow",
    "runtime.unknown",
    "bank.missing",
    "bank.hash-mismatch",
};

constexpr const char* kSeverityNames[] = {"info", "warning", "error", "fatal"};

constexpr const char* kPhaseNames[] = {"build",    "package", "install", "scan",  "load",   "configure",
                                       "activate", "process", "preset",  "state", "editor", "shutdown"};

static_assert(std::size(kCodeNames) == kDiagBankHashMismatch + 1);
static_assert(std::size(kPhaseNames) == kPhaseShutdown + 1);

} // namespace

const char* diagnosticCodeName(uint32_t code) {
    return code < std::size(kCodeNames) ? kCodeNames[code] : kCodeNames[0];
}

const char* diagnosticSeverityName(uint8_t severity) {
    return severity < std::size(kSeverityNames) ? kSeverityNames[severity] : kSeverityNames[kSeverityError];
}

const char* diagnosticPhaseName(uint8_t phase) {
    return phase < std::size(kPhaseNames) ? kPhaseNames[phase] : kPhaseNames[kPhaseProcess];
}

} // namespace vanto
