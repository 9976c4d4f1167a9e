#include "diagnostics/lifecycle_publication.h"

#include "diagnostics/lifecycle_json.h"

namespace vanto {

namespace {

bool pageWantsLifecycle(const DiagnosticSubscription& subscription, const DiagnosticPage& page) {
    return page.pageConnected() && subscription.wants(kFeedLifecycle);
}

} // namespace

void publishLastLifecycle(const DiagnosticLifecycleLog& log, const DiagnosticSubscription& subscription,
                          DiagnosticPage& page) {
    const DiagnosticLifecycleEvent* newest = log.newest();
    std::string message;
    if (pageWantsLifecycle(subscription, page) &&
        writeDiagnosticLifecycleJson(message, newest, newest ? 1 : 0, 0)) {
        page.sendToPage(message);
    }
}

void replayLifecycle(const DiagnosticLifecycleLog& log, const DiagnosticSubscription& subscription,
                     DiagnosticPage& page) {
    std::string message;
    if (pageWantsLifecycle(subscription, page) && writeDiagnosticLifecycleReplayJson(message, log)) {
        page.sendToPage(message);
    }
}

} // namespace vanto
