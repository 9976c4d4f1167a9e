// The CC map document: an accepted map is written as strict JSON that reads back to the same map,
// and a refused document leaves the caller's map untouched.
#include "document_round_trip.h"
#include "fuzz_check.h"

#include "ccmap/cc_map_json_reader.h"

#include <cstddef>
#include <cstdint>

namespace {

// A map the parser must leave alone when it refuses a document.
vanto::CcMap sentinelMap() {
    vanto::CcMap map;
    vanto::CcBinding binding;
    binding.parameter = 3;
    binding.cc = 74;
    binding.channel = 2;
    map.append(binding);
    return map;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const vanto::CcMap sentinel = sentinelMap();
    vanto::CcMap map = sentinel;
    if (vanto::parseCcMapJson(reinterpret_cast<const char*>(data), size, map)) {
        vanto::fuzz::checkCcMapRoundTrip(map);
    } else {
        FUZZ_CHECK(map == sentinel);
    }
    return 0;
}
