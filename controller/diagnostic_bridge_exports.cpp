#include "controller/diagnostic_bridge_exports.h"

#include "controller/vanto_controller.h"
#include "sdk/host_call_failure.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <string>

namespace vanto {

namespace {

// The controller behind `object`, when it is an edit controller of this plug-in. The interface
// reference is released at once: the caller keeps the object alive.
VantoController* controllerOf(Steinberg::FUnknown* object) {
    if (object == nullptr) {
        return nullptr;
    }
    Steinberg::Vst::IEditController* editController = nullptr;
    if (object->queryInterface(Steinberg::Vst::IEditController::iid,
                               reinterpret_cast<void**>(&editController)) != Steinberg::kResultOk ||
        editController == nullptr) {
        return nullptr;
    }
    editController->release();
    // Another plug-in's edit controller answers the query too; only ours is driven.
    return dynamic_cast<VantoController*>(editController);
}

} // namespace

} // namespace vanto

extern "C" {

__attribute__((visibility("default"))) int vantoDiagnosticBridgeAbiVersion() {
    return 2;
}

__attribute__((visibility("default"))) int
vantoInstallDiagnosticBridgeSink(Steinberg::FUnknown* controller, VantoDiagnosticBridgeCallback callback,
                                 void* context) try {
    vanto::VantoController* target = vanto::controllerOf(controller);
    if (target == nullptr) {
        return 0;
    }
    if (callback == nullptr) {
        target->setBridgeSink({});
    } else {
        target->setBridgeSink([callback, context](const std::string& message) {
            callback(context, message.data(), message.size());
        });
    }
    return 1;
} catch (...) {
    vanto::hostCallFailed("vantoInstallDiagnosticBridgeSink");
    return 0;
}

__attribute__((visibility("default"))) int
vantoDeliverDiagnosticBridgeMessage(Steinberg::FUnknown* controller, const char* bytes, std::size_t length) {
    vanto::VantoController* target = vanto::controllerOf(controller);
    if (target == nullptr || bytes == nullptr) {
        return 0;
    }
    target->handleBridgeMessage(bytes, length);
    return 1;
}

__attribute__((visibility("default"))) int vantoTickDiagnosticCadence(Steinberg::FUnknown* controller) {
    vanto::VantoController* target = vanto::controllerOf(controller);
    if (target == nullptr) {
        return 0;
    }
    target->tickCadence();
    return 1;
}
}
