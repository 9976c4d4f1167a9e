// The diagnostic feeds the web editor can subscribe to, and its current subscription.
#pragma once

#include <cstdint>

namespace vanto {

enum DiagnosticFeedBit : uint32_t {
    kFeedHost = 1,
    kFeedTransport = 2,
    kFeedMidiIn = 4,
    kFeedMidiOut = 8,
    kFeedMeters = 16,
    kFeedScope = 32,
    kFeedLifecycle = 64,
    kFeedCounters = 128,
    kFeedParams = 256,
    kFeedPresets = 512,
    kFeedClock = 1024,
};

// The bit of a feed name ("host" … "clock"); 0 for null or any other name.
uint32_t diagnosticFeedBit(const char* name);

// The fastest rate any feed is sent at, which is also the cadence clock's rate.
inline constexpr double kMaxFeedHz = 30.0;

struct DiagnosticSubscription {
    uint32_t feeds = 0;  // OR of DiagnosticFeedBit
    double rateHz = 0.0; // requested maximum rate, at most kMaxFeedHz; 0 = none asked for

    // A new subscription: the page's feed mask and requested rate, capped at kMaxFeedHz (a NaN
    // request counts as none).
    void update(uint32_t feedMask, double requestedHz);
    void clear() { *this = DiagnosticSubscription{}; }
    bool wants(uint32_t feedBit) const { return (feeds & feedBit) != 0; }

    // The shortest time between two unchanged frames of a feed: 1000 / rate, or the 30 Hz period
    // when no positive rate was asked for.
    double feedIntervalMs() const;

    // The cadence the subscription asks for: 1 / rate, the rate taken as 30 Hz when it is not
    // above 0 or above 30, and raised to 1 Hz when below.
    double cadenceIntervalSeconds() const;
};

} // namespace vanto
