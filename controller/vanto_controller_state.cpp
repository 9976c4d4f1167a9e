// Restoring and saving: the component state the host hands over (parameters, CC map, pad
// overrides), and the controller's own state (CC map and pad overrides only).
#include "controller/vanto_controller.h"

#include "controller/controller_state_json.h"

#include "processor/state_chunk.h"
#include "processor/state_json_reader.h"
#include "processor/state_json_writer.h"
#include "processor/state_stream.h"
#include "sdk/host_call_failure.h"

#include <cmath>
#include <memory>

namespace vanto {

using Steinberg::IBStream;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::tresult;

namespace {

// A state is decoded into a fresh record each time; it is a few kilobytes, so it lives on the heap.
std::unique_ptr<StateChunk> parseState(const std::string& text) {
    auto state = std::make_unique<StateChunk>();
    if (!parseStateJson(text.data(), text.size(), *state)) {
        return nullptr;
    }
    return state;
}

} // namespace

tresult PLUGIN_API VantoController::setComponentState(IBStream* stream) try {
    if (stream == nullptr) {
        return kResultFalse;
    }
    std::string text;
    readStateStream(*stream, text);
    const std::unique_ptr<StateChunk> state = parseState(text);
    if (!state) {
        return kResultFalse;
    }
    presetState.lastStateBytes = static_cast<int64_t>(text.size());
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        // A value the document could not express (null) leaves the parameter as it is.
        if (state->paramPresent[id] && std::isfinite(state->params[id])) {
            setFromHostAndRelay(id, vanto_param_normalize(&VANTO_PARAMS[id], state->params[id]));
        }
    }
    restoreCcMapAndPads(*state);
    DiagnosticLifecycleEvent& event = recordLifecycle(kLifecycleStateRestored);
    event.addNumber("stateBytes", static_cast<double>(text.size()));
    event.addString("source", "component");
    publishLastLifecycle();
    return kResultOk;
} catch (...) {
    return hostCallFailed("setComponentState");
}

tresult PLUGIN_API VantoController::setState(IBStream* stream) try {
    if (stream == nullptr) {
        return kResultFalse;
    }
    std::string text;
    readStateStream(*stream, text);
    // A host that never saved the controller's state hands over an empty stream.
    if (text.empty()) {
        return kResultOk;
    }
    const std::unique_ptr<StateChunk> state = parseState(text);
    if (!state) {
        return kResultFalse;
    }
    restoreCcMapAndPads(*state);
    restoreCurrentPreset(*state);
    return kResultOk;
} catch (...) {
    return hostCallFailed("setState");
}

tresult PLUGIN_API VantoController::getState(IBStream* stream) try {
    if (stream == nullptr) {
        return kResultFalse;
    }
    std::string text;
    const CurrentPresetOut preset{presetState.currentId, presetState.currentName, baselineProgram};
    writeControllerStateJson(text, ccMapAdopted ? &ccMap : nullptr, padOverrides(), preset);
    return writeStateStream(*stream, text);
} catch (...) {
    return hostCallFailed("getState");
}

void VantoController::restoreCcMapAndPads(const StateChunk& state) {
    // A state without a CC map had none when it was saved, so no map of an earlier state stays.
    if (state.hasCcMap) {
        adoptCcMap(state.ccMap, true);
    } else {
        dropCcMap();
    }
    // A state without a sampler block means no overrides, not "keep the current ones".
    bankControl.adoptRestoredPadOverrides(state.hasPadOverrides ? state.padOverrides : SamplerPadOverrides{});
    bankControl.sendBankState("restore");
}

std::string VantoController::writeCurrentStateJson() const {
    double plain[VANTO_PARAM_COUNT];
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        plain[id] = currentPlainValue(id);
    }
    return writeStateJson(plain, -1, ccMapAdopted ? &ccMap : nullptr, kSamplerAssetNone,
                          kZoneProgramLegacySingleZone, nullptr, nullptr, &padOverrides());
}

} // namespace vanto
