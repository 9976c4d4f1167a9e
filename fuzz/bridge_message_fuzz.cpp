// The page's message reader on its own: any bytes are refused or decoded, and the documents a
// decoded message carries (a state, a CC map, pad overrides) round-trip through their writers.
#include "document_round_trip.h"
#include "strict_json_check.h"

#include "controller/bridge_message.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto message = std::make_unique<vanto::BridgeMessage>();
    if (!vanto::parseBridgeMessage(text.data(), text.size(), *message)) {
        return 0;
    }
    const bool utf8 = vanto::fuzz::isValidUtf8(text);
    if (message->hasState) {
        vanto::fuzz::checkStateRoundTrip(message->state, utf8);
    }
    if (message->hasMap) {
        vanto::fuzz::checkCcMapRoundTrip(message->map);
    }
    if (message->hasPads) {
        vanto::fuzz::checkPadOverridesRoundTrip(message->pads, utf8);
    }
    return 0;
}
