#include "ui/page_bootstrap.h"

namespace vanto {

// One line per source line of the script; the lines are joined without line breaks.
const char kPageBootstrapScript[] =
    "(function () {"
    "  if (window.vantoHost) { return; }"
    "  var handlers = [];"
    "  window.vantoHost = {"
    "    postMessage: function (message) {"
    "      window.webkit.messageHandlers.vanto.postMessage(JSON.stringify(message));"
    "    },"
    "    onMessage: function (handler) { handlers.push(handler); },"
    "    _deliver: function (message) {"
    "      for (var i = 0; i < handlers.length; i += 1) {"
    "        try { handlers[i](message); } catch (error) { console.error(error); }"
    "      }"
    "    }"
    "  };"
    "})();";

} // namespace vanto
