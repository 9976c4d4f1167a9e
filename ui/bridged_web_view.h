// The web view that shows the editor page inside the host's window, connected to the controller:
// page messages go to BridgeHost::handleBridgeMessage, and the page sink it installs hands every
// controller message to the page. Each platform supplies one implementation file.
#pragma once

#include "controller/bridge_host.h"
#include "ui/editor_size.h"

#include <memory>
#include <string>

namespace Steinberg {
class FUnknown;
}

namespace vanto {

// The window type of the host this platform's web view embeds into ("X11EmbedWindowID", "NSView").
extern const char* const kEditorPlatformType;

class BridgedWebView {
  public:
    // Detaches: the host gets onEditorClosed and its sink is removed; the view leaves the window.
    virtual ~BridgedWebView() = default;
    virtual void setSize(int32_t width, int32_t height) = 0;
    // Called on every tick of the view's timer: moves whatever waits to be moved.
    virtual void pump() = 0;
};

// Creates the web view in `parent` (a window of kEditorPlatformType) showing the page of `root`,
// installs the page sink and calls onEditorOpened. `frame` is the host's plug frame: platforms without
// a main run loop of their own (Linux) take the host's from it. Null after onEditorError with the
// reason: "no ui root" for an empty root, or why the web view could not be made.
std::unique_ptr<BridgedWebView> vantoCreateBridgedWebView(BridgeHost* host, const std::string& root,
                                                          void* parent, EditorRect rect,
                                                          Steinberg::FUnknown* frame);

} // namespace vanto
