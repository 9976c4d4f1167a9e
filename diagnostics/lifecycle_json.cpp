#include "diagnostics/lifecycle_json.h"

#include "diagnostics/json_text_field.h"
#include "encoding/json_writer.h"

#include <algorithm>

namespace vanto {

namespace {

void appendFieldValue(std::string& out, const DiagnosticLifecycleField& field) {
    switch (field.type) {
    case kLifecycleFieldNumber:
        jsonAppendNumber(out, field.number);
        break;
    case kLifecycleFieldString:
        jsonAppendTextField(out, field.text);
        break;
    case kLifecycleFieldBool:
        out += field.boolean != 0 ? "true" : "false";
        break;
    default:
        out += "null";
        break;
    }
}

void appendDetail(std::string& out, const DiagnosticLifecycleEvent& event) {
    const uint32_t count = std::min(event.fieldCount, kLifecycleMaxFields);
    if (count == 0) {
        return;
    }
    out += ",\"detail\":{";
    for (uint32_t i = 0; i < count; ++i) {
        if (i > 0) {
            out += ',';
        }
        jsonAppendTextField(out, event.fields[i].name);
        out += ':';
        appendFieldValue(out, event.fields[i]);
    }
    out += '}';
}

// The "vanto.lifecycle" envelope around `count` events, `eventAt(i)` giving the i-th.
template <class EventAt>
void appendLifecycleMessage(std::string& out, uint32_t count, uint32_t dropped, EventAt&& eventAt) {
    out += "{\"type\":\"vanto.lifecycle\",\"events\":[";
    for (uint32_t i = 0; i < count; ++i) {
        if (i > 0) {
            out += ',';
        }
        writeDiagnosticLifecycleEventJson(out, eventAt(i));
    }
    out += ']';
    if (dropped != 0) {
        out += ",\"dropped\":";
        out += std::to_string(dropped);
    }
    out += '}';
}

} // namespace

void writeDiagnosticLifecycleEventJson(std::string& out, const DiagnosticLifecycleEvent& event) {
    out += "{\"seq\":";
    out += std::to_string(event.seq);
    out += ",\"timeMs\":";
    jsonAppendNumber(out, event.timeMs);
    if (event.atFrame >= 0) {
        out += ",\"atFrame\":";
        out += std::to_string(event.atFrame);
    }
    out += ",\"kind\":";
    const char* kind = diagnosticLifecycleKindName(event.kind);
    jsonAppendQuoted(out, kind != nullptr ? kind : diagnosticLifecycleKindName(kLifecycleRuntimeDiagnostic));
    appendDetail(out, event);
    out += '}';
}

bool writeDiagnosticLifecycleJson(std::string& out, const DiagnosticLifecycleEvent* events, uint32_t count,
                                  uint32_t dropped) {
    if (events == nullptr || count == 0) {
        return false;
    }
    appendLifecycleMessage(out, std::min(count, kLifecycleLogCapacity), dropped,
                           [&](uint32_t i) -> const DiagnosticLifecycleEvent& { return events[i]; });
    return true;
}

bool writeDiagnosticLifecycleReplayJson(std::string& out, const DiagnosticLifecycleLog& log) {
    if (log.count() == 0) {
        return false;
    }
    appendLifecycleMessage(out, log.count(), log.dropped(),
                           [&](uint32_t i) -> const DiagnosticLifecycleEvent& { return log.at(i); });
    return true;
}

} // namespace vanto
