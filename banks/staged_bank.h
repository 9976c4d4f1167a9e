// A sound pack after loading: every asset verified and decoded into one mono pool, the selected
// instrument's zones pointing into it. Once loaded it is shared read-only with whoever plays from it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vanto {

enum class RuntimeBankOutcome : uint32_t {
    ok = 0,
    bankMissing = 1,
    bankHashMismatch = 2,
    bankMalformed = 3,
    bankUnsupportedCodec = 4,
    bankTooLarge = 5,
    bankInstrumentUnknown = 6,
};

// "ok", "bank-missing", ...; an out-of-range value is named "bank-missing".
const char* runtimeBankOutcomeName(RuntimeBankOutcome outcome);

inline constexpr uint32_t kNoLoopFrame = 0xFFFFFFFFu;

enum ZoneTrigger : uint32_t { kTriggerAttack = 0, kTriggerRelease = 1, kTriggerLegato = 2 };

struct StagedPositioning {
    std::string id;
    std::string name;
    std::string kind; // "instruments" or "kits"
};

struct StagedPreset {
    std::string id;
    std::string name;
    std::string instrument;
    std::vector<std::pair<std::string, double>> params; // parameter path and plain value
};

struct StagedZone {
    std::string id;
    uint32_t assetOffset = 0; // where the zone's asset lies in the pool
    uint32_t assetFrames = 0;
    uint32_t loopStartRaw = kNoLoopFrame; // the loop as the document gave it, before validation
    uint32_t loopEndRaw = kNoLoopFrame;
    uint32_t loopCrossfadeRaw = kNoLoopFrame;
    uint32_t start = 0; // the zone's sample range in the pool
    uint32_t frames = 0;
    double sampleRate = 48000.0;
    uint32_t lowKey = 0;
    uint32_t highKey = 127;
    uint32_t rootKey = 60;
    bool keyTracking = true;
    uint32_t lowVelocity = 0;
    uint32_t highVelocity = 127;
    double gain = 1.0;
    double pan = 0.0;
    double fineTuneCents = 0.0;
    uint32_t roundRobinGroup = 0;
    uint32_t chokeGroup = 0;
    uint32_t trigger = kTriggerAttack;
    bool loopEnabled = false;
    uint32_t loopStart = 0; // relative to start
    uint32_t loopEnd = 0;
    uint32_t loopCrossfade = 0;
    double attackSeconds = 0.001;
    double releaseSeconds = 0.05;
    bool reverse = false;
    double filterCutoffHz = 0.0;
    double filterResonance = 0.0;
};

struct StagedBank {
    std::string id;
    std::string version;
    std::string instrumentId;
    std::string instrumentName;
    std::string instrumentKind; // the list the instrument came from: "instruments" or "kits"
    std::vector<StagedPositioning> positionings;
    std::vector<StagedPreset> presets;
    std::string sha256; // of the manifest bytes
    std::string name;
    std::vector<float> samples; // the mono sample pool, each asset once
    std::vector<StagedZone> zones;
    double sampleRate = 48000.0;
};

struct RuntimeBankLoad {
    RuntimeBankOutcome outcome = RuntimeBankOutcome::bankMissing;
    StagedBank bank;
    std::string error; // one line; empty on success
};

} // namespace vanto
