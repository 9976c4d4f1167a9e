// The controller's diagnostics: the lifecycle log and its publication to the page, the host
// configuration and transport the processor reports, and the cadence clock that polls the processor.
#include "controller/vanto_controller.h"

#include "diagnostics/lifecycle_publication.h"
#include "ui/cadence_clock.h"

namespace vanto {

DiagnosticLifecycleEvent& VantoController::recordLifecycle(DiagnosticLifecycleKind kind, int64_t atFrame) {
    return lifecycleLog.record(kind, atFrame);
}

void VantoController::emitLifecycle(DiagnosticLifecycleKind kind, int64_t atFrame) {
    recordLifecycle(kind, atFrame);
    publishLastLifecycle();
}

void VantoController::publishLastLifecycle() {
    vanto::publishLastLifecycle(lifecycleLog, subscription, page);
}

void VantoController::replayLifecycle() {
    vanto::replayLifecycle(lifecycleLog, subscription, page);
}

void VantoController::adoptHostFacts(const HostFacts& facts) {
    const int32_t previousLatency = hostFacts.reportedLatency();
    hostFacts.adopt(facts, lifecycleLog, subscription, page, helloSent);
    // Hosts read the latency once per activation; a new sample rate changes it, and without being
    // told the host would keep the track misaligned by the difference.
    if (hostFacts.reportedLatency() != previousLatency) {
        restartIfHandled(Steinberg::Vst::kLatencyChanged);
    }
}

void VantoController::adoptTransportFact(const TransportFact& fact) {
    transportFeed.adopt(fact, lifecycleLog, subscription, page);
    adoptHostTempo(fact);
}

void VantoController::cadenceTick(void* controller) {
    static_cast<VantoController*>(controller)->tickCadence();
}

// The clock keeps its fixed 30 Hz: the subscribed rate only limits what reaches the page. On Linux
// it runs on the host's run loop, found through the host context; without one it does not run.
void VantoController::startCadenceClock() {
    if (cadenceClock == nullptr) {
        cadenceClock =
            vantoStartCadenceClock(&VantoController::cadenceTick, this, 1.0 / kMaxFeedHz, getHostContext());
    }
}

void VantoController::stopCadenceClock() {
    vantoStopCadenceClock(cadenceClock);
    cadenceClock = nullptr;
}

} // namespace vanto
