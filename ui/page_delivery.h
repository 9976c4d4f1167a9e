// How a message for the page is handed to it: a script evaluated in the page that passes the message,
// already an object, to window.vantoHost._deliver. Sound only because every message the controller
// writes is strict JSON, which is also a JavaScript expression.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vanto {

// "window.vantoHost && window.vantoHost._deliver(<message>);", or nothing for a message that is not
// well-formed UTF-8 (the web view could not carry it).
std::optional<std::string> pageDeliveryScript(std::string_view message);

} // namespace vanto
