// The editor's lifetime as the controller sees it: the sink it installs and the view's events.
#include "controller/vanto_controller.h"

#include "sdk/host_call_failure.h"

#include <utility>

namespace vanto {

void VantoController::setBridgeSink(std::function<void(const std::string&)> sink) try {
    page.setSink(std::move(sink));
} catch (...) {
    hostCallFailed("setBridgeSink");
}

void VantoController::onEditorOpened() try { emitLifecycle(kLifecycleEditorOpened); } catch (...) {
    hostCallFailed("onEditorOpened");
}

void VantoController::onEditorClosed() try {
    emitLifecycle(kLifecycleEditorClosed);
    // A page opened later subscribes and is greeted afresh.
    subscription.clear();
    restartSignalFeeds();
    helloSent = false;
} catch (...) {
    hostCallFailed("onEditorClosed");
}

void VantoController::onEditorError(const char* reason) try {
    recordLifecycle(kLifecycleEditorError).addString("reason", reason != nullptr ? reason : "unknown");
    publishLastLifecycle();
} catch (...) {
    hostCallFailed("onEditorError");
}

} // namespace vanto
