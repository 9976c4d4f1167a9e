#include "diagnostics/runtime_health_json.h"

#include "diagnostics/diagnostic_vocabulary.h"
#include "encoding/json_writer.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace vanto {

namespace {

// The identity and host configuration repeated in every diagnostic document of one report.
struct ReportContext {
    const char* moduleId;
    const char* version;
    double sampleRate;
    int maxBlockFrames;
};

// Record texts are read only up to their field size, so a record without a terminator cannot make
// the writer run past it.
void appendQuotedField(std::string& out, const char* field, std::size_t size) {
    jsonAppendQuotedBytes(out, field, strnlen(field, size));
}

void appendQuotedOrUnknown(std::string& out, const char* text) {
    jsonAppendQuoted(out, text != nullptr ? text : "unknown");
}

void appendRuntimeDiagnosticJson(std::string& out, const vanto_runtime_diagnostic& record,
                                 const ReportContext& context) {
    out += "{\"format\":\"vanto-plugin-runtime-diagnostic/v1\",\"schemaVersion\":1,\"sequence\":";
    out += std::to_string(record.sequence);
    out += ",\"code\":";
    jsonAppendQuoted(out, diagnosticCodeName(record.code));
    out += ",\"severity\":";
    jsonAppendQuoted(out, diagnosticSeverityName(record.severity));
    out += ",\"phase\":";
    jsonAppendQuoted(out, diagnosticPhaseName(record.phase));
    out += ",\"component\":\"shell\",\"message\":";
    appendQuotedField(out, record.message, sizeof record.message);
    out += ",\"recoverable\":";
    out += isRecoverableSeverity(record.severity) ? "true" : "false";
    out += ",\"identity\":{\"moduleId\":";
    appendQuotedOrUnknown(out, context.moduleId);
    out += ",\"version\":";
    appendQuotedOrUnknown(out, context.version);
    out += ",\"target\":\"vst3\"},\"configuration\":{\"sampleRate\":";
    jsonAppendNumber(out, context.sampleRate);
    out += ",\"maxBlockFrames\":";
    out += std::to_string(context.maxBlockFrames);
    out += "},\"occurrence\":{\"count\":1}";
    if (record.detail[0] != '\0') {
        // Some details are JSON texts themselves; they still travel as strings.
        out += ",\"context\":{\"detail\":";
        appendQuotedField(out, record.detail, sizeof record.detail);
        out += '}';
    }
    out += '}';
}

// The stored records; a count beyond the capacity (a damaged copy) is read as a full ring.
std::span<const vanto_runtime_diagnostic> storedRecords(const vanto_runtime_diagnostic_ring& ring) {
    return {ring.entries, std::min(ring.count, VANTO_RUNTIME_DIAGNOSTIC_CAPACITY)};
}

const char* healthStatus(const vanto_runtime_diagnostic_ring& ring, bool failed) {
    const auto records = storedRecords(ring);
    const auto hasSeverityAtLeast = [&](uint8_t severity) {
        return std::any_of(records.begin(), records.end(), [&](const vanto_runtime_diagnostic& record) {
            return record.severity >= severity;
        });
    };
    if (failed || hasSeverityAtLeast(kSeverityError)) {
        return "failed";
    }
    if (ring.dropped != 0 || hasSeverityAtLeast(kSeverityWarning)) {
        return "degraded";
    }
    return "healthy";
}

const vanto_runtime_diagnostic* firstErrorRecord(const vanto_runtime_diagnostic_ring& ring) {
    if (ring.firstErrorSequence == 0) {
        return nullptr;
    }
    for (const vanto_runtime_diagnostic& record : storedRecords(ring)) {
        if (record.sequence == ring.firstErrorSequence) {
            return &record;
        }
    }
    return nullptr;
}

// A diagnostic document with maximal texts stays below this size, so a full report needs at most
// one reallocation.
constexpr std::size_t kDiagnosticDocumentReserve = 900;

} // namespace

std::string writeRuntimeHealthJson(const vanto_runtime_diagnostic_ring& ring, const char* moduleId,
                                   const char* version, double sampleRate, int maxBlockFrames, bool failed) {
    const ReportContext context{moduleId, version, sampleRate, maxBlockFrames};
    const auto records = storedRecords(ring);
    std::string out;
    out.reserve(256 + (records.size() + 1) * kDiagnosticDocumentReserve);
    out +=
        "{\"format\":\"vanto-runtime-health/v1\",\"schemaVersion\":1,\"instanceId\":\"vst3\",\"lifecycle\":";
    out += failed ? "\"failed\"" : "\"configured\"";
    out += ",\"status\":";
    jsonAppendQuoted(out, healthStatus(ring, failed));
    out += ",\"counters\":{\"diagnostics\":";
    out += std::to_string(records.size());
    out += ",\"diagnostics.dropped\":";
    out += std::to_string(ring.dropped);
    out += "},\"diagnostics\":[";
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        appendRuntimeDiagnosticJson(out, records[i], context);
    }
    out += ']';
    if (const vanto_runtime_diagnostic* firstError = firstErrorRecord(ring)) {
        out += ",\"firstError\":";
        appendRuntimeDiagnosticJson(out, *firstError, context);
    }
    out += '}';
    return out;
}

} // namespace vanto
