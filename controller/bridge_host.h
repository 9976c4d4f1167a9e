// How the editor reaches the edit controller: it hands over the page's messages, installs the sink
// the controller sends page-bound messages through, and reports the view's lifetime.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace vanto {

class BridgeHost {
  public:
    virtual ~BridgeHost() = default;
    // One message the page posted: a JSON object as bytes, not terminated.
    virtual void handleBridgeMessage(const char* bytes, std::size_t length) = 0;
    // Every page-bound message goes through `sink`; an empty function disconnects the page.
    virtual void setBridgeSink(std::function<void(const std::string&)> sink) = 0;
    virtual void onEditorOpened() = 0;
    virtual void onEditorClosed() = 0;
    // `reason` may be null.
    virtual void onEditorError(const char* reason) = 0;
};

} // namespace vanto
