// Parameter values between host, page and processor: the host's writes (program changes included),
// the echo guard that keeps a page edit from coming back to the page, edits the controller makes on
// the user's behalf, and the page's "vanto.paramChanged" notices.
#include "controller/vanto_controller.h"

#include "controller/bridge_json.h"
#include "controller/factory_program.h"
#include "sdk/host_call_failure.h"

namespace vanto {

using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;

tresult PLUGIN_API VantoController::setParamNormalized(ParamID id, ParamValue value) try {
    // A value outside [0, 1] is stored clamped and NaN as 0, as the processor reads the same value.
    value = vanto_param_clamp_normalized(value);
    const tresult result = EditControllerEx1::setParamNormalized(id, value);
    if (result != kResultOk) {
        return result;
    }
    if (id == kProgramChangeParamId) {
        applyFactoryPreset(factoryProgramIndex(value));
        restartIfHandled(Steinberg::Vst::kParamValuesChanged);
        return result;
    }
    if (!echoGuard.consume(static_cast<int32_t>(id), value)) {
        sendParamChanged(id, value);
    }
    return result;
} catch (...) {
    return hostCallFailed("setParamNormalized");
}

void VantoController::setFromHostAndRelay(ParamID id, ParamValue normalized) {
    if (EditControllerEx1::setParamNormalized(id, normalized) != kResultOk) {
        return;
    }
    if (!echoGuard.consume(static_cast<int32_t>(id), normalized)) {
        sendParamChanged(id, normalized);
    }
}

void VantoController::editAsUser(ParamID id, ParamValue normalized) {
    beginEdit(id);
    EditControllerEx1::setParamNormalized(id, normalized);
    sendParamChanged(id, normalized);
    performEdit(id, normalized);
    endEdit(id);
}

void VantoController::sendParamChanged(ParamID id, ParamValue normalized) {
    if (id >= VANTO_PARAM_COUNT || !page.pageConnected()) {
        return;
    }
    const vanto_param_desc& row = VANTO_PARAMS[id];
    std::string message;
    writeParamChangedJson(message, row.path, vanto_param_to_plain(&row, normalized), normalized);
    sendToUi(message);
    noteTempoParameter(id);
}

double VantoController::normalizedValue(uint32_t index) const {
    const Steinberg::Vst::Parameter* parameter = parameters.getParameter(index);
    return parameter != nullptr ? parameter->getNormalized() : 0.0;
}

double VantoController::currentPlainValue(uint32_t index) const {
    if (index >= VANTO_PARAM_COUNT) {
        return 0.0;
    }
    return vanto_param_to_plain(&VANTO_PARAMS[index], normalizedValue(index));
}

void VantoController::restartIfHandled(Steinberg::int32 flags) {
    if (componentHandler != nullptr) {
        componentHandler->restartComponent(flags);
    }
}

} // namespace vanto
