// A picture of the meter records: input and output peak levels over time above, the low band's gain
// and the glue's reduction below, each hit marked by a line at its time (kick hits across both
// panels, the other lanes' as ticks). Written as PNG with cairo.
#pragma once

#include "diagnostics/signal_meter_record.h"

#include <string>
#include <vector>

namespace vanto {

// False with the reason in `error` when there is nothing to draw or the file cannot be written.
bool writeMeterPlot(const std::string& path, const std::vector<SignalMeterRecord>& records,
                    std::string& error);

} // namespace vanto
