#include "diagnostics/host_facts_json.h"

#include "diagnostics/host_change_kind.h"
#include "diagnostics/json_text_field.h"
#include "diagnostics/same_number.h"
#include "encoding/json_writer.h"

#include <algorithm>

namespace vanto {

namespace {

// Appends members of one object, with a comma before every member but the first.
class MemberWriter {
  public:
    explicit MemberWriter(std::string& out) : out_(out) {}

    std::string& key(const char* name) {
        if (!first_) {
            out_ += ',';
        }
        first_ = false;
        jsonAppendQuoted(out_, name);
        out_ += ':';
        return out_;
    }

    bool empty() const { return first_; }

  private:
    std::string& out_;
    bool first_ = true;
};

const char* validatorHostName(uint8_t validator) {
    switch (validator) {
    case kValidatorPluginval:
        return "pluginval";
    case kValidatorClapValidator:
        return "clap-validator";
    case kValidatorAuval:
        return "auval";
    case kValidatorSteinberg:
        return "steinberg-validator";
    case kValidatorVantoProbe:
        return "vanto-probe";
    default:
        return nullptr;
    }
}

// A record from the other component may carry an unlisted mode; it is shown as the default one.
const char* processModeName(uint32_t mode) {
    switch (mode) {
    case kHostProcessOffline:
        return "offline";
    case kHostProcessPrefetch:
        return "prefetch";
    default:
        return "realtime";
    }
}

void appendSampleRate(MemberWriter& members, const HostFacts& facts) {
    jsonAppendNumber(members.key("sampleRate"), facts.sampleRate);
}

void appendMaxBlockFrames(MemberWriter& members, const HostFacts& facts) {
    members.key("maxBlockFrames") += std::to_string(facts.maxBlockFrames);
}

void appendLastBlockFrames(MemberWriter& members, const HostFacts& facts) {
    members.key("lastBlockFrames") += std::to_string(facts.lastBlockFrames);
}

void appendProcessMode(MemberWriter& members, const HostFacts& facts) {
    jsonAppendQuoted(members.key("processMode"), processModeName(facts.processMode));
}

void appendSampleSize(MemberWriter& members, const HostFacts& facts) {
    members.key("sampleSize") += std::to_string(facts.sampleSize);
}

void appendLatency(MemberWriter& members, const HostFacts& facts) {
    members.key("latencySamples") += std::to_string(facts.latencySamples);
}

void appendTail(MemberWriter& members, const HostFacts& facts) {
    std::string& out = members.key("tailSamples");
    if (facts.tailKind == kHostTailInfinite) {
        out += "\"infinite\"";
    } else if (facts.tailKind == kHostTailSamples) {
        out += std::to_string(facts.tailSamples);
    } else {
        out += "\"unreported\"";
    }
}

void appendInternalSampleRate(MemberWriter& members, const HostFacts& facts) {
    jsonAppendNumber(members.key("internalSampleRate"), facts.internalSampleRate);
}

void appendBuses(MemberWriter& members, const HostFacts& facts) {
    appendBusesJson(members.key("buses"), facts);
}

void appendBypassed(MemberWriter& members, const HostFacts& facts) {
    members.key("bypassed") += facts.bypassed != 0 ? "true" : "false";
}

template <std::size_t N>
void appendTextIfPresent(MemberWriter& members, const char* name, const char (&field)[N]) {
    if (!textFieldEmpty(field)) {
        jsonAppendTextField(members.key(name), field);
    }
}

void appendBusJson(std::string& out, const HostBusFacts& bus) {
    out += "{\"id\":";
    jsonAppendTextField(out, bus.id);
    out += bus.isInput != 0 ? ",\"direction\":\"input\"" : ",\"direction\":\"output\"";
    out += ",\"channels\":";
    out += std::to_string(bus.channels);
    out += bus.active != 0 ? ",\"active\":true" : ",\"active\":false";
    if (!textFieldEmpty(bus.layout)) {
        out += ",\"layout\":";
        jsonAppendTextField(out, bus.layout);
    }
    out += '}';
}

// The delta's members, in document order; true when any was written.
bool appendDeltaMembers(std::string& out, const HostFacts& previous, const HostFacts& next) {
    MemberWriter members(out);
    if (!sameNumber(previous.sampleRate, next.sampleRate)) {
        appendSampleRate(members, next);
    }
    if (previous.maxBlockFrames != next.maxBlockFrames) {
        appendMaxBlockFrames(members, next);
    }
    if (previous.lastBlockFrames != next.lastBlockFrames && next.lastBlockFrames >= 0) {
        appendLastBlockFrames(members, next);
    }
    if (previous.processMode != next.processMode) {
        appendProcessMode(members, next);
    }
    if (previous.sampleSize != next.sampleSize) {
        appendSampleSize(members, next);
    }
    if (previous.latencySamples != next.latencySamples) {
        appendLatency(members, next);
    }
    if (hostTailDiffers(previous, next)) {
        appendTail(members, next);
    }
    if (!sameNumber(previous.internalSampleRate, next.internalSampleRate) && next.internalSampleRate > 0) {
        appendInternalSampleRate(members, next);
    }
    if (hostBusesDiffer(previous, next)) {
        appendBuses(members, next);
    }
    if (hostBypassChanged(previous, next)) {
        appendBypassed(members, next);
    }
    return !members.empty();
}

} // namespace

void appendBusesJson(std::string& out, const HostFacts& facts) {
    out += '[';
    const uint32_t count = std::min(facts.busCount, kHostFactsMaxBuses);
    for (uint32_t i = 0; i < count; ++i) {
        if (i > 0) {
            out += ',';
        }
        appendBusJson(out, facts.buses[i]);
    }
    out += ']';
}

void writeDiagnosticHostJson(std::string& out, const HostFacts& facts) {
    out += '{';
    MemberWriter members(out);
    appendTextIfPresent(members, "hostName", facts.hostName);
    appendTextIfPresent(members, "hostVersion", facts.hostVersion);
    appendTextIfPresent(members, "hostPath", facts.hostPath);
    if (const char* validator = validatorHostName(facts.validatorHost)) {
        jsonAppendQuoted(members.key("validatorHost"), validator);
    }
    appendSampleRate(members, facts);
    appendMaxBlockFrames(members, facts);
    if (facts.lastBlockFrames >= 0) {
        appendLastBlockFrames(members, facts);
    }
    appendProcessMode(members, facts);
    appendSampleSize(members, facts);
    appendLatency(members, facts);
    appendTail(members, facts);
    if (facts.internalSampleRate > 0) {
        appendInternalSampleRate(members, facts);
    }
    appendBuses(members, facts);
    if (facts.bypassKnown != 0) {
        appendBypassed(members, facts);
    }
    out += '}';
}

bool writeDiagnosticHostDeltaJson(std::string& out, const HostFacts& previous, const HostFacts& next) {
    std::string members;
    if (!appendDeltaMembers(members, previous, next)) {
        return false;
    }
    out += '{';
    out += members;
    out += '}';
    return true;
}

bool writeDiagnosticHostChangedJson(std::string& out, const HostFacts& previous, const HostFacts& next,
                                    uint32_t seq, double timeMs) {
    std::string delta;
    if (!writeDiagnosticHostDeltaJson(delta, previous, next)) {
        return false;
    }
    out += "{\"type\":\"vanto.hostChanged\",\"host\":";
    out += delta;
    if (const char* kind = diagnosticHostChangeKind(previous, next)) {
        out += ",\"event\":{\"seq\":";
        out += std::to_string(seq);
        out += ",\"timeMs\":";
        jsonAppendNumber(out, timeMs);
        out += ",\"kind\":";
        jsonAppendQuoted(out, kind);
        out += '}';
    }
    out += '}';
    return true;
}

} // namespace vanto
