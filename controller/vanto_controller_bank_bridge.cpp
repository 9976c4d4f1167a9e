// Bank control's way into the controller: the page sink, parameter edits as the user's, and the
// bank messages to the processor.
#include "controller/vanto_controller.h"

#include "banks/folder_picker.h"
#include "processor/processor_message_ids.h"

namespace vanto {

void VantoController::BankBridge::sendBankJson(const std::string& json) {
    controller.sendToUi(json);
}

void VantoController::BankBridge::editParam(uint32_t id, double plain) {
    if (id >= VANTO_PARAM_COUNT) {
        return;
    }
    controller.editAsUser(id, vanto_param_normalize(&VANTO_PARAMS[id], plain));
}

double VantoController::BankBridge::readParam(uint32_t id) {
    return controller.currentPlainValue(id);
}

bool VantoController::BankBridge::requestRuntimeBank(const std::string& source, const std::string& path,
                                                     const std::string& sha256,
                                                     const std::string& instrument) {
    return controller.sendBinaryToProcessor(kMessageLoadRuntimeBank,
                                            source + '\n' + path + '\n' + sha256 + '\n' + instrument, true);
}

bool VantoController::BankBridge::applyPadOverrides(const SamplerPadOverrides& overrides) {
    std::string json;
    writeSamplerPadOverridesJson(json, overrides);
    return controller.sendBinaryToProcessor(kMessagePadOverrides, json, true);
}

bool VantoController::BankBridge::pickFolder(std::string& path, std::string& error) {
    return pickBankFolder(path, error);
}

void VantoController::BankBridge::notePresetSelected(const std::string& id, const std::string& name) {
    controller.setPresetIdentity(id.c_str(), name.c_str());
    DiagnosticLifecycleEvent& event = controller.recordLifecycle(kLifecyclePresetLoaded);
    event.addString("id", id.c_str());
    event.addString("name", name.c_str());
    event.addString("origin", "bank");
    controller.publishLastLifecycle();
    controller.sendPresetLoadedToProcessor(id);
}

} // namespace vanto
