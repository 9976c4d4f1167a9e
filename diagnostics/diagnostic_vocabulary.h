// The numbered vocabulary of runtime diagnostics: codes, severities and phases, and the JSON names
// the health report gives them. Values outside the tables still get a name, so a damaged or newer
// record never breaks a report.
#pragma once

#include <cstdint>

namespace vanto {

// The codes this plug-in raises. The name table also knows the codes other products of the shell
// raise (3, 5 to 13, 16 to 21, 23, 24, 26), which keeps the numbering shared.
enum DiagnosticCode : uint32_t {
    kDiagKernelCreateFailed = 1,
    kDiagRateAdapterFailed = 2,
    kDiagProcessFailed = 4,
    kDiagInvalidConfiguration = 14,
    kDiagEngineUnavailable = 15,
    kDiagEventRejected = 22,
    kDiagDiagnosticsOverflow = 25,
    kDiagBankMissing = 27,
    kDiagBankHashMismatch = 28,
};

enum DiagnosticSeverity : uint8_t {
    kSeverityInfo = 0,
    kSeverityWarning = 1,
    kSeverityError = 2,
    kSeverityFatal = 3,
};

enum DiagnosticPhase : uint8_t {
    kPhaseBuild = 0,
    kPhasePackage = 1,
    kPhaseInstall = 2,
    kPhaseScan = 3,
    kPhaseLoad = 4,
    kPhaseConfigure = 5,
    kPhaseActivate = 6,
    kPhaseProcess = 7,
    kPhasePreset = 8,
    kPhaseState = 9,
    kPhaseEditor = 10,
    kPhaseShutdown = 11,
};

// "runtime.kernel-create-failed" for 1 … "bank.hash-mismatch" for 28; "runtime.unknown" otherwise.
const char* diagnosticCodeName(uint32_t code);
// "info", "warning", "error", "fatal"; "error" for any larger value.
const char* diagnosticSeverityName(uint8_t severity);
// "build" … "shutdown"; "process" for any larger value.
const char* diagnosticPhaseName(uint8_t phase);

// Infos and warnings leave the plug-in working; errors and fatals do not.
inline bool isRecoverableSeverity(uint8_t severity) {
    return severity < kSeverityError;
}

} // namespace vanto
