// The web editor as the diagnostics see it: whether a page is connected, and a way to send it a
// message. The controller implements this over its bridge sink.
#pragma once

#include <string>

namespace vanto {

class DiagnosticPage {
  public:
    virtual ~DiagnosticPage() = default;

    // True while a bridge sink is installed (an editor is open).
    virtual bool pageConnected() const = 0;

    // Sends one complete JSON message to the page; dropped when no page is connected.
    virtual void sendToPage(const std::string& message) = 0;
};

} // namespace vanto
