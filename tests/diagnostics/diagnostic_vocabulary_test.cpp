#include "diagnostics/diagnostic_vocabulary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace vanto {
namespace {

TEST(DiagnosticVocabulary, CodeNamesFollowTheNumbering) {
    const char* const names[] = {
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
    for (uint32_t code = 0; code < std::size(names); ++code) {
        EXPECT_STREQ(diagnosticCodeName(code), names[code]) << "code " << code;
    }
    for (const uint32_t code : {29u, 1000u, UINT32_MAX}) {
        EXPECT_STREQ(diagnosticCodeName(code), "runtime.unknown") << "code " << code;
    }
}

TEST(DiagnosticVocabulary, SeverityNamesAndRecoverability) {
    const struct {
        uint8_t severity;
        const char* name;
        bool recoverable;
    } cases[] = {{0, "info", true},   {1, "warning", true}, {2, "error", false},  {3, "fatal", false},
                 {4, "error", false}, {7, "error", false},  {255, "error", false}};
    for (const auto& c : cases) {
        EXPECT_STREQ(diagnosticSeverityName(c.severity), c.name) << int{c.severity};
        EXPECT_EQ(isRecoverableSeverity(c.severity), c.recoverable) << int{c.severity};
    }
}

TEST(DiagnosticVocabulary, PhaseNames) {
    const char* const names[] = {"build",    "package", "install", "scan",  "load",   "configure",
                                 "activate", "process", "preset",  "state", "editor", "shutdown"};
    for (uint8_t phase = 0; phase < std::size(names); ++phase) {
        EXPECT_STREQ(diagnosticPhaseName(phase), names[phase]) << int{phase};
    }
    EXPECT_STREQ(diagnosticPhaseName(12), "process");
    EXPECT_STREQ(diagnosticPhaseName(255), "process");
}

} // namespace
} // namespace vanto
