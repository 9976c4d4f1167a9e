// The editor's lifetime as the controller sees it: the sink it installs and the view's events.
#include "controller/vanto_controller.h"

#include <utility>

namespace vanto {

void VantoController::setBridgeSink(std::function<void(const std::string&)> sink) {
    page.setSink(std::move(sink));
}

void VantoController::onEditorOpened() {
    emitLifecycle(kLifecycleEditorOpened);
}

void VantoController::onEditorClosed() {
    emitLifecycle(kLifecycleEditorClosed);
    // A page opened later subscribes and is greeted afresh.
    subscription.clear();
    helloSent = false;
}

void VantoController::onEditorError(const char* reason) {
    recordLifecycle(kLifecycleEditorError).addString("reason", reason != nullptr ? reason : "unknown");
    publishLastLifecycle();
}

} // namespace vanto
