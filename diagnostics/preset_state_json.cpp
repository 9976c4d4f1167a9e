#include "diagnostics/preset_state_json.h"

#include "diagnostics/json_text_field.h"

namespace vanto {

namespace {

template <std::size_t N> void appendTextMember(std::string& out, const char* name, const char (&field)[N]) {
    if (textFieldEmpty(field)) {
        return;
    }
    out += ',';
    jsonAppendQuoted(out, name);
    out += ':';
    jsonAppendTextField(out, field);
}

void appendCountMember(std::string& out, const char* name, int64_t value) {
    if (value < 0) {
        return;
    }
    out += ',';
    jsonAppendQuoted(out, name);
    out += ':';
    out += std::to_string(value);
}

} // namespace

void writeDiagnosticBankJson(std::string& out, const BankFacts& bank) {
    out += "{\"id\":";
    jsonAppendTextField(out, bank.id);
    appendTextMember(out, "name", bank.name);
    appendTextMember(out, "kind", bank.kind);
    appendTextMember(out, "version", bank.version);
    appendTextMember(out, "sha256", bank.sha256);
    appendTextMember(out, "source", bank.source);
    appendTextMember(out, "entryId", bank.entryId);
    appendCountMember(out, "index", bank.index);
    appendCountMember(out, "zoneCount", bank.zoneCount);
    appendCountMember(out, "roundRobinGroups", bank.roundRobinGroups);
    appendCountMember(out, "chokeGroups", bank.chokeGroups);
    appendCountMember(out, "velocityLayers", bank.velocityLayers);
    appendCountMember(out, "padCount", bank.padCount);
    out += '}';
}

void writeDiagnosticPresetStateJson(std::string& out, const PresetStateFacts& facts) {
    out += "{\"factoryCount\":";
    out += std::to_string(facts.factoryCount);
    appendTextMember(out, "currentId", facts.currentId);
    appendTextMember(out, "currentName", facts.currentName);
    out += facts.dirty ? ",\"dirty\":true" : ",\"dirty\":false";
    out += facts.userPresetsSupported ? ",\"userPresetsSupported\":true" : ",\"userPresetsSupported\":false";
    appendCountMember(out, "lastStateBytes", facts.lastStateBytes);
    if (facts.bank.valid && !textFieldEmpty(facts.bank.id)) {
        out += ",\"bank\":";
        writeDiagnosticBankJson(out, facts.bank);
    }
    out += '}';
}

} // namespace vanto
