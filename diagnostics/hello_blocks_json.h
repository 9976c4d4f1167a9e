// The diagnostics part of the editor's hello message.
#pragma once

#include "diagnostics/diagnostic_target.h"
#include "diagnostics/host_facts.h"
#include "diagnostics/identity_json.h"
#include "diagnostics/preset_state_facts.h"

#include <string>

namespace vanto {

// Appends ,"identity":{…}[,"host":{…}],"diagnostics":{…},"presetState":{…} to a hello being
// written; the host document only once a sample rate above 0 is known.
void appendDiagnosticHelloBlocks(std::string& out, DiagnosticTarget target, const HostFacts& host,
                                 const PresetStateFacts& presetState, const DiagnosticUiBuild& ui = {});

} // namespace vanto
