// The component state document as the processor's and the controller's restores read it: any text
// is either refused or decoded into values that the writer puts back into a strict JSON document
// reading to the same values.
#include "document_round_trip.h"
#include "strict_json_check.h"

#include "processor/state_json_reader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto state = std::make_unique<vanto::StateChunk>();
    if (vanto::parseStateJson(text.data(), text.size(), *state)) {
        vanto::fuzz::checkStateRoundTrip(*state, vanto::fuzz::isValidUtf8(text));
    }
    return 0;
}
