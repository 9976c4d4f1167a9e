#include "banks/bank_state_json.h"

#include "banks/split_fields.h"
#include "encoding/decimal_17g.h"
#include "encoding/json_writer.h"
#include "kernel/param_table.h"

#include <cmath>

namespace vanto {

namespace {

void appendQuoted(std::string& out, const std::string& text) {
    jsonAppendQuotedBytes(out, text.data(), text.size());
}

// Bank preset values are written with 17 significant digits ("%.17g", whatever the process locale),
// so the page sees exactly the value the bank document gave.
void appendPresetValue(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    appendDecimal17g(out, value);
}

void appendInstrument(std::string& out, const LoadedBankFacts& bank) {
    out += ",\"instrument\":{\"id\":";
    appendQuoted(out, bank.instrumentId);
    out += ",\"name\":";
    appendQuoted(out, bank.instrumentName);
    out += ",\"list\":";
    appendQuoted(out, bank.instrumentList);
    out += '}';
}

void appendPositionings(std::string& out, const std::vector<std::string>& positionings) {
    out += ",\"positionings\":[";
    for (std::size_t i = 0; i < positionings.size(); ++i) {
        std::vector<std::string> fields = splitFields(positionings[i], 3);
        fields.resize(3);
        if (i > 0)
            out += ',';
        out += "{\"id\":";
        appendQuoted(out, fields[0]);
        out += ",\"name\":";
        appendQuoted(out, fields[1]);
        out += ",\"list\":";
        appendQuoted(out, fields[2]);
        out += '}';
    }
    out += ']';
}

void appendRuntime(std::string& out, const BankRequest& request, const LoadedBankFacts& bank) {
    out += ",\"runtime\":{\"source\":";
    appendQuoted(out, request.source);
    out += ",\"locator\":";
    appendQuoted(out, request.locator);
    if (!bank.instrumentId.empty())
        appendInstrument(out, bank);
    appendPositionings(out, bank.positionings);
    out += '}';
}

void appendBankPreset(std::string& out, const BankControlPreset& preset) {
    out += "{\"id\":";
    appendQuoted(out, preset.id);
    out += ",\"name\":";
    appendQuoted(out, preset.name);
    out += ",\"instrument\":";
    appendQuoted(out, preset.instrument);
    out += ",\"params\":{";
    for (std::size_t i = 0; i < preset.params.size(); ++i) {
        if (i > 0)
            out += ',';
        appendQuoted(out, preset.params[i].first);
        out += ':';
        appendPresetValue(out, preset.params[i].second);
    }
    out += "}}";
}

void appendFactoryPreset(std::string& out, const vanto_factory_preset& preset) {
    out += "{\"id\":";
    jsonAppendQuoted(out, preset.id);
    out += ",\"name\":";
    jsonAppendQuoted(out, preset.name);
    out += '}';
}

void appendPresets(std::string& out, bool bankScoped, const std::vector<BankControlPreset>& presets) {
    out += ",\"presets\":{\"bankScoped\":";
    out += bankScoped ? "true" : "false";
    out += ",\"items\":[";
    if (bankScoped) {
        for (std::size_t i = 0; i < presets.size(); ++i) {
            if (i > 0)
                out += ',';
            appendBankPreset(out, presets[i]);
        }
    } else {
        for (std::size_t i = 0; i < VANTO_FACTORY_PRESET_COUNT; ++i) {
            if (i > 0)
                out += ',';
            appendFactoryPreset(out, VANTO_FACTORY_PRESETS[i]);
        }
    }
    out += "]}";
}

void appendError(std::string& out, const char* code, const char* requestedId) {
    out += ",\"error\":{\"code\":";
    jsonAppendQuoted(out, code);
    out += ",\"requestedId\":";
    jsonAppendQuoted(out, requestedId);
    out += '}';
}

} // namespace

void writeBankStateJson(std::string& out, const BankStateView& state, const char* reason,
                        const char* errorCode, const char* requestedId) {
    out += "{\"type\":\"vanto.bankState\",\"reason\":";
    jsonAppendQuoted(out, reason != nullptr ? reason : "query");
    out += ",\"stateVersion\":1,\"pads\":";
    writeSamplerPadOverridesJson(out, state.pads);
    // No bank is compiled into this build.
    out += ",\"banks\":[]";
    if (state.hasRuntime && !state.request.source.empty())
        appendRuntime(out, state.request, state.bank);
    appendPresets(out, state.hasRuntime && !state.bank.presets.empty(), state.bank.presets);
    if (errorCode != nullptr)
        appendError(out, errorCode, requestedId);
    out += '}';
}

} // namespace vanto
