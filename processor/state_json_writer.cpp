#include "processor/state_json_writer.h"

#include "banks/sampler_pad_overrides.h"
#include "ccmap/cc_map_json_writer.h"
#include "encoding/base64.h"
#include "encoding/json_writer.h"
#include "kernel/param_table.h"
#include "processor/sampler_state_names.h"

namespace vanto {

namespace {

// Enough for the 34 parameters with full-precision values, so a plain state never reallocates.
constexpr std::size_t kStateReserveBytes = 1159;

bool isPresent(const char* text) {
    return text != nullptr && text[0] != '\0';
}

void appendParams(std::string& out, const double* params) {
    out += "{\"params\":{";
    for (std::size_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        if (id > 0) {
            out += ',';
        }
        jsonAppendQuoted(out, VANTO_PARAMS[id].path);
        out += ':';
        jsonAppendNumber(out, params[id]);
    }
    out += '}';
}

void appendZoneProgram(std::string& out, SamplerZoneProgram program) {
    out += ",\"samplerZoneAbi\":\"vanto-dual-stack-sampler/zone-layer/v1\",\"samplerZoneVersion\":1,"
           "\"samplerZoneProgram\":";
    jsonAppendQuoted(out, samplerZoneProgramName(program));
}

void appendSampler(std::string& out, const SamplerPadOverrides& pads) {
    out += ",\"sampler\":{\"v\":1,\"pads\":";
    writeSamplerPadOverridesJson(out, pads);
    out += '}';
}

void appendOptionalText(std::string& out, const char* member, const char* text) {
    if (isPresent(text)) {
        out += member;
        jsonAppendQuoted(out, text);
    }
}

void appendBank(std::string& out, const BankStateRefOut& bank) {
    out += ",\"bank\":{\"version\":1,\"id\":";
    jsonAppendQuoted(out, bank.id);
    appendOptionalText(out, ",\"bankVersion\":", bank.bankVersion);
    appendOptionalText(out, ",\"sha256\":", bank.sha256);
    appendOptionalText(out, ",\"locator\":", bank.locator);
    out += ",\"source\":";
    jsonAppendQuoted(out, isPresent(bank.source) ? bank.source : kBankSourceEmbedded);
    appendOptionalText(out, ",\"instrument\":", bank.instrument);
    appendOptionalText(out, ",\"presetId\":", bank.presetId);
    out += '}';
}

void appendAuthored(std::string& out, const AuthoredStateOut& authored) {
    out += ",\"authoredState\":{\"v\":";
    out += std::to_string(authored.version);
    out += ",\"bytes\":\"";
    base64Append(out, authored.bytes, authored.size);
    out += "\"}";
}

} // namespace

std::string writeStateJson(const double* params, int variation, const CcMap* ccMap,
                           SamplerAssetDiagnostic fault, SamplerZoneProgram program,
                           const BankStateRefOut* bank, const AuthoredStateOut* authored,
                           const SamplerPadOverrides* pads) {
    std::string out;
    out.reserve(kStateReserveBytes);
    appendParams(out, params);
    if (variation >= 0) {
        out += ",\"variation\":";
        out += std::to_string(variation);
    }
    if (ccMap != nullptr) {
        out += ",\"ccMap\":";
        writeCcMapJson(out, *ccMap);
    }
    if (fault != kSamplerAssetNone) {
        out += ",\"samplerAssetFault\":";
        jsonAppendQuoted(out, samplerAssetDiagnosticName(fault));
    }
    if (program != kZoneProgramLegacySingleZone) {
        appendZoneProgram(out, program);
    }
    if (pads != nullptr && !pads->empty()) {
        appendSampler(out, *pads);
    }
    if (bank != nullptr && isPresent(bank->id)) {
        appendBank(out, *bank);
    }
    if (authored != nullptr && authored->bytes != nullptr && authored->size > 0) {
        appendAuthored(out, *authored);
    }
    out += '}';
    return out;
}

} // namespace vanto
