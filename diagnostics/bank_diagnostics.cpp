#include "diagnostics/bank_diagnostics.h"

#include "diagnostics/diagnostic_vocabulary.h"

#include <cstdio>

namespace vanto {

namespace {

const char* orEmpty(const char* text) {
    return text != nullptr ? text : "";
}

uint32_t bankRefusalCode(bool digestMismatch) {
    return digestMismatch ? kDiagBankHashMismatch : kDiagBankMissing;
}

} // namespace

// The texts are formatted into buffers larger than the record's fields; recording then cuts them
// to the field sizes at a character boundary.
void recordRuntimeBankRefusal(vanto_runtime_diagnostic_ring& ring, bool digestMismatch, const char* reason,
                              const char* message, const char* source) {
    char text[2 * VANTO_DIAGNOSTIC_MESSAGE_SIZE];
    std::snprintf(text, sizeof text, "runtime bank load refused (%s): %s", orEmpty(reason), orEmpty(message));
    char detail[2 * VANTO_DIAGNOSTIC_DETAIL_SIZE];
    std::snprintf(detail, sizeof detail, "{\"reason\":\"%s\",\"source\":\"%s\"}", orEmpty(reason),
                  orEmpty(source));
    recordRuntimeDiagnostic(ring, bankRefusalCode(digestMismatch), kSeverityError, kPhaseLoad, text, detail);
}

void recordBankRecallRefusal(vanto_runtime_diagnostic_ring& ring, bool digestMismatch, const char* bankId,
                             uint32_t compiledBankCount) {
    const char* message =
        digestMismatch ? "state recall named a bank whose manifest hash differs from the one compiled in; "
                         "parameters kept, output silent"
                       : "state recall named a bank this build does not contain; parameters kept, output "
                         "silent, no bank substituted";
    char detail[2 * VANTO_DIAGNOSTIC_DETAIL_SIZE];
    std::snprintf(detail, sizeof detail, "{\"bank\":\"%s\",\"banks\":%u}", orEmpty(bankId),
                  compiledBankCount);
    recordRuntimeDiagnostic(ring, bankRefusalCode(digestMismatch), kSeverityError, kPhaseState, message,
                            detail);
}

} // namespace vanto
