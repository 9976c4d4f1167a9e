// The meter records as JSON: the "vanto.diag.signal" payload the processor sends its controller, and
// the "vanto.meters" frame the controller sends the page. Both carry the records in the same form,
// written by one writer and read back by one reader (see docs/meters.md for the layout).
#pragma once

#include "diagnostics/signal_meter_record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vanto {

// Payloads larger than this are refused on either side, as the runtime health report is.
inline constexpr std::size_t kMaxSignalPayloadBytes = 65536;
// At most this many records travel in one payload, which keeps it well inside the limit above.
inline constexpr std::size_t kMaxSignalRecordsPerPayload = 64;

// {"v":1,"dropped":n,"records":[…]}: `dropped` counts records lost since the last payload.
void writeSignalMetersJson(std::string& out, const SignalMeterRecord* records, std::size_t count,
                           uint32_t dropped);

// {"type":"vanto.meters","v":1,"frameRate":48000,"dropped":n,"records":[…]}.
void writeMetersFrameJson(std::string& out, const SignalMeterRecord* records, std::size_t count,
                          uint32_t dropped);

// Reads a signal payload; false (with `records` and `dropped` unspecified) when it is not a strict
// payload of version 1, holds more than kMaxSignalRecordsPerPayload records or is larger than
// kMaxSignalPayloadBytes. Unknown members are skipped.
bool parseSignalMetersJson(const char* bytes, std::size_t size, std::vector<SignalMeterRecord>& records,
                           uint32_t& dropped);

} // namespace vanto
