#include "diagnostics/transport_feed.h"

#include "diagnostics/lifecycle_publication.h"
#include "diagnostics/same_number.h"
#include "diagnostics/transport_json.h"

namespace vanto {

void DiagnosticTransportFeed::noteTempo(const TransportFact& fact, DiagnosticLifecycleLog& log,
                                        const DiagnosticSubscription& subscription, DiagnosticPage& page) {
    if (!fact.hasTempo) {
        return;
    }
    if (hasFact_ && last_.hasTempo && !sameNumber(fact.tempo, lastTempo_)) {
        DiagnosticLifecycleEvent& event =
            log.record(kLifecycleTempoChanged, static_cast<int64_t>(fact.atFrame));
        event.addNumber("tempo", fact.tempo);
        event.addNumber("previous", lastTempo_);
        publishLastLifecycle(log, subscription, page);
    }
    lastTempo_ = fact.tempo;
}

void DiagnosticTransportFeed::noteTimeSignature(const TransportFact& fact, DiagnosticLifecycleLog& log,
                                                const DiagnosticSubscription& subscription,
                                                DiagnosticPage& page) {
    if (!fact.hasTimeSignature) {
        return;
    }
    if (hasFact_ && last_.hasTimeSignature &&
        (fact.numerator != lastNumerator_ || fact.denominator != lastDenominator_)) {
        DiagnosticLifecycleEvent& event =
            log.record(kLifecycleTimeSignatureChanged, static_cast<int64_t>(fact.atFrame));
        event.addNumber("numerator", fact.numerator);
        event.addNumber("denominator", fact.denominator);
        event.addNumber("previousNumerator", lastNumerator_);
        event.addNumber("previousDenominator", lastDenominator_);
        publishLastLifecycle(log, subscription, page);
    }
    lastNumerator_ = fact.numerator;
    lastDenominator_ = fact.denominator;
}

bool DiagnosticTransportFeed::frameDue(bool changed, double nowMs,
                                       const DiagnosticSubscription& subscription) const {
    if (changed) {
        return true;
    }
    if (!last_.playing) {
        return false;
    }
    return lastSentMs_ < 0.0 || nowMs - lastSentMs_ >= subscription.feedIntervalMs();
}

void DiagnosticTransportFeed::sendFrame(double nowMs, DiagnosticPage& page) {
    lastSentMs_ = nowMs;
    std::string frame;
    writeDiagnosticTransportJson(frame, last_);
    page.sendToPage(frame);
}

void DiagnosticTransportFeed::adopt(const TransportFact& fact, DiagnosticLifecycleLog& log,
                                    const DiagnosticSubscription& subscription, DiagnosticPage& page) {
    noteTempo(fact, log, subscription, page);
    noteTimeSignature(fact, log, subscription, page);
    const bool changed = !fresh_ || fact.differsFrom(last_);
    last_ = fact;
    hasFact_ = true;
    fresh_ = true;
    if (!page.pageConnected() || !subscription.wants(kFeedTransport)) {
        return;
    }
    const double nowMs = log.nowMs();
    if (frameDue(changed, nowMs, subscription)) {
        sendFrame(nowMs, page);
    }
}

void DiagnosticTransportFeed::onSubscribe(const DiagnosticLifecycleLog& log,
                                          const DiagnosticSubscription& subscription, DiagnosticPage& page) {
    if (fresh_ && page.pageConnected() && subscription.wants(kFeedTransport)) {
        sendFrame(log.nowMs(), page);
    }
    fresh_ = false;
    resetRequested_ = true;
}

bool DiagnosticTransportFeed::takeResetRequest() {
    const bool requested = resetRequested_;
    resetRequested_ = false;
    return requested;
}

} // namespace vanto
