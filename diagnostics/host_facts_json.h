// The host configuration documents for the web editor: the full host document (in the hello), the
// delta between two records and the "vanto.hostChanged" message built from it.
#pragma once

#include "diagnostics/host_facts.h"

#include <cstdint>
#include <string>

namespace vanto {

// {"hostName":…,…,"buses":[…][,"bypassed":b]}: identity texts only when non-empty, the validator
// only when known, "lastBlockFrames" only when >= 0, "internalSampleRate" only when above 0,
// "bypassed" only when known; non-finite rates are null.
void writeDiagnosticHostJson(std::string& out, const HostFacts& facts);

// [{"id":…,"direction":"input"|"output","channels":n,"active":b[,"layout":…]},…]
void appendBusesJson(std::string& out, const HostFacts& facts);

// The members that changed from `previous` to `next`, written with next's values as in the host
// document. Appends {…} and returns true when at least one changed; appends nothing otherwise.
bool writeDiagnosticHostDeltaJson(std::string& out, const HostFacts& previous, const HostFacts& next);

// {"type":"vanto.hostChanged","host":<delta>[,"event":{"seq":…,"timeMs":…,"kind":…}]}, the event
// only when the change has a kind. Appends nothing and returns false when the delta is empty.
bool writeDiagnosticHostChangedJson(std::string& out, const HostFacts& previous, const HostFacts& next,
                                    uint32_t seq, double timeMs);

} // namespace vanto
