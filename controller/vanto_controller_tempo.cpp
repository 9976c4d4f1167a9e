// The tempo the effect follows, as the page shows it: "sync.bpm", or the host's tempo while
// "sync.source" is Host and the host gives one. The host's tempo arrives with the transport facts;
// the page hears of every change of the effective tempo or its source.
#include "controller/vanto_controller.h"

#include "kernel/effective_tempo.h"

#include <cmath>

namespace vanto {

namespace {

constexpr uint32_t kSyncBpmId = 0;
constexpr uint32_t kSyncSourceId = 33;

} // namespace

EffectiveTempoFacts VantoController::currentTempoFacts() const {
    const auto syncSource = static_cast<int>(std::lround(currentPlainValue(kSyncSourceId)));
    return effectiveTempoFacts(syncSource, currentPlainValue(kSyncBpmId), hostTempo);
}

void VantoController::adoptHostTempo(const TransportFact& fact) {
    hostTempo = fact.hasTempo ? fact.tempo : 0.0;
    publishTempoIfChanged();
}

void VantoController::noteTempoParameter(uint32_t id) {
    if (id == kSyncBpmId || id == kSyncSourceId) {
        publishTempoIfChanged();
    }
}

void VantoController::publishTempoIfChanged() {
    const EffectiveTempoFacts facts = currentTempoFacts();
    if (!helloSent || !page.pageConnected() || facts == pageTempo) {
        return;
    }
    pageTempo = facts;
    std::string message;
    writeTempoMessageJson(message, facts);
    sendToUi(message);
}

} // namespace vanto
