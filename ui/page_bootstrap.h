// The script every page of the editor gets before its own scripts run: it defines the page API
// window.vantoHost (postMessage, onMessage and the controller's _deliver). The web view injects it as a
// user script at document start; dovrel-preview serves it to browsers. The text is fixed: pages and
// harnesses rely on exactly this object, so it is kept byte for byte, spaces included.
#pragma once

namespace vanto {

extern const char kPageBootstrapScript[];

} // namespace vanto
