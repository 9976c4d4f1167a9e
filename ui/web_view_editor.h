// The editor a host gets from createView("editor"): the page of the UI bundle in a web view.
#pragma once

#include "controller/bridge_host.h"
#include "ui/cadence_clock.h"

namespace Steinberg {
class IPlugView;
}

namespace vanto {

// What the view's own 1/30 s timer calls while it is attached (the controller's cadence tick).
struct EditorCadence {
    CadenceCallback callback = nullptr;
    void* context = nullptr;
};

// A view with one reference for `host`, showing the page in `uiRoot`, or in this plug-in's own UI
// bundle when `uiRoot` is null. Null without a host; null after onEditorError("no ui bundle in
// plugin") when there is no UI folder.
Steinberg::IPlugView* createWebViewEditor(BridgeHost* host, const char* uiRoot, EditorCadence cadence);

} // namespace vanto
