// The CC map: adopting a new map (from a state or the page) and the host's MIDI mapping query,
// answered from it: the host routes a controller to the parameter of the first binding that takes it.
#include "controller/vanto_controller.h"

#include "ccmap/cc_map_json_writer.h"

namespace vanto {

using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::tresult;

namespace {

// Binding channels count 1 … 16 with 0 meaning any; the host counts channels from 0.
bool bindingTakes(const CcBinding& binding, Steinberg::int16 hostChannel, Steinberg::Vst::CtrlNumber cc) {
    return binding.enabled && binding.cc == cc &&
           (binding.channel == 0 || binding.channel == hostChannel + 1) &&
           binding.parameter < VANTO_PARAM_COUNT;
}

} // namespace

void VantoController::adoptCcMap(const CcMap& map, bool notifyPage) {
    ccMap = map;
    ccMapAdopted = true;
    restartIfHandled(Steinberg::Vst::kMidiCCAssignmentChanged);
    sendCcMapToProcessor();
    recordLifecycle(kLifecycleCcMapChanged).addNumber("bindings", ccMap.size());
    publishLastLifecycle();
    if (notifyPage && page.pageConnected()) {
        std::string message;
        writeCcMapChangedJson(message, ccMap);
        sendToUi(message);
    }
}

void VantoController::dropCcMap() {
    if (!ccMapAdopted) {
        return;
    }
    ccMap = CcMap{};
    ccMapAdopted = false;
    restartIfHandled(Steinberg::Vst::kMidiCCAssignmentChanged);
    recordLifecycle(kLifecycleCcMapChanged).addNumber("bindings", 0);
    publishLastLifecycle();
    if (page.pageConnected()) {
        std::string message;
        writeCcMapChangedJson(message, ccMap);
        sendToUi(message);
    }
}

tresult PLUGIN_API VantoController::getMidiControllerAssignment(
    Steinberg::int32 busIndex, Steinberg::int16 channel, Steinberg::Vst::CtrlNumber midiControllerNumber,
    Steinberg::Vst::ParamID& id) {
    if (busIndex != 0 || midiControllerNumber < 0 || midiControllerNumber > 127 || ccMap.size() == 0) {
        return kResultFalse;
    }
    for (uint32_t i = 0; i < ccMap.size(); ++i) {
        const CcBinding& binding = ccMap.bindings[i];
        if (bindingTakes(binding, channel, midiControllerNumber)) {
            id = binding.parameter;
            return kResultOk;
        }
    }
    return kResultFalse;
}

} // namespace vanto
