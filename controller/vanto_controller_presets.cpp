// Factory presets and the preset state the page shows: the current preset, the baseline its values
// are compared with, and whether the parameters moved away from it.
#include "controller/vanto_controller.h"

#include "diagnostics/bank_facts.h"
#include "diagnostics/diagnostic_text.h"

namespace vanto {

void VantoController::applyFactoryPreset(uint32_t index) {
    if (index >= VANTO_FACTORY_PRESET_COUNT || VANTO_FACTORY_PRESETS[index].values == nullptr) {
        return;
    }
    const vanto_factory_preset& preset = VANTO_FACTORY_PRESETS[index];
    setPresetIdentity(preset.id, preset.name);
    for (std::size_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        presetBaseline[id] = preset.values[id];
    }
    presetBaselineValid = true;

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
