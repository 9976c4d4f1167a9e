// The meter payload the processor sends its controller: an accepted payload is written again as
// strict JSON that reads back to the same records, within the size limit; a refused one is refused
// without touching anything beyond the caller's outputs.
#include "document_round_trip.h"
#include "fuzz_check.h"

#include "diagnostics/signal_meters_json.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Reads `text` as a payload and writes what it holds again with the one writer.
bool rewritePayload(const std::string& text, std::string& out) {
    std::vector<vanto::SignalMeterRecord> records;
    uint32_t dropped = 0;
    if (!vanto::parseSignalMetersJson(text.data(), text.size(), records, dropped)) {
        return false;
    }
    out.clear();
    vanto::writeSignalMetersJson(out, records.data(), records.size(), dropped);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string written;
    if (!rewritePayload(std::string(reinterpret_cast<const char*>(data), size), written)) {
        return 0;
    }
    FUZZ_CHECK(written.size() <= vanto::kMaxSignalPayloadBytes);
    // The writer rounds numbers, so the text settles after one more trip.
    vanto::fuzz::checkTextRoundTrip(written, false, rewritePayload);
    return 0;
}
