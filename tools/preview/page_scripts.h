// What dovrel-preview adds to every page it serves so that the page runs in a browser as in the web
// view: the page API's bootstrap script, byte for byte as the web view injects it, and a shim standing
// in for the web view's message handler (window.webkit.messageHandlers.vanto.postMessage posts to the
// server; the controller's messages arrive as server-sent events and go to window.vantoHost._deliver).
#pragma once

#include <string>
#include <string_view>

namespace vanto::preview {

inline constexpr std::string_view kBootstrapPath = "/.vanto-preview/bootstrap.js";
inline constexpr std::string_view kShimPath = "/.vanto-preview/shim.js";
inline constexpr std::string_view kEventsPath = "/.vanto-preview/events";
inline constexpr std::string_view kBridgePath = "/.vanto-preview/bridge";
// A MIDI controller message for the plug-in's MIDI input: POST with "channel" (1 ... 16), "cc" and
// "value" (0 ... 127) as query parameters and the bridge header.
inline constexpr std::string_view kMidiCcPath = "/.vanto-preview/midi-cc";
// Page messages must carry this header: a page of another site cannot send it without the server's
// leave, which it never gives.
inline constexpr const char* kBridgeHeader = "X-Vanto-Bridge";

extern const char kPreviewShimScript[];

// The page with the shim and the bootstrap loaded first thing: right after the opening <head> tag,
// else after <html>, else at the very start. Both are loaded from the server's own paths so that the
// page's content security policy may forbid inline scripts.
std::string withPreviewScripts(std::string_view html);

} // namespace vanto::preview
