// The controller's side of the page bridge: decoding each message the page posts and acting on it,
// and the greeting the page draws itself from.
#include "controller/vanto_controller.h"

#include "controller/bridge_json.h"
#include "controller/bridge_message.h"
#include "controller/factory_program.h"
#include "processor/state_chunk.h"
#include "sdk/host_call_failure.h"
#include "ui/ui_bundle.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace vanto {

namespace {

using Steinberg::Vst::ParamID;

constexpr int32_t kNoParameter = -1;

// The parameter whose path equals `path` byte for byte, or kNoParameter.
int32_t parameterIdOfPath(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        return kNoParameter;
    }
    const vanto_param_desc* row = vanto_param_find(path.c_str());
    return row != nullptr ? static_cast<int32_t>(row->id) : kNoParameter;
}

// The factory preset index of an id slug, or -1.
int32_t factoryPresetIndexOfId(const std::string& id) {
    if (id.find('\0') != std::string::npos) {
        return -1;
    }
    const vanto_factory_preset* preset = vanto_factory_preset_find(id.c_str());
    return preset != nullptr ? static_cast<int32_t>(preset - VANTO_FACTORY_PRESETS) : -1;
}

// A note number as the log shows it: truncated toward zero, NaN as 0 and out-of-range values held
// at the int range, since a page may send any number.
int noteForLog(double note) {
    if (std::isnan(note)) {
        return 0;
    }
    constexpr double kLowest = std::numeric_limits<int>::min();
    constexpr double kHighest = std::numeric_limits<int>::max();
    return static_cast<int>(std::trunc(std::fmax(kLowest, std::fmin(kHighest, note))));
}

void logNote(const BridgeMessage& message) {
    std::fprintf(stderr, "vanto-plugin-shell: bridge %s note=%d\n", message.type.c_str(),
                 noteForLog(message.note));
}

} // namespace

void VantoController::handleBridgeMessage(const char* bytes, std::size_t length) try {
    BridgeMessage message;
    if (!parseBridgeMessage(bytes, length, message)) {
        std::fprintf(stderr, "vanto-plugin-shell: malformed bridge message (%zu bytes)\n", length);
        return;
    }
    const std::string& type = message.type;
    if (type == "vanto.ready") {
        sendHello();
        return;
    }
    switch (message.diagnosticKind) {
    case kBridgeDiagnosticStimulus:
        return;
    case kBridgeDiagnosticUnsubscribe:
        subscription.clear();
        restartSignalFeeds();
        return;
    case kBridgeDiagnosticSubscribe:
        updateSubscription(message);
        return;
    case kBridgeDiagnosticNone:
        break;
    }
    if (type == "vanto.loadFactoryPreset" && !message.id.empty()) {
        selectFactoryPreset(message.id);
        return;
    }
    if (bankControl.handleMessage(message)) {
        return;
    }
    if (type == "vanto.setParam") {
        applyParamFromPage(message);
    } else if (type == "vanto.beginEdit") {
        if (const int32_t id = parameterIdOfPath(message.path); id != kNoParameter) {
            beginEdit(static_cast<ParamID>(id));
        }
    } else if (type == "vanto.endEdit") {
        if (const int32_t id = parameterIdOfPath(message.path); id != kNoParameter) {
            endEdit(static_cast<ParamID>(id));
        }
    } else if (type == "vanto.getState") {
        sendStateToPage();
    } else if (type == "vanto.setCcMap") {
        if (message.hasMap) {
            adoptCcMap(message.map, true);
        }
    } else if (type == "vanto.setState") {
        applyStateFromPage(message, length);
    } else if (type == "vanto.noteOn" || type == "vanto.noteOff") {
        logNote(message);
    }
} catch (...) {
    hostCallFailed("handleBridgeMessage");
}

void VantoController::sendHello() {
    double normalized[VANTO_PARAM_COUNT];
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        normalized[id] = normalizedValue(id);
    }
    // "dirty" must describe the moment of the greeting, not the last refresh.
    refreshPresetState();
    HelloInputs inputs;
    inputs.normalized = normalized;
    inputs.ccMap = ccMapAdopted ? &ccMap : nullptr;
    inputs.runtimeHealth = runtimeHealth;
    inputs.host = &hostFacts.facts();
    inputs.presetState = &presetState;
    pageTempo = currentTempoFacts();
    inputs.tempo = &pageTempo;
    const UiBundleFacts& ui = readUiBundleFacts();
    inputs.ui = {ui.buildTime, ui.sourceRevision, ui.sha256};
    std::string hello;
    writeHelloJson(hello, inputs);
    sendToUi(hello);
    helloSent = true;
}

void VantoController::updateSubscription(const BridgeMessage& message) {
    subscription.update(message.feeds, message.hz);
    replayLifecycle();
    transportFeed.onSubscribe(lifecycleLog, subscription, page);
    sendTransportPoll(transportFeed.takeResetRequest());
    restartSignalFeeds();
}

void VantoController::selectFactoryPreset(const std::string& id) {
    const int32_t index = factoryPresetIndexOfId(id);
    if (index < 0) {
        return;
    }
    // Through the program-change parameter, so the host records the program change like its own.
    const double value = factoryProgramValue(static_cast<uint32_t>(index));
    beginEdit(kProgramChangeParamId);
    setParamNormalized(kProgramChangeParamId, value);
    performEdit(kProgramChangeParamId, value);
    endEdit(kProgramChangeParamId);
}

void VantoController::applyParamFromPage(const BridgeMessage& message) {
    const int32_t id = parameterIdOfPath(message.path);
    // NaN and the infinities name no value a page can show; they change nothing.
    if (!message.hasValue || id == kNoParameter || !std::isfinite(message.value)) {
        return;
    }
    const double normalized = vanto_param_normalize(&VANTO_PARAMS[id], message.value);
    // The page already shows this value: the guard keeps it from being sent back.
    echoGuard.arm(id, normalized);
    setParamNormalized(static_cast<ParamID>(id), normalized);
    performEdit(static_cast<ParamID>(id), normalized);
}

void VantoController::sendStateToPage() {
    const std::string document = writeCurrentStateJson();
    presetState.lastStateBytes = static_cast<int64_t>(document.size());
    DiagnosticLifecycleEvent& saved = recordLifecycle(kLifecycleStateSaved);
    saved.addNumber("stateBytes", static_cast<double>(document.size()));
    saved.addString("source", "ui");
    publishLastLifecycle();
    std::string message;
    writeStateMessageJson(message, document);
    sendToUi(message);
}

void VantoController::applyStateFromPage(const BridgeMessage& message, std::size_t messageBytes) {
    if (!message.hasState) {
        return;
    }
    const StateChunk& state = message.state;
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        // A number the document could not write (NaN, infinity) leaves the parameter as it is.
        if (!state.paramPresent[id] || !std::isfinite(state.params[id])) {
            continue;
        }
        const double normalized = vanto_param_normalize(&VANTO_PARAMS[id], state.params[id]);
        beginEdit(id);
        setParamNormalized(id, normalized);
        performEdit(id, normalized);
        endEdit(id);
    }
    if (state.hasCcMap) {
        adoptCcMap(state.ccMap, true);
    }
    const SamplerPadOverrides pads = state.hasPadOverrides ? state.padOverrides : SamplerPadOverrides{};
    // The controller keeps only overrides the processor was actually given.
    if (bankBridge.applyPadOverrides(pads)) {
        bankControl.adoptRestoredPadOverrides(pads);
    }
    bankControl.sendBankState("restore");
    DiagnosticLifecycleEvent& restored = recordLifecycle(kLifecycleStateRestored);
    restored.addNumber("stateBytes", static_cast<double>(messageBytes));
    restored.addString("source", "ui");
    publishLastLifecycle();
}

} // namespace vanto
