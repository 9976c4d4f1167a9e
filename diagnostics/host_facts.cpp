#include "diagnostics/host_facts.h"

#include "diagnostics/diagnostic_text.h"

#include <cstring> // memcpy

namespace vanto {

namespace {

template <std::size_t N> void terminateText(char (&field)[N]) {
    field[N - 1] = '\0';
}

} // namespace

void HostFacts::addBus(const char* id, bool isInput, int channels, bool active, const char* layout) {
    if (busCount >= kHostFactsMaxBuses) {
        return;
    }
    HostBusFacts& bus = buses[busCount];
    bus = HostBusFacts{};
    copyDiagnosticText(bus.id, sizeof bus.id, id);
    bus.isInput = isInput ? 1 : 0;
    bus.channels = channels > 0 ? static_cast<uint32_t>(channels) : 0;
    bus.active = active ? 1 : 0;
    copyDiagnosticText(bus.layout, sizeof bus.layout, layout);
    ++busCount;
}

bool readHostFactsBytes(const void* data, std::size_t size, HostFacts& out) {
    if (data == nullptr || size != kHostFactsSize) {
        return false;
    }
    HostFacts facts;
    std::memcpy(&facts, data, kHostFactsSize);
    terminateText(facts.hostName);
    terminateText(facts.hostVersion);
    terminateText(facts.hostPath);
    if (facts.busCount > kHostFactsMaxBuses) {
        facts.busCount = kHostFactsMaxBuses;
    }
    for (HostBusFacts& bus : facts.buses) {
        terminateText(bus.id);
        terminateText(bus.layout);
    }
    out = facts;
    return true;
}

} // namespace vanto
