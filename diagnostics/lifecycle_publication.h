// Sending lifecycle events to the web editor, which gets them only while it subscribes to the
// "lifecycle" feed.
#pragma once

#include "diagnostics/diagnostic_feeds.h"
#include "diagnostics/diagnostic_page.h"
#include "diagnostics/lifecycle_log.h"

namespace vanto {

// Sends the newest event of `log` as a one-event "vanto.lifecycle" message when a page is
// connected, subscribes to the lifecycle feed and the log is not empty. Call it right after
// recording an event (and adding its detail fields).
void publishLastLifecycle(const DiagnosticLifecycleLog& log, const DiagnosticSubscription& subscription,
                          DiagnosticPage& page);

// Sends the whole log, oldest first, under the same conditions: when the page subscribes to the
// lifecycle feed and whenever the controller is asked to replay.
void replayLifecycle(const DiagnosticLifecycleLog& log, const DiagnosticSubscription& subscription,
                     DiagnosticPage& page);

} // namespace vanto
