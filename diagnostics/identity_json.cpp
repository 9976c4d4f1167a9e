#include "diagnostics/identity_json.h"

#include "encoding/json_writer.h"

namespace vanto {

namespace {

bool present(const char* text) {
    return text != nullptr && text[0] != '\0';
}

void appendUiBuild(std::string& out, const DiagnosticUiBuild& ui) {
    const struct {
        const char* name;
        const char* value;
    } members[] = {{"buildTime", ui.buildTime}, {"sourceRevision", ui.sourceRevision}, {"sha256", ui.sha256}};
    bool first = true;
    for (const auto& member : members) {
        if (!present(member.value)) {
            continue;
        }
        out += first ? ",\"ui\":{" : ",";
        first = false;
        jsonAppendQuoted(out, member.name);
        out += ':';
        jsonAppendQuoted(out, member.value);
    }
    if (!first) {
        out += '}';
    }
}

} // namespace

void writeDiagnosticIdentityJson(std::string& out, DiagnosticTarget target, const DiagnosticUiBuild& ui) {
    out += "{\"moduleId\":\"music.vanto.dovrel\",\"name\":\"Dovrel\",\"vendor\":\"Vanto Music\","
           "\"version\":\"0.0.0\",\"hostClass\":\"effect\",\"target\":";
    jsonAppendQuoted(out, diagnosticTargetName(target));
    out += ",\"sdkVersion\":\"0.0.0\",\"build\":{\"mode\":\"production\",\"configuration\":\"Release\"}";
    appendUiBuild(out, ui);
    out += ",\"ratePolicy\":{\"mode\":\"fixed\",\"sampleRate\":48000}"
           ",\"state\":{\"version\":1,\"maxBytes\":65536}"
           ",\"ports\":["
           "{\"id\":\"in\",\"kind\":\"audio\",\"direction\":\"input\",\"busRole\":\"main\",\"channels\":2},"
           "{\"id\":\"out\",\"kind\":\"audio\",\"direction\":\"output\",\"busRole\":\"main\",\"channels\":2},"
           "{\"id\":\"midi-in\",\"kind\":\"midi\",\"direction\":\"input\",\"busRole\":\"main\"}]}";
}

} // namespace vanto
