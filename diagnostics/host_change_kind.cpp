#include "diagnostics/host_change_kind.h"

#include "diagnostics/same_number.h"

#include <cstring>

namespace vanto {

namespace {

template <std::size_t N> bool sameText(const char (&a)[N], const char (&b)[N]) {
    return std::strncmp(a, b, N) == 0;
}

bool sameBus(const HostBusFacts& a, const HostBusFacts& b) {
    return a.isInput == b.isInput && a.channels == b.channels && a.active == b.active &&
           sameText(a.id, b.id) && sameText(a.layout, b.layout);
}

} // namespace

bool hostBusesDiffer(const HostFacts& previous, const HostFacts& next) {
    if (previous.busCount != next.busCount) {
        return true;
    }
    const uint32_t count = next.busCount < kHostFactsMaxBuses ? next.busCount : kHostFactsMaxBuses;
    for (uint32_t i = 0; i < count; ++i) {
        if (!sameBus(previous.buses[i], next.buses[i])) {
            return true;
        }
    }
    return false;
}

bool hostTailDiffers(const HostFacts& previous, const HostFacts& next) {
    return previous.tailKind != next.tailKind || previous.tailSamples != next.tailSamples;
}

bool hostBypassChanged(const HostFacts& previous, const HostFacts& next) {
    return (next.bypassKnown != 0 && previous.bypassKnown == 0) || previous.bypassed != next.bypassed;
}

bool diagnosticHostChange(const HostFacts& previous, const HostFacts& next, DiagnosticLifecycleKind& kind) {
    const struct {
        bool differs;
        DiagnosticLifecycleKind kind;
    } tests[] = {
        {!sameNumber(previous.sampleRate, next.sampleRate), kLifecycleSampleRateChanged},
        {previous.maxBlockFrames != next.maxBlockFrames, kLifecycleBlockSizeChanged},
        {hostBusesDiffer(previous, next), kLifecycleBusLayoutChanged},
        {previous.latencySamples != next.latencySamples, kLifecycleLatencyChanged},
        {hostTailDiffers(previous, next), kLifecycleTailChanged},
        {previous.processMode != next.processMode, kLifecycleProcessModeChanged},
        {hostBypassChanged(previous, next), kLifecycleBypassChanged},
        {previous.lastBlockFrames != next.lastBlockFrames, kLifecycleBlockSizeChanged},
        {previous.sampleSize != next.sampleSize, kLifecycleConfigured},
        {!sameNumber(previous.internalSampleRate, next.internalSampleRate), kLifecycleSampleRateChanged},
    };
    for (const auto& test : tests) {
        if (test.differs) {
            kind = test.kind;
            return true;
        }
    }
    return false;
}

const char* diagnosticHostChangeKind(const HostFacts& previous, const HostFacts& next) {
    DiagnosticLifecycleKind kind{};
    return diagnosticHostChange(previous, next, kind) ? diagnosticLifecycleKindName(kind) : nullptr;
}

} // namespace vanto
