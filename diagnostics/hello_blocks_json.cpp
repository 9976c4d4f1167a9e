#include "diagnostics/hello_blocks_json.h"

#include "diagnostics/host_facts_json.h"
#include "diagnostics/preset_state_json.h"

namespace vanto {

void appendDiagnosticHelloBlocks(std::string& out, DiagnosticTarget target, const HostFacts& host,
                                 const PresetStateFacts& presetState, const DiagnosticUiBuild& ui) {
    out += ",\"identity\":";
    writeDiagnosticIdentityJson(out, target, ui);
    if (host.sampleRate > 0) {
        out += ",\"host\":";
        writeDiagnosticHostJson(out, host);
    }
    out += ",\"diagnostics\":{\"feeds\":[],\"commands\":[],\"maxFeedHz\":0}";
    out += ",\"presetState\":";
    writeDiagnosticPresetStateJson(out, presetState);
}

} // namespace vanto
