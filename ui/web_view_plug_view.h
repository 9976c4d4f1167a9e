// The editor's IPlugView: the size rules, and a bridged web view with a 1/30 s timer from attached to
// removed.
#pragma once

#include "ui/bridged_web_view.h"
#include "ui/cadence_clock.h"
#include "ui/web_view_editor.h"

#include "public.sdk/source/common/pluginview.h"

#include <memory>
#include <string>

namespace vanto {

class WebViewPlugView final : public Steinberg::CPluginView {
  public:
    WebViewPlugView(BridgeHost* host, std::string root, EditorCadence cadence);
    ~WebViewPlugView() override;

    Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
    Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
    Steinberg::tresult PLUGIN_API removed() override;
    Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;
    Steinberg::tresult PLUGIN_API canResize() override { return Steinberg::kResultTrue; }
    Steinberg::tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect* rect) override;

  private:
    static void onTimer(void* view);
    void detach();

    BridgeHost* host_;
    std::string root_;
    EditorCadence cadence_;
    std::unique_ptr<BridgedWebView> webView_;
    CadenceClock* timer_ = nullptr;
};

} // namespace vanto
