// The editor page as the controller sees it: the bridge sink the editor installs while it is open.
// Every page-bound message goes through here and is dropped while no editor is attached.
#pragma once

#include "diagnostics/diagnostic_page.h"

#include <functional>
#include <string>
#include <utility>

namespace vanto {

class BridgeSinkPage final : public DiagnosticPage {
  public:
    using Sink = std::function<void(const std::string&)>;

    void setSink(Sink sink) { sink_ = std::move(sink); }

    bool pageConnected() const override { return static_cast<bool>(sink_); }

    void sendToPage(const std::string& message) override {
        if (sink_) {
            sink_(message);
        }
    }

  private:
    Sink sink_;
};

} // namespace vanto
