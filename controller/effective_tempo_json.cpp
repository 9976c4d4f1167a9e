#include "controller/effective_tempo_json.h"

#include "encoding/json_writer.h"
#include "kernel/effective_tempo.h"

namespace vanto {

EffectiveTempoFacts effectiveTempoFacts(int syncSource, double manualBpm, double hostBpm) {
    EffectiveTempoFacts facts;
    facts.hostBpm = hostTempoInRange(hostBpm);
    facts.fromHost = syncSource == kSyncSourceHost && facts.hostBpm > 0;
    facts.bpm = effectiveTempo(syncSource, manualBpm, hostBpm);
    return facts;
}

void writeEffectiveTempoJson(std::string& out, const EffectiveTempoFacts& facts) {
    out += "{\"bpm\":";
    jsonAppendNumber(out, facts.bpm);
    out += facts.fromHost ? ",\"source\":\"Host\"" : ",\"source\":\"Manual\"";
    out += ",\"hostBpm\":";
    if (facts.hostBpm > 0) {
        jsonAppendNumber(out, facts.hostBpm);
    } else {
        out += "null";
    }
    out += '}';
}

void writeTempoMessageJson(std::string& out, const EffectiveTempoFacts& facts) {
    out += "{\"type\":\"vanto.tempo\",\"tempo\":";
    writeEffectiveTempoJson(out, facts);
    out += '}';
}

} // namespace vanto
