// Factory presets and the preset state the page shows: the current preset, the baseline its values
// are compared with, and whether the parameters moved away from it.
#include "controller/vanto_controller.h"

#include "controller/factory_program.h"
#include "diagnostics/bank_facts.h"
#include "diagnostics/diagnostic_text.h"

namespace vanto {

void VantoController::applyFactoryPreset(uint32_t index) {
    if (index >= VANTO_FACTORY_PRESET_COUNT || VANTO_FACTORY_PRESETS[index].values == nullptr) {
        return;
    }
    const vanto_factory_preset& preset = VANTO_FACTORY_PRESETS[index];
    setPresetIdentity(preset.id, preset.name);
    adoptBaselineProgram(index);

    DiagnosticLifecycleEvent& event = recordLifecycle(kLifecyclePresetLoaded);
    event.addString("id", preset.id);
    event.addString("name", preset.name);
    event.addNumber("index", index);
    event.addString("origin", "factory");
    publishLastLifecycle();

    // An empty selection tells the processor that no bank preset is current any more.
    sendPresetLoadedToProcessor(std::string());
    // Every value goes to the page, even one the page itself set last.
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        editAsUser(id, preset.values[id]);
    }
}

void VantoController::adoptBaselineProgram(uint32_t index) {
    for (std::size_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        presetBaseline[id] = VANTO_FACTORY_PRESETS[index].values[id];
    }
    presetBaselineValid = true;
    baselineProgram = static_cast<int32_t>(index);
}

void VantoController::restoreCurrentPreset(const StateChunk& state) {
    if (!state.hasPreset) {
        clearCurrentPreset();
        return;
    }
    setPresetIdentity(state.presetId.c_str(), state.presetName.c_str());
    const int32_t program = state.presetProgram;
    if (program < 0 || VANTO_FACTORY_PRESETS[program].values == nullptr) {
        return;
    }
    adoptBaselineProgram(static_cast<uint32_t>(program));
    EditControllerEx1::setParamNormalized(kProgramChangeParamId,
                                          factoryProgramValue(static_cast<uint32_t>(program)));
    restartIfHandled(Steinberg::Vst::kParamValuesChanged);
}

void VantoController::clearCurrentPreset() {
    setPresetIdentity("", "");
    presetBaselineValid = false;
    baselineProgram = -1;
    if (normalizedValue(kProgramChangeParamId) != 0.0) {
        EditControllerEx1::setParamNormalized(kProgramChangeParamId, 0.0);
        restartIfHandled(Steinberg::Vst::kParamValuesChanged);
    }
}

bool VantoController::presetDirty() const {
    if (!presetBaselineValid) {
        return false;
    }
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        if (normalizedValue(id) != presetBaseline[id]) {
            return true;
        }
    }
    return false;
}

void VantoController::refreshPresetState() {
    presetState.factoryCount = VANTO_FACTORY_PRESET_COUNT;
    presetState.dirty = presetDirty();
    presetState.userPresetsSupported = false;
    presetState.bank = BankFacts{};
    if (compiledBankCount() > 0) {
        describeCompiledBank(0, presetState.bank);
    }
}

void VantoController::setPresetIdentity(const char* id, const char* name) {
    copyDiagnosticText(presetState.currentId, sizeof presetState.currentId, id);
    copyDiagnosticText(presetState.currentName, sizeof presetState.currentName, name);
}

} // namespace vanto
