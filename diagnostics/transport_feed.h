// The controller's side of the transport feed: it adopts the transport snapshots the processor
// sends, turns tempo and meter changes into lifecycle events, and sends the page "vanto.transport"
// frames while it subscribes to the "transport" feed: every change at once, and while playing the
// unchanged frames at most at the subscribed rate.
// Main thread only.
#pragma once

#include "diagnostics/diagnostic_feeds.h"
#include "diagnostics/diagnostic_page.h"
#include "diagnostics/lifecycle_log.h"
#include "diagnostics/transport_fact.h"

namespace vanto {

class DiagnosticTransportFeed {
  public:
    // Adopts one snapshot (see readTransportFactBytes for received bytes). Time stamps and the rate
    // limit use the lifecycle log's clock; the tempo and meter events it records are published at
    // once.
    void adopt(const TransportFact& fact, DiagnosticLifecycleLog& log,
               const DiagnosticSubscription& subscription, DiagnosticPage& page);

    // The page has (re)subscribed (call after storing the new subscription and replaying the
    // lifecycle): a snapshot the page has not seen is sent at once, the next snapshot counts as a
    // change whatever it holds, and the processor is asked to report the transport afresh (see
    // takeResetRequest).
    void onSubscribe(const DiagnosticLifecycleLog& log, const DiagnosticSubscription& subscription,
                     DiagnosticPage& page);

    // The "reset" value for the next transport poll to the processor; clears the request.
    bool takeResetRequest();

    bool hasFact() const { return hasFact_; }
    const TransportFact& lastFact() const { return last_; }

  private:
    bool frameDue(bool changed, double nowMs, const DiagnosticSubscription& subscription) const;
    void sendFrame(double nowMs, DiagnosticPage& page);
    void noteTempo(const TransportFact& fact, DiagnosticLifecycleLog& log,
                   const DiagnosticSubscription& subscription, DiagnosticPage& page);
    void noteTimeSignature(const TransportFact& fact, DiagnosticLifecycleLog& log,
                           const DiagnosticSubscription& subscription, DiagnosticPage& page);

    TransportFact last_;
    bool hasFact_ = false; // a snapshot was adopted at some time
    bool fresh_ = false;   // a snapshot was adopted since the last subscription
    double lastTempo_ = 120.0;
    int32_t lastNumerator_ = 4;
    int32_t lastDenominator_ = 4;
    double lastSentMs_ = -1.0; // -1 = never
    bool resetRequested_ = false;
};

} // namespace vanto
