// The lifecycle documents sent to the web editor: one event, the "vanto.lifecycle" message that
// carries events, and the replay of the whole log.
#pragma once

#include "diagnostics/lifecycle_event.h"
#include "diagnostics/lifecycle_log.h"

#include <cstdint>
#include <string>

namespace vanto {

// {"seq":…,"timeMs":…[,"atFrame":…],"kind":"…"[,"detail":{…}]}. A kind outside the table is
// written as "runtimeDiagnostic"; non-finite numbers as null; "atFrame" only when it is >= 0.
void writeDiagnosticLifecycleEventJson(std::string& out, const DiagnosticLifecycleEvent& event);

// {"type":"vanto.lifecycle","events":[…][,"dropped":n]} with the first `count` events (at most
// 256); "dropped" only when non-zero. Writes nothing and returns false for null events or count 0.
bool writeDiagnosticLifecycleJson(std::string& out, const DiagnosticLifecycleEvent* events, uint32_t count,
                                  uint32_t dropped);

// The same message holding every event of `log`, oldest first, with the log's dropped count.
// Writes nothing and returns false while the log is empty.
bool writeDiagnosticLifecycleReplayJson(std::string& out, const DiagnosticLifecycleLog& log);

} // namespace vanto
