#include "ui/page_delivery.h"

#include "encoding/utf8.h"

namespace vanto {

std::optional<std::string> pageDeliveryScript(std::string_view message) {
    if (!isWellFormedUtf8(message.data(), message.size())) {
        return std::nullopt;
    }
    std::string script = "window.vantoHost && window.vantoHost._deliver(";
    script += message;
    script += ");";
    return script;
}

} // namespace vanto
