// The sampler pad-override document: an accepted list is written as strict JSON that reads back to
// the same list, and a refused document leaves the caller's list untouched.
#include "document_round_trip.h"
#include "fuzz_check.h"
#include "strict_json_check.h"

#include "banks/sampler_pad_overrides.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

// A list the parser must leave alone when it refuses a document.
vanto::SamplerPadOverrides sentinelOverrides() {
    vanto::SamplerPadOverride pad;
    pad.padId = "sentinel";
    pad.mask = vanto::kPadGain;
    pad.gain = 0.5;
    return {pad};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const vanto::SamplerPadOverrides sentinel = sentinelOverrides();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vanto::SamplerPadOverrides pads = sentinel;
    if (vanto::parseSamplerPadOverridesJson(text.data(), text.size(), pads)) {
        vanto::fuzz::checkPadOverridesRoundTrip(pads, vanto::fuzz::isValidUtf8(text));
    } else {
        FUZZ_CHECK(pads == sentinel);
    }
    return 0;
}
