#include "kernel_state.h"

#include "dsp_math.h"
#include "effective_tempo.h"
#include "kernel_process.h"
#include "param_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vanto {

namespace {

enum ParamId : uint32_t {
    SYNC_BPM,
    MACRO_SPACE,
    MACRO_DOVREL,
    MACRO_GLUE,
    SIDECHAIN_SOURCE,
    TIME_DIVISION,
    TIME_FEEL,
    TIME_ATTACK,
    TIME_HOLD,
    TIME_SWING,
    TIME_ADAPT,
    BUDGET_MAX_REDUCTION,
    DETECT_KICK_WEIGHT,
    DETECT_CLAP_WEIGHT,
    DETECT_PERC_WEIGHT,
    DETECT_SUSTAIN_WEIGHT,
    DETECT_SENSITIVITY,
    DETECT_KICK_HZ,
    DETECT_CLAP_HZ,
    DETECT_PERC_HZ,
    SHAPE_MONO_CROSSOVER,
    SHAPE_PROTECT_HZ,
    SHAPE_PROTECT_AMOUNT,
    SHAPE_BELL_COUNT,
    SHAPE_BELL_Q,
    GLUE_THRESHOLD,
    GLUE_RATIO,
    GLUE_DRIVE,
    SIDECHAIN_HPF,
    SIDECHAIN_LINK,
    SIDECHAIN_AUDITION,
    MIX_AMOUNT,
    MASTER_LEVEL,
    SYNC_SOURCE,
};

// Integer-valued selectors are rounded before clamping; the tempo keeps its fraction.
bool isRoundedInKernel(uint32_t id) {
    return VANTO_PARAMS[id].step == 1 && id != SYNC_BPM;
}

double clampToKernelRange(uint32_t id, double value) {
    const vanto_param_desc& desc = VANTO_PARAMS[id];
    const double v = isRoundedInKernel(id) ? roundHalfUp(value) : value;
    return std::clamp(v, desc.min, desc.max);
}

double value(const KernelState& state, uint32_t id) {
    return clampToKernelRange(id, state.values[id]);
}

int integerValue(const KernelState& state, uint32_t id) {
    return static_cast<int>(roundHalfUp(value(state, id)));
}

struct Feel {
    double releaseFactor;
    double holdFactor;
    double shape;
};

// Feel 1 morphs with the product macro through feels 0, 1, 2 and 4; the others are fixed.
Feel feelFor(int index, double macro) {
    if (index != 1) {
        return {FEEL_RELEASE[index], FEEL_HOLD[index], FEEL_SHAPE[index]};
    }
    const double p = 3 * std::clamp(macro, 0.0, 1.0);
    const int i = std::clamp(static_cast<int>(std::floor(p)), 0, 2);
    const double t = p - i;
    static constexpr int kPairs[3][2] = {{0, 1}, {1, 2}, {2, 4}};
    const int a = kPairs[i][0];
    const int b = kPairs[i][1];
    const auto blend = [t, a, b](const float* table) {
        return table[a] + t * (static_cast<double>(table[b]) - table[a]);
    };
    return {blend(FEEL_RELEASE), blend(FEEL_HOLD), blend(FEEL_SHAPE)};
}

double depthBudgetDb(double space, double maxReduction) {
    const double knee = std::min(maxReduction, SPACE_KNEE_DB);
    if (space <= 0.5) {
        return 2 * space * knee;
    }
    return knee + 2 * (space - 0.5) * (maxReduction - knee);
}

void applyTiming(KernelState& state) {
    state.bpm = static_cast<float>(
        effectiveTempo(integerValue(state, SYNC_SOURCE), value(state, SYNC_BPM), state.hostBpm));
    const double beat = 60.0 / state.bpm;
    state.divisionBeats = DIVISION_BEATS[integerValue(state, TIME_DIVISION)];
    state.periodSeconds = static_cast<float>(beat * state.divisionBeats);

    const Feel feel = feelFor(integerValue(state, TIME_FEEL), value(state, MACRO_DOVREL));
    const double hold = value(state, TIME_HOLD);
    const double holdFraction = hold > 0 ? hold : feel.holdFactor;
    state.holdSeconds = static_cast<float>(state.periodSeconds * holdFraction);
    state.releaseSeconds =
        std::clamp(state.periodSeconds * feel.releaseFactor, MIN_RELEASE_SECONDS, MAX_RELEASE_SECONDS);
    state.curveShape = feel.shape;
    state.recoveryBlend = recoveryBlendFor(feel.shape);

    const double swing = value(state, TIME_SWING);
    const double swingAmount = swing < 50 ? 0.0 : (std::min(swing, 75.0) - 50) / 100;
    state.swingSeconds = static_cast<float>(beat * 2 * state.divisionBeats * swingAmount);
    state.retriggerSeconds = static_cast<float>(state.periodSeconds * RETRIGGER_FRACTION);
    state.attackSeconds =
        static_cast<float>(std::max(std::min(value(state, TIME_ATTACK), 30.0) / 1000, 0.0001));
    state.adapt = value(state, TIME_ADAPT);
}

void applyDetection(KernelState& state) {
    state.depthDb =
        static_cast<float>(depthBudgetDb(value(state, MACRO_SPACE), value(state, BUDGET_MAX_REDUCTION)));
    state.laneWeight = {static_cast<float>(value(state, DETECT_KICK_WEIGHT)),
                        static_cast<float>(value(state, DETECT_CLAP_WEIGHT)),
                        static_cast<float>(value(state, DETECT_PERC_WEIGHT)),
                        static_cast<float>(value(state, DETECT_SUSTAIN_WEIGHT))};
    state.sensitivity = static_cast<float>(value(state, DETECT_SENSITIVITY));
    state.laneHz = {static_cast<float>(value(state, DETECT_KICK_HZ)),
                    static_cast<float>(value(state, DETECT_CLAP_HZ)),
                    static_cast<float>(value(state, DETECT_PERC_HZ)), static_cast<float>(LANE_SUSTAIN_HZ)};
}

void applyShapeAndGlue(KernelState& state) {
    const double glue = value(state, MACRO_GLUE);
    state.bellShare = static_cast<float>(glue);
    state.broadbandShare = static_cast<float>(1 - glue);
    state.glueThreshold = static_cast<float>(glue * value(state, GLUE_THRESHOLD));
    state.glueRatio = static_cast<float>(1 + glue * (value(state, GLUE_RATIO) - 1));
    state.glueDrive = static_cast<float>(glue * value(state, GLUE_DRIVE));

    state.monoCrossoverHz = static_cast<float>(value(state, SHAPE_MONO_CROSSOVER));
    state.protectHz = static_cast<float>(value(state, SHAPE_PROTECT_HZ));
    state.protectAmount = value(state, SHAPE_PROTECT_AMOUNT);
    state.bellCount = integerValue(state, SHAPE_BELL_COUNT);
    state.bellQ = static_cast<float>(value(state, SHAPE_BELL_Q));

    state.sidechainSource = integerValue(state, SIDECHAIN_SOURCE);
    state.sidechainHpfHz = static_cast<float>(value(state, SIDECHAIN_HPF));
    state.link = value(state, SIDECHAIN_LINK);
    state.auditionMode = integerValue(state, SIDECHAIN_AUDITION);
    state.mixTarget = value(state, MIX_AMOUNT);
    state.masterTarget = value(state, MASTER_LEVEL);
}

void designBiquad(BiquadNode& node, int type, double frequency, double q) {
    setBiquadNodeType(node, type);
    setBiquadNodeFrequency(node, frequency);
    setBiquadNodeQ(node, q);
    updateBiquadNodeCoefficients(node);
}

void configureFollower(EnvelopeFollower& follower, int mode, double attack, double release) {
    follower.mode = mode;
    setEnvelopeFollowerAttack(follower, attack);
    setEnvelopeFollowerRelease(follower, release);
}

void configureBells(KernelState& state, ParametricEqNode& eq) {
    for (int bell = 0; bell < BELL_COUNT_TOTAL; ++bell) {
        setParametricEqBandType(eq, bell, PARAMETRIC_EQ_BELL);
        setParametricEqBandFrequency(eq, bell, bellFrequency(state, bell));
        setParametricEqBandQ(eq, bell, bell == 0 ? BELL_KICK_Q : state.bellQ);
        setParametricEqBandOn(eq, bell, bell == 0 || bell < state.bellCount);
    }
    updateParametricEqCoefficients(eq);
}

void configureGlue(const KernelState& state, CompressorNode& glue) {
    glue.threshold = std::clamp(static_cast<double>(state.glueThreshold), -60.0, 0.0);
    glue.ratio = std::clamp(static_cast<double>(state.glueRatio), 1.0, 20.0);
    glue.knee = GLUE_KNEE_DB;
    setCompressorTimes(glue, GLUE_ATTACK_SECONDS, GLUE_RELEASE_SECONDS);
    glue.makeup = std::clamp(state.glueDrive * (-state.glueThreshold * GLUE_MAKEUP_SCALE), -24.0, 24.0);
}

} // namespace

void createState(KernelState& state) {
    state = KernelState{};
    state.sampleRate = SAMPLE_RATE;
    for (uint32_t id = 0; id < DOVREL_MACRO_COUNT; ++id) {
        state.values[id] = static_cast<float>(VANTO_PARAMS[id].defaultPlain);
    }
    state.smoothCoefficient = smoothingCoefficient(SMOOTH_SECONDS, SAMPLE_RATE);
    state.protectGain = 1;
    for (int lane = 0; lane < LANE_COUNT; ++lane) {
        state.laneBands[lane] = initBiquadNode(SAMPLE_RATE);
        state.fastFollowers[lane] = initEnvelopeFollower(SAMPLE_RATE);
        state.slowFollowers[lane] = initEnvelopeFollower(SAMPLE_RATE);
        state.floorFollowers[lane] = initEnvelopeFollower(SAMPLE_RATE);
    }
    for (BiquadNode* node : {&state.sidechainHighpass, &state.lowpass1, &state.lowpass2, &state.highpassLeft1,
                             &state.highpassLeft2, &state.highpassRight1, &state.highpassRight2}) {
        *node = initBiquadNode(SAMPLE_RATE);
    }
    state.broadbandGain = initGainDbNode(SAMPLE_RATE);
    state.bellEqLeft = initParametricEqNode(SAMPLE_RATE, BELL_COUNT_TOTAL);
    state.bellEqRight = initParametricEqNode(SAMPLE_RATE, BELL_COUNT_TOTAL);
    state.protectFast = initEnvelopeFollower(SAMPLE_RATE);
    state.protectSlow = initEnvelopeFollower(SAMPLE_RATE);
    state.glueLeft = initCompressorNode(SAMPLE_RATE);
    state.glueRight = initCompressorNode(SAMPLE_RATE);
    configureLaneFollowers(state);
    restoreDefaults(state);
    state.prepared = false;
}

bool prepare(KernelState& state, const KernelPrepareRecord& record) {
    if (record.inputChannels != 2 || record.maxFrames != DOVREL_MAX_FRAMES || record.outputChannels != 2 ||
        record.sampleRate != SAMPLE_RATE) {
        state.prepared = false;
        return false;
    }
    state.sampleRate = SAMPLE_RATE;
    state.smoothCoefficient = smoothingCoefficient(SMOOTH_SECONDS, SAMPLE_RATE);
    configureLaneFollowers(state);
    resetInstance(state);
    state.prepared = true;
    return true;
}

bool setParameter(KernelState& state, const char* path, double newValue) {
    if (!std::isfinite(newValue)) {
        return false;
    }
    const vanto_param_desc* desc = vanto_param_find(path);
    if (desc == nullptr) {
        return false;
    }
    state.values[desc->id] = static_cast<float>(clampToKernelRange(desc->id, newValue));
    applyMacros(state);
    return true;
}

bool setHostTempo(KernelState& state, double bpm) {
    if (!std::isfinite(bpm) || bpm < 0) {
        return false;
    }
    const auto hostBpm = static_cast<float>(hostTempoInRange(bpm));
    if (hostBpm == state.hostBpm) {
        return true;
    }
    state.hostBpm = hostBpm;
    // With a manual tempo nothing derived from the host's tempo changes, so nothing is recomputed.
    if (integerValue(state, SYNC_SOURCE) == kSyncSourceHost) {
        applyMacros(state);
    }
    return true;
}

bool setParameterById(KernelState& state, uint32_t id, double newValue) {
    if (id >= DOVREL_MACRO_COUNT) {
        return false;
    }
    return setParameter(state, VANTO_PARAMS[id].path, newValue);
}

void restoreDefaults(KernelState& state) {
    for (uint32_t id = 0; id < DOVREL_MACRO_COUNT; ++id) {
        state.values[id] = static_cast<float>(VANTO_PARAMS[id].defaultPlain);
    }
    applyMacros(state);
    state.mixAmount = static_cast<float>(state.mixTarget);
    state.masterLevel = state.masterTarget;
    state.broadbandDuckDb = 0;
}

void applyMacros(KernelState& state) {
    applyTiming(state);
    applyDetection(state);
    applyShapeAndGlue(state);
    refreshCoefficients(state);
}

void refreshCoefficients(KernelState& state) {
    for (int lane = 0; lane < LANE_COUNT; ++lane) {
        designBiquad(state.laneBands[lane], BIQUAD_BANDPASS, state.laneHz[lane], LANE_Q[lane]);
    }
    designBiquad(state.sidechainHighpass, BIQUAD_HIGHPASS, state.sidechainHpfHz, CROSSOVER_Q);
    for (BiquadNode* node : {&state.lowpass1, &state.lowpass2}) {
        designBiquad(*node, BIQUAD_LOWPASS, state.monoCrossoverHz, CROSSOVER_Q);
    }
    for (BiquadNode* node :
         {&state.highpassLeft1, &state.highpassLeft2, &state.highpassRight1, &state.highpassRight2}) {
        designBiquad(*node, BIQUAD_HIGHPASS, state.monoCrossoverHz, CROSSOVER_Q);
    }
    configureBells(state, state.bellEqLeft);
    configureBells(state, state.bellEqRight);
    configureFollower(state.protectFast, ENVELOPE_MODE_PEAK, PROTECT_ATTACK_SECONDS, PROTECT_RELEASE_SECONDS);
    configureFollower(state.protectSlow, ENVELOPE_MODE_PEAK, PROTECT_SLOW_ATTACK_SECONDS,
                      PROTECT_SLOW_RELEASE_SECONDS);
    configureGlue(state, state.glueLeft);
    configureGlue(state, state.glueRight);
}

void configureLaneFollowers(KernelState& state) {
    for (int lane = 0; lane < LANE_COUNT; ++lane) {
        const int fastMode = lane == LANE_SUSTAIN ? ENVELOPE_MODE_RMS : ENVELOPE_MODE_PEAK;
        configureFollower(state.fastFollowers[lane], fastMode, LANE_FAST_ATTACK[lane],
                          LANE_FAST_RELEASE[lane]);
        configureFollower(state.slowFollowers[lane], ENVELOPE_MODE_PEAK, LANE_SLOW_ATTACK[lane],
                          LANE_SLOW_RELEASE[lane]);
        configureFollower(state.floorFollowers[lane], ENVELOPE_MODE_PEAK, FLOOR_ATTACK_SECONDS,
                          FLOOR_RELEASE_SECONDS);
    }
}

double bellFrequency(const KernelState& state, int bell) {
    switch (bell) {
    case 0:
        return BELL_KICK_HZ;
    case 1:
        return 2.0 * state.laneHz[LANE_CLAP];
    case 2:
        return 0.46 * state.laneHz[LANE_PERC];
    default:
        return BELL_SPARE_HZ;
    }
}

} // namespace vanto
