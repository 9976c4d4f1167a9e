#include "diagnostics/diagnostic_feeds.h"

#include <cmath>
#include <cstring>

namespace vanto {

uint32_t diagnosticFeedBit(const char* name) {
    if (name == nullptr) {
        return 0;
    }
    const struct {
        const char* name;
        uint32_t bit;
    } feeds[] = {
        {"host", kFeedHost},           {"transport", kFeedTransport}, {"midiIn", kFeedMidiIn},
        {"midiOut", kFeedMidiOut},     {"meters", kFeedMeters},       {"scope", kFeedScope},
        {"lifecycle", kFeedLifecycle}, {"counters", kFeedCounters},   {"params", kFeedParams},
        {"presets", kFeedPresets},     {"clock", kFeedClock},
    };
    for (const auto& feed : feeds) {
        if (std::strcmp(name, feed.name) == 0) {
            return feed.bit;
        }
    }
    return 0;
}

void DiagnosticSubscription::update(uint32_t feedMask, double requestedHz) {
    feeds = feedMask;
    rateHz = std::isnan(requestedHz) ? 0.0 : std::fmin(requestedHz, kMaxFeedHz);
}

double DiagnosticSubscription::feedIntervalMs() const {
    // A negative rate would make every frame due at once; it counts as no rate asked for.
    return rateHz > 0.0 ? 1000.0 / rateHz : 1000.0 / kMaxFeedHz;
}

double DiagnosticSubscription::cadenceIntervalSeconds() const {
    double rate = rateHz;
    if (!(rate > 0.0) || rate > kMaxFeedHz) {
        rate = kMaxFeedHz;
    } else if (rate < 1.0) {
        rate = 1.0;
    }
    return 1.0 / rate;
}

} // namespace vanto
