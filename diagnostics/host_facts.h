// The host's processing configuration as the processor sees it, captured after each activation and
// processing set-up and sent to the controller as the raw bytes of this record. The layout is
// fixed (and checked below) so that both components of one build read the same bytes; every byte,
// padding included, is an explicit zero-initialised member, so a record sent raw never carries
// stale memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vanto {

inline constexpr std::size_t kHostFactsSize = 1312;
inline constexpr uint32_t kHostFactsMaxBuses = 8;

enum ValidatorHost : uint8_t {
    kValidatorNone = 0,
    kValidatorPluginval = 1,
    kValidatorClapValidator = 2,
    kValidatorAuval = 3,
    kValidatorSteinberg = 4,
    kValidatorVantoProbe = 5,
};

enum HostProcessMode : uint32_t {
    kHostProcessRealtime = 0,
    kHostProcessOffline = 1,
    kHostProcessPrefetch = 2,
};

enum HostTailKind : uint32_t {
    kHostTailUnreported = 0,
    kHostTailSamples = 1,
    kHostTailInfinite = 2,
};

// One audio bus as the host configured it (68 bytes).
struct HostBusFacts {
    char id[32] = {}; // "in0", "out0", ...
    uint8_t isInput = 0;
    uint8_t pad0[3] = {};
    uint32_t channels = 0;
    uint8_t active = 0;
    char layout[24] = {}; // "stereo", "mono"; empty = none
    uint8_t pad1[3] = {};
};

struct HostFacts {
    char hostName[128] = {};
    char hostVersion[64] = {};
    char hostPath[512] = {};
    uint8_t validatorHost = kValidatorNone; // ValidatorHost
    uint8_t pad0[7] = {};
    double sampleRate = 0.0;
    int32_t maxBlockFrames = 0;
    int32_t lastBlockFrames = -1;                // -1 = no block seen
    uint32_t processMode = kHostProcessRealtime; // HostProcessMode
    uint32_t sampleSize = 32;                    // 32 or 64
    int32_t latencySamples = 0;
    uint32_t tailKind = kHostTailUnreported; // HostTailKind
    int32_t tailSamples = 0;                 // meaningful when tailKind is kHostTailSamples
    uint8_t pad1[4] = {};
    double internalSampleRate = 0.0; // the kernel's rate; 0 = unknown
    uint8_t bypassKnown = 0;
    uint8_t bypassed = 0;
    uint8_t pad2[2] = {};
    HostBusFacts buses[kHostFactsMaxBuses] = {};
    uint32_t busCount = 0; // 0 … kHostFactsMaxBuses

    // Appends one bus; ignored once all eight records are used. Texts are cut to 31 (id) and 23
    // (layout) bytes; null texts are stored empty; a negative channel count is stored as 0.
    void addBus(const char* id, bool isInput, int channels, bool active, const char* layout);
};

static_assert(sizeof(HostBusFacts) == 68);
static_assert(offsetof(HostBusFacts, isInput) == 32);
static_assert(offsetof(HostBusFacts, channels) == 36);
static_assert(offsetof(HostBusFacts, active) == 40);
static_assert(offsetof(HostBusFacts, layout) == 41);

static_assert(sizeof(HostFacts) == kHostFactsSize);
static_assert(std::is_trivially_copyable_v<HostFacts>);
static_assert(std::is_standard_layout_v<HostFacts>);
static_assert(offsetof(HostFacts, hostVersion) == 128);
static_assert(offsetof(HostFacts, hostPath) == 192);
static_assert(offsetof(HostFacts, validatorHost) == 704);
static_assert(offsetof(HostFacts, sampleRate) == 712);
static_assert(offsetof(HostFacts, maxBlockFrames) == 720);
static_assert(offsetof(HostFacts, lastBlockFrames) == 724);
static_assert(offsetof(HostFacts, processMode) == 728);
static_assert(offsetof(HostFacts, sampleSize) == 732);
static_assert(offsetof(HostFacts, latencySamples) == 736);
static_assert(offsetof(HostFacts, tailKind) == 740);
static_assert(offsetof(HostFacts, tailSamples) == 744);
static_assert(offsetof(HostFacts, internalSampleRate) == 752);
static_assert(offsetof(HostFacts, bypassKnown) == 760);
static_assert(offsetof(HostFacts, bypassed) == 761);
static_assert(offsetof(HostFacts, buses) == 764);
static_assert(offsetof(HostFacts, busCount) == 1308);

// Reads a record received as raw bytes. Refuses (false, `out` untouched) anything but exactly
// kHostFactsSize bytes. The bytes come from another component, so the record is made safe to use:
// every text is terminated within its field and busCount is capped at kHostFactsMaxBuses.
bool readHostFactsBytes(const void* data, std::size_t size, HostFacts& out);

} // namespace vanto
