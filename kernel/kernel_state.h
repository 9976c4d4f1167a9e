// One effect instance: its 34 parameter values, the working quantities derived from them, every filter,
// follower and compressor node, and the per-lane detection memory of the process loop.
#pragma once

#include "biquad_node.h"
#include "compressor_node.h"
#include "envelope_follower.h"
#include "gain_node.h"
#include "kernel_constants.h"
#include "meter_record.h"
#include "parametric_eq_node.h"
#include "recovery_curve.h"

#include <array>
#include <cstdint>

namespace vanto {

template <typename T> using LaneArray = std::array<T, LANE_COUNT>;

struct KernelState {
    // Parameter values in id order, as the kernel holds them.
    std::array<float, DOVREL_MACRO_COUNT> values{};

    // The host's tempo in BPM, limited to the tempo range; 0 while the host gives none.
    float hostBpm = 0;

    // Working quantities derived by applyMacros.
    float bpm = 120; // the effective tempo
    double divisionBeats = 0.5;
    float periodSeconds = 0;
    float holdSeconds = 0;
    double releaseSeconds = 0;
    float retriggerSeconds = 0;
    float swingSeconds = 0;
    float attackSeconds = 0;
    double curveShape = 1;
    RecoveryBlend recoveryBlend{};
    double adapt = 0;
    float depthDb = 0;
    float sensitivity = 1;
    LaneArray<float> laneWeight{};
    LaneArray<float> laneHz{};
    float bellShare = 0;
    float broadbandShare = 1;
    float glueThreshold = 0;
    float glueRatio = 1;
    float glueDrive = 0;
    float monoCrossoverHz = 120;
    float protectHz = 6000;
    double protectAmount = 0;
    int bellCount = 3;
    float bellQ = 1;
    int sidechainSource = SIDECHAIN_EXTERNAL;
    float sidechainHpfHz = 30;
    double link = 1;
    int auditionMode = AUDITION_OFF;
    double mixTarget = 1;
    double masterTarget = 1;

    // Smoothed values.
    float smoothCoefficient = 0;
    float mixAmount = 1;
    double masterLevel = 1;
    double broadbandDuckDb = 0;
    float protectGain = 1;

    // Nodes.
    LaneArray<BiquadNode> laneBands{};
    LaneArray<EnvelopeFollower> fastFollowers{};
    LaneArray<EnvelopeFollower> slowFollowers{};
    LaneArray<EnvelopeFollower> floorFollowers{};
    BiquadNode sidechainHighpass{};
    BiquadNode lowpass1{}, lowpass2{};
    BiquadNode highpassLeft1{}, highpassLeft2{}, highpassRight1{}, highpassRight2{};
    GainDbNode broadbandGain{};
    ParametricEqNode bellEqLeft{}, bellEqRight{};
    EnvelopeFollower protectFast{}, protectSlow{};
    CompressorNode glueLeft{}, glueRight{};

    // Detection memory.
    LaneArray<float> lanePeakDuck{};
    LaneArray<float> laneDuck{};
    LaneArray<float> laneDepth{};
    LaneArray<float> laneStrength{};
    LaneArray<float> laneElapsed{};
    LaneArray<float> laneSwing{};
    LaneArray<uint8_t> laneActive{};
    LaneArray<uint32_t> laneHits{};
    std::array<double, ONSET_HISTORY> onsetScratch{};
    int onsetCount = 0;
    double onsetMedian = 0; // median of the newest onset intervals, kept up to date at every kick onset
    std::array<float, ONSET_HISTORY> onsetIntervals{}; // newest first

    int bellCountdown = 0;
    uint32_t frameCounter = 0;
    bool externalFallback = false;
    bool externalAvailable = false;
    double sampleRate = SAMPLE_RATE;
    bool prepared = false;

    // What the current process call did, for meters; never read by the signal path.
    MeterAccumulator meter{};
};

struct KernelPrepareRecord {
    double inputChannels;
    double maxFrames;
    double outputChannels;
    double sampleRate;
};

void createState(KernelState& state);
bool prepare(KernelState& state, const KernelPrepareRecord& record);
bool setParameter(KernelState& state, const char* path, double value);
bool setParameterById(KernelState& state, uint32_t id, double value);
// Stores the host's tempo (0: the host gives none), which the timing follows when "sync.source" is
// "Host"; false for a negative or non-finite value.
bool setHostTempo(KernelState& state, double bpm);
void restoreDefaults(KernelState& state);
void applyMacros(KernelState& state);
void refreshCoefficients(KernelState& state);
void configureLaneFollowers(KernelState& state);
double bellFrequency(const KernelState& state, int bell);

} // namespace vanto
