#include "ui/web_view_plug_view.h"

#include "ui/editor_size.h"
#include "ui/ui_bundle.h"

#include "sdk/host_call_failure.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace vanto {

using Steinberg::kInvalidArgument;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::kResultTrue;
using Steinberg::tresult;
using Steinberg::ViewRect;

namespace {

EditorRect editorRectOf(const ViewRect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

void clampInPlace(ViewRect& rect) {
    const EditorRect clamped = clampEditorRect(editorRectOf(rect));
    rect.right = clamped.right;
    rect.bottom = clamped.bottom;
}

const ViewRect kInitialRect(0, 0, kEditorDefaultWidth, kEditorDefaultHeight);

} // namespace

WebViewPlugView::WebViewPlugView(BridgeHost* host, std::string root, EditorCadence cadence)
    : CPluginView(&kInitialRect), host_(host), root_(std::move(root)), cadence_(cadence) {}

WebViewPlugView::~WebViewPlugView() {
    detach();
}

tresult PLUGIN_API WebViewPlugView::isPlatformTypeSupported(Steinberg::FIDString type) try {
    return type != nullptr && std::strcmp(type, kEditorPlatformType) == 0 ? kResultTrue : kResultFalse;
} catch (...) {
    return hostCallFailed("isPlatformTypeSupported");
}

tresult PLUGIN_API WebViewPlugView::attached(void* parent, Steinberg::FIDString type) try {
    if (parent == nullptr || isPlatformTypeSupported(type) != kResultTrue) {
        return kResultFalse;
    }
    // A host attaching twice without removing gets a fresh view in the new parent.
    detach();
    webView_ = vantoCreateBridgedWebView(host_, root_, parent, editorRectOf(rect), plugFrame);
    if (!webView_) {
        return kResultFalse;
    }
    timer_ = vantoStartCadenceClock(&WebViewPlugView::onTimer, this, 1.0 / 30.0, plugFrame);
    return CPluginView::attached(parent, type);
} catch (...) {
    detach();
    return hostCallFailed("attached");
}

tresult PLUGIN_API WebViewPlugView::removed() try {
    detach();
    return CPluginView::removed();
} catch (...) {
    return hostCallFailed("removed");
}

tresult PLUGIN_API WebViewPlugView::onSize(ViewRect* newSize) try {
    if (newSize == nullptr) {
        return kResultFalse;
    }
    clampInPlace(*newSize);
    const tresult result = CPluginView::onSize(newSize);
    if (webView_) {
        webView_->setSize(newSize->getWidth(), newSize->getHeight());
    }
    return result;
} catch (...) {
    return hostCallFailed("onSize");
}

tresult PLUGIN_API WebViewPlugView::checkSizeConstraint(ViewRect* rect) try {
    if (rect == nullptr) {
        return kInvalidArgument;
    }
    clampInPlace(*rect);
    return kResultOk;
} catch (...) {
    return hostCallFailed("checkSizeConstraint");
}

void WebViewPlugView::onTimer(void* view) {
    auto* self = static_cast<WebViewPlugView*>(view);
    if (self->cadence_.callback != nullptr) {
        self->cadence_.callback(self->cadence_.context);
    }
    if (self->webView_) {
        self->webView_->pump();
    }
}

void WebViewPlugView::detach() {
    vantoStopCadenceClock(timer_);
    timer_ = nullptr;
    webView_.reset();
}

Steinberg::IPlugView* createWebViewEditor(BridgeHost* host, const char* uiRoot, EditorCadence cadence) {
    const std::string root = uiRoot != nullptr ? std::string(uiRoot) : pluginUiRoot();
    if (host == nullptr || root.empty()) {
        std::fputs("vanto-plugin-shell: no UI bundle found; editor disabled\n", stderr);
        if (host != nullptr) {
            host->onEditorError("no ui bundle in plugin");
        }
        return nullptr;
    }
    return new (std::nothrow) WebViewPlugView(host, root, cadence);
}

} // namespace vanto
