// The meter records as a CSV file: one row per record, with its time in seconds of the effect's own
// 48 kHz clock, for spreadsheets and plotting tools.
#pragma once

#include "diagnostics/signal_meter_record.h"

#include <string>
#include <vector>

namespace vanto {

// The CSV text: a header line, then one line per record.
std::string meterCsv(const std::vector<SignalMeterRecord>& records);

} // namespace vanto
