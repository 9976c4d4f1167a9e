#include "diagnostics/bank_diagnostics.h"

#include "diagnostics/diagnostic_vocabulary.h"
#include "encoding/json_writer.h"

#include <cstdio>
#include <string>

namespace vanto {

namespace {

const char* orEmpty(const char* text) {
    return text != nullptr ? text : "";
}

uint32_t bankRefusalCode(bool digestMismatch) {
    return digestMismatch ? kDiagBankHashMismatch : kDiagBankMissing;
}

// Bank ids and folder paths come from files and the page: quoted by the JSON rules, so a quote or a
// control byte in them cannot break the detail document.
std::string runtimeRefusalDetail(const char* reason, const char* source) {
    std::string detail = "{\"reason\":";
    jsonAppendQuoted(detail, reason);
    detail += ",\"source\":";
    jsonAppendQuoted(detail, source);
    detail += '}';
    return detail;
}

std::string recallRefusalDetail(const char* bankId, uint32_t compiledBankCount) {
    std::string detail = "{\"bank\":";
    jsonAppendQuoted(detail, bankId);
    detail += ",\"banks\":" + std::to_string(compiledBankCount) + '}';
    return detail;
}

} // namespace

// The texts are formatted into buffers larger than the record's fields; recording then cuts them
// to the field sizes at a character boundary.
void recordRuntimeBankRefusal(vanto_runtime_diagnostic_ring& ring, bool digestMismatch, const char* reason,
                              const char* message, const char* source) {
    char text[2 * VANTO_DIAGNOSTIC_MESSAGE_SIZE];
    std::snprintf(text, sizeof text, "runtime bank load refused (%s): %s", orEmpty(reason), orEmpty(message));
    const std::string detail = runtimeRefusalDetail(reason, source);
    recordRuntimeDiagnostic(ring, bankRefusalCode(digestMismatch), kSeverityError, kPhaseLoad, text,
                            detail.c_str());
}

void recordBankRecallRefusal(vanto_runtime_diagnostic_ring& ring, bool digestMismatch, const char* bankId,
                             uint32_t compiledBankCount) {
    const char* message =
        digestMismatch ? "state recall named a bank whose manifest hash differs from the one compiled in; "
                         "parameters kept, output silent"
                       : "state recall named a bank this build does not contain; parameters kept, output "
                         "silent, no bank substituted";
    const std::string detail = recallRefusalDetail(bankId, compiledBankCount);
    recordRuntimeDiagnostic(ring, bankRefusalCode(digestMismatch), kSeverityError, kPhaseState, message,
                            detail.c_str());
}

} // namespace vanto
