#include "document_round_trip.h"

#include "fuzz_check.h"
#include "strict_json_check.h"

#include "ccmap/cc_map_json_reader.h"
#include "ccmap/cc_map_json_writer.h"
#include "processor/state_json_reader.h"
#include "processor/state_json_writer.h"

#include <cmath>
#include <memory>

namespace vanto::fuzz {

namespace {

BankStateRefOut bankOf(const StateChunk& state) {
    BankStateRefOut bank;
    bank.id = state.bankId;
    bank.bankVersion = state.bankVersion;
    bank.sha256 = state.bankSha256;
    bank.source = state.bankSource;
    bank.presetId = state.hasBankPresetId ? state.bankPresetId : nullptr;
    bank.instrument = state.bankInstrument;
    bank.locator = state.hasBankLocator ? state.bankLocator : nullptr;
    return bank;
}

void checkParams(const StateChunk& state, const StateChunk& again) {
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        if (state.paramPresent[id] && std::isfinite(state.params[id])) {
            FUZZ_CHECK(again.paramPresent[id]);
            FUZZ_CHECK(again.params[id] == state.params[id]);
        }
    }
}

void checkBlocks(const StateChunk& state, const StateChunk& again) {
    FUZZ_CHECK(again.variation == (state.variation >= 0 ? state.variation : -1));
    FUZZ_CHECK(again.hasCcMap == state.hasCcMap);
    FUZZ_CHECK(again.ccMap == state.ccMap);
    FUZZ_CHECK(again.samplerAssetFault == state.samplerAssetFault);
    FUZZ_CHECK(again.samplerZoneProgram == state.samplerZoneProgram);
    FUZZ_CHECK(again.hasPadOverrides == (state.hasPadOverrides && !state.padOverrides.empty()));
    FUZZ_CHECK(again.hasBankRef == state.hasBankRef);
    FUZZ_CHECK(again.hasAuthoredState == state.hasAuthoredState);
    if (state.hasAuthoredState) {
        FUZZ_CHECK(again.authoredBytes == state.authoredBytes);
        FUZZ_CHECK(again.authoredVersion == state.authoredVersion);
    }
}

bool rewriteState(const std::string& text, std::string& out) {
    auto state = std::make_unique<StateChunk>();
    if (!parseStateJson(text.data(), text.size(), *state)) {
        return false;
    }
    out = writeStateChunk(*state);
    return true;
}

bool rewriteCcMap(const std::string& text, std::string& out) {
    CcMap map;
    if (!parseCcMapJson(text.data(), text.size(), map)) {
        return false;
    }
    out.clear();
    writeCcMapJson(out, map);
    return true;
}

bool rewritePadOverrides(const std::string& text, std::string& out) {
    SamplerPadOverrides pads;
    if (!parseSamplerPadOverridesJson(text.data(), text.size(), pads)) {
        return false;
    }
    out.clear();
    writeSamplerPadOverridesJson(out, pads);
    return true;
}

} // namespace

std::string writeStateChunk(const StateChunk& state) {
    const BankStateRefOut bank = bankOf(state);
    AuthoredStateOut authored;
    if (state.hasAuthoredState) {
        authored.bytes = state.authoredBytes.data();
        authored.size = state.authoredBytes.size();
        authored.version = state.authoredVersion;
    }
    return writeStateJson(state.params, state.variation, state.hasCcMap ? &state.ccMap : nullptr,
                          state.samplerAssetFault, state.samplerZoneProgram,
                          state.hasBankRef ? &bank : nullptr, &authored,
                          state.hasPadOverrides ? &state.padOverrides : nullptr);
}

void checkTextRoundTrip(const std::string& written, bool exact,
                        const std::function<bool(const std::string&, std::string&)>& rewrite) {
    FUZZ_CHECK(isStrictJson(written));
    std::string again;
    FUZZ_CHECK(rewrite(written, again));
    const bool normalises =
        !exact || written.find("\\u") != std::string::npos || written.find("null") != std::string::npos;
    if (normalises) {
        std::string normalised;
        FUZZ_CHECK(rewrite(again, normalised));
        FUZZ_CHECK(normalised == again);
    } else {
        FUZZ_CHECK(again == written);
    }
}

void checkStateRoundTrip(const StateChunk& state, bool readFromUtf8) {
    const std::string text = writeStateChunk(state);
    checkTextRoundTrip(text, readFromUtf8, rewriteState);
    auto again = std::make_unique<StateChunk>();
    FUZZ_CHECK(parseStateJson(text.data(), text.size(), *again));
    checkParams(state, *again);
    checkBlocks(state, *again);
}

void checkCcMapRoundTrip(const CcMap& map) {
    std::string text;
    writeCcMapJson(text, map);
    checkTextRoundTrip(text, true, rewriteCcMap);
    CcMap again;
    FUZZ_CHECK(parseCcMapJson(text.data(), text.size(), again));
    FUZZ_CHECK(again == map);
}

void checkPadOverridesRoundTrip(const SamplerPadOverrides& pads, bool readFromUtf8) {
    FUZZ_CHECK(pads.size() <= kMaxSamplerPadOverrides);
    std::string text;
    writeSamplerPadOverridesJson(text, pads);
    checkTextRoundTrip(text, readFromUtf8, rewritePadOverrides);
}

} // namespace vanto::fuzz
