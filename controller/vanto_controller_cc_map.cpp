// The CC map: adopting a new map (from a state or the page), and the host's MIDI mapping query. The
// host routes every controller of the MIDI input to its own hidden MIDI CC parameter, whatever the map
// holds: the processor resolves it through the map (ranges, curves, relative modes, takeover), and the
// page sees every controller that arrives, which is what learning a binding needs.
#include "controller/vanto_controller.h"

#include "ccmap/cc_map_json_writer.h"
#include "ccmap/midi_cc_parameter_ids.h"

namespace vanto {

using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::tresult;

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
    if (busIndex != 0 || channel < 0 || channel >= static_cast<Steinberg::int16>(kMidiCcChannels) ||
        midiControllerNumber < 0 ||
        midiControllerNumber >= static_cast<Steinberg::int16>(kMidiCcControllers)) {
        return kResultFalse;
    }
    id = midiCcParamId(channel, midiControllerNumber);
    return kResultOk;
}

} // namespace vanto
