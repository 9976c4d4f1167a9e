// The preset-state block of the editor's hello and the bank document inside it.
#pragma once

#include "diagnostics/bank_facts.h"
#include "diagnostics/preset_state_facts.h"

#include <string>

namespace vanto {

// {"id":…} then the non-empty texts (name, kind, version, sha256, source, entryId) and the counts
// that are >= 0 (index, zoneCount, roundRobinGroups, chokeGroups, velocityLayers, padCount).
void writeDiagnosticBankJson(std::string& out, const BankFacts& bank);

// {"factoryCount":n[,"currentId":…][,"currentName":…],"dirty":b,"userPresetsSupported":b
// [,"lastStateBytes":n][,"bank":{…}]}, the bank only when valid with a non-empty id.
void writeDiagnosticPresetStateJson(std::string& out, const PresetStateFacts& facts);

} // namespace vanto
