#include "diagnostics/transport_json.h"

#include "encoding/json_writer.h"

#include <cmath>

namespace vanto {

namespace {

const char* sourceName(uint8_t source) {
    switch (source) {
    case kTransportSourceHost:
        return "\"host\"";
    case kTransportSourceInternal:
        return "\"internal\"";
    default:
        return "\"none\"";
    }
}

const char* boolText(bool value) {
    return value ? "true" : "false";
}

void appendMember(std::string& out, const char* key, const char* text) {
    out += key;
    out += text;
}

void appendNumberMember(std::string& out, const char* key, double value) {
    out += key;
    jsonAppendNumber(out, value);
}

void appendNullableMember(std::string& out, const char* key, bool meaningful, double value) {
    if (meaningful) {
        appendNumberMember(out, key, value);
    } else {
        appendMember(out, key, "null");
    }
}

} // namespace

void writeDiagnosticTransportJson(std::string& out, const TransportFact& fact) {
    out += "{\"type\":\"vanto.transport\",\"frame\":{\"atFrame\":";
    out += std::to_string(fact.atFrame);
    appendMember(out, ",\"source\":", sourceName(fact.source));
    appendMember(out, ",\"state\":{\"playing\":", boolText(fact.playing));
    appendMember(out, ",\"recording\":", boolText(fact.recording));
    appendMember(out, ",\"looping\":", boolText(fact.looping));
    appendNumberMember(out, ",\"tempo\":", fact.tempo);
    out += ",\"timeSignature\":{\"numerator\":";
    out += std::to_string(fact.numerator);
    out += ",\"denominator\":";
    out += std::to_string(fact.denominator);
    out += '}';
    appendNumberMember(out, ",\"ppqPosition\":", fact.ppqPosition);
    appendNumberMember(out, ",\"barPositionPpq\":", fact.barPositionPpq);
    appendNullableMember(out, ",\"loopStartPpq\":", fact.hasLoop, fact.loopStartPpq);
    appendNullableMember(out, ",\"loopEndPpq\":", fact.hasLoop, fact.loopEndPpq);
    appendNullableMember(out, ",\"sampleRate\":", std::isfinite(fact.sampleRate) && fact.sampleRate > 0,
                         fact.sampleRate);
    out += ",\"projectTimeSamples\":";
    out += std::to_string(fact.projectTimeSamples);
    appendMember(out, "},\"capabilities\":{\"tempo\":", boolText(fact.hasTempo));
    appendMember(out, ",\"timeSignature\":", boolText(fact.hasTimeSignature));
    appendMember(out, ",\"position\":", boolText(fact.hasPosition));
    appendMember(out, ",\"loop\":", boolText(fact.hasLoop));
    appendMember(out, ",\"canSetTempo\":", boolText(fact.canSetTempo));
    out += "}}}";
}

} // namespace vanto
