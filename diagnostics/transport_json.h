// The "vanto.transport" frame the web editor's transport feed receives.
#pragma once

#include "diagnostics/transport_fact.h"

#include <string>

namespace vanto {

// {"type":"vanto.transport","frame":{"atFrame":…,"source":"host"|"internal"|"none","state":{…},
// "capabilities":{…}}}. Tempo and positions are null when not finite; the loop range is null unless
// the loop capability is set; the sample rate is null unless finite and above 0.
void writeDiagnosticTransportJson(std::string& out, const TransportFact& fact);

} // namespace vanto
