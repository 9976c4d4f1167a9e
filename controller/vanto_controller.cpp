// The controller's life: creation, initialisation (parameters, program list, host identity, the
// "created" event and the cadence clock), termination and the interfaces it answers.
#include "controller/vanto_controller.h"

#include "controller/host_identity.h"
#include "controller/midi_cc_parameters.h"
#include "controller/vanto_parameter.h"
#include "sdk/host_call_failure.h"
#include "ui/web_view_editor.h"

#include "pluginterfaces/base/ustring.h"

#include <cstring>
#include <new>

namespace vanto {

using Steinberg::FUnknown;
using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::UString128;
using Steinberg::Vst::ParameterInfo;

VantoController::VantoController() = default;

VantoController::~VantoController() {
    stopCadenceClock();
}

FUnknown* VantoController::createInstance(void* /*context*/) try {
    auto* controller = new (std::nothrow) VantoController();
    if (controller == nullptr) {
        return nullptr;
    }
    return static_cast<Steinberg::Vst::IEditController*>(controller);
} catch (...) {
    hostCallFailed("VantoController::createInstance");
    return nullptr;
}

tresult PLUGIN_API VantoController::initialize(FUnknown* context) try {
    const tresult result = EditControllerEx1::initialize(context);
    if (result != kResultOk) {
        return result;
    }
    captureHostIdentity(context);
    registerParameters();
    registerFactoryProgramList();
    registerMidiCcParameters(parameters);
    refreshPresetState();
    emitLifecycle(kLifecycleCreated);
    startCadenceClock();
    return kResultOk;
} catch (...) {
    return hostCallFailed("initialize");
}

tresult PLUGIN_API VantoController::terminate() try {
    emitLifecycle(kLifecycleDestroyed);
    stopCadenceClock();
    // Nothing would collect the download once the clock has stopped.
    bankControl.cancelFetch();
    return EditControllerEx1::terminate();
} catch (...) {
    stopCadenceClock();
    return hostCallFailed("terminate");
}

void VantoController::captureHostIdentity(FUnknown* context) {
    char name[sizeof(HostFacts::hostName)] = {};
    if (readHostApplicationName(context, name, sizeof name)) {
        hostFacts.setHostName(name);
    }
}

void VantoController::registerParameters() {
    for (const vanto_param_desc& row : VANTO_PARAMS) {
        parameters.addParameter(new VantoParameter(row));
    }
}

void VantoController::registerFactoryProgramList() {
    addUnit(new Steinberg::Vst::Unit(UString128("Root"), Steinberg::Vst::kRootUnitId,
                                     Steinberg::Vst::kNoParentUnitId, kFactoryProgramListId));
    auto* list = new Steinberg::Vst::ProgramList(UString128("Factory Presets"), kFactoryProgramListId,
                                                 Steinberg::Vst::kRootUnitId);
    for (const vanto_factory_preset& preset : VANTO_FACTORY_PRESETS) {
        list->addProgram(UString128(preset.name));
    }
    addProgramList(list);
    // Choosing a preset replaces every parameter at once: not something to automate.
    Steinberg::Vst::Parameter* programChange = list->getParameter();
    programChange->getInfo().flags &= ~ParameterInfo::kCanAutomate;
    parameters.addParameter(programChange);
}

tresult PLUGIN_API VantoController::queryInterface(const Steinberg::TUID iid, void** obj) {
    QUERY_INTERFACE(iid, obj, Steinberg::Vst::IMidiMapping::iid, Steinberg::Vst::IMidiMapping)
    QUERY_INTERFACE(iid, obj, Steinberg::Vst::IUnitInfo::iid, Steinberg::Vst::IUnitInfo)
    return EditControllerEx1::queryInterface(iid, obj);
}

// The page of the UI bundle in a web view, ticking the cadence while it is open.
Steinberg::IPlugView* PLUGIN_API VantoController::createView(Steinberg::FIDString name) try {
    if (name == nullptr || std::strcmp(name, Steinberg::Vst::ViewType::kEditor) != 0) {
        return nullptr;
    }
    return createWebViewEditor(this, nullptr, {&VantoController::cadenceTick, this});
} catch (...) {
    hostCallFailed("createView");
    return nullptr;
}

} // namespace vanto
