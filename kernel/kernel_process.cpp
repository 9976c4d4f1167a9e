#include "kernel_process.h"

#include "test_pulse.h"

#include <algorithm>
#include <cmath>

namespace vanto {

namespace {

constexpr double kFrameSeconds = 1.0 / SAMPLE_RATE;

bool isWholeNumber(double value) {
    return std::isfinite(value) && std::floor(value) == value;
}

bool blockIsValid(const KernelBlock& b) {
    if (b.inputChannels != 2 || b.outputChannels != 2 || b.input == nullptr || b.output == nullptr) {
        return false;
    }
    if (!isWholeNumber(b.capacity) || b.capacity < 1 || !isWholeNumber(b.offset) || b.offset < 0 ||
        !isWholeNumber(b.length) || b.length < 0) {
        return false;
    }
    if (b.length > DOVREL_MAX_FRAMES || b.offset + b.length > b.capacity) {
        return false;
    }
    const double needed = 2 * b.capacity;
    const bool sidechainFits = b.sidechain == nullptr || b.sidechainLength >= needed;
    return b.inputLength >= needed && b.outputLength >= needed && sidechainFits;
}

// Host samples that are not finite read as silence; huge ones are limited so no node can overflow.
double readSample(float sample) {
    if (!std::isfinite(sample)) {
        return 0.0;
    }
    return std::clamp(static_cast<double>(sample), -INPUT_LIMIT, INPUT_LIMIT);
}

// Times of this frame, stretched by the tempo that the kick onsets suggest.
struct FrameTiming {
    double hold;
    double release;
    double retrigger;
    double swing;
};

double medianOnsetInterval(KernelState& state) {
    const int n = std::min(state.onsetCount, ONSET_HISTORY);
    for (int i = 0; i < n; ++i) {
        state.onsetScratch[i] = state.onsetIntervals[i];
    }
    std::sort(state.onsetScratch.begin(), state.onsetScratch.begin() + n);
    if (n % 2 == 1) {
        return state.onsetScratch[n / 2];
    }
    return (state.onsetScratch[n / 2 - 1] + state.onsetScratch[n / 2]) / 2;
}

FrameTiming adaptTiming(KernelState& state) {
    const double base = state.periodSeconds;
    double period = base;
    if (period > 0 && state.onsetCount > 0) {
        const double median = state.onsetMedian;
        if (median > 0 && median / period >= ADAPT_RATIO_MIN && median / period <= ADAPT_RATIO_MAX) {
            period = period * (1 - state.adapt) + median * state.adapt;
        }
    }
    const double scale = base > 0 ? period / base : 1.0;
    return {state.holdSeconds * scale, state.releaseSeconds * scale, state.retriggerSeconds * scale,
            state.swingSeconds * scale};
}

void updateBells(KernelState& state) {
    const auto& peak = state.lanePeakDuck;
    const double sustainShare = 0.25 * peak[LANE_SUSTAIN] / 3;
    const double requests[BELL_COUNT_TOTAL] = {
        state.bellShare * static_cast<double>(peak[LANE_KICK]),
        peak[LANE_CLAP] + sustainShare,
        peak[LANE_PERC] + sustainShare,
        0.5 * peak[LANE_PERC] + sustainShare,
    };
    for (int bell = 0; bell < BELL_COUNT_TOTAL; ++bell) {
        double request = requests[bell];
        if (bellFrequency(state, bell) >= state.protectHz) {
            request *= state.protectGain;
        }
        const double gainDb = request > 0 ? -std::min(request, BELL_MAX_DB) : 0.0;
        setParametricEqBandGain(state.bellEqLeft, bell, gainDb);
        setParametricEqBandGain(state.bellEqRight, bell, gainDb);
    }
    updateParametricEqCoefficients(state.bellEqLeft);
    updateParametricEqCoefficients(state.bellEqRight);
    state.lanePeakDuck.fill(0.0f);
    state.protectGain = 1;
}

double sidechainSample(KernelState& state, const KernelBlock& block, int i, double mono) {
    switch (state.sidechainSource) {
    case SIDECHAIN_TEST_PULSE:
        return testPulseSample(state.frameCounter, state.bpm, state.divisionBeats);
    case SIDECHAIN_EXTERNAL:
        if (block.sidechain != nullptr) {
            const int stride = static_cast<int>(block.capacity);
            return (readSample(block.sidechain[i]) + readSample(block.sidechain[stride + i])) / 2;
        }
        // No side-chain reaches the kernel: the main input stands in for it.
        state.externalFallback = true;
        return mono;
    default:
        return mono;
    }
}

double laneStrengthOf(KernelState& state, int lane, double scf) {
    const double band = biquadNodeTick(state.laneBands[lane], scf);
    const double floor = std::max(envelopeFollowerTick(state.floorFollowers[lane], band), FLOOR_EPS);
    double detector;
    if (lane == LANE_SUSTAIN) {
        detector = envelopeFollowerTick(state.fastFollowers[lane], band);
    } else {
        const double fast = envelopeFollowerTick(state.fastFollowers[lane], band);
        const double slow = envelopeFollowerTick(state.slowFollowers[lane], band);
        detector = std::max(fast - slow, 0.0);
    }
    const double x = (detector / floor) / state.sensitivity - 1;
    return x > 0 ? x / (x + 1) * state.depthDb * state.laneWeight[lane] : 0.0;
}

void recordKickOnset(KernelState& state) {
    for (int i = ONSET_HISTORY - 1; i > 0; --i) {
        state.onsetIntervals[i] = state.onsetIntervals[i - 1];
    }
    state.onsetIntervals[0] = state.laneElapsed[LANE_KICK];
    state.onsetCount = std::min(state.onsetCount + 1, ONSET_HISTORY);
    state.onsetMedian = medianOnsetInterval(state);
}

// True when the lane starts a new hit.
bool detectLane(KernelState& state, int lane, double scf, const FrameTiming& timing) {
    const double strength = laneStrengthOf(state, lane, scf);
    const bool active = state.laneActive[lane] != 0;
    const double elapsed = state.laneElapsed[lane];
    const double holdEnd = timing.hold + state.laneSwing[lane];
    if (active && state.attackSeconds + holdEnd > elapsed) {
        state.laneStrength[lane] = static_cast<float>(std::max<double>(state.laneStrength[lane], strength));
    }
    if (strength <= 0 || (active && elapsed < timing.retrigger)) {
        return false;
    }
    if (active && elapsed < holdEnd) {
        state.laneElapsed[lane] = 0; // the hold restarts with the captured strength
        return false;
    }
    if (lane == LANE_KICK) {
        recordKickOnset(state);
    }
    state.laneHits[lane] += 1;
    state.laneActive[lane] = 1;
    state.laneElapsed[lane] = 0;
    state.laneStrength[lane] = static_cast<float>(strength);
    state.laneSwing[lane] = (state.laneHits[lane] % 2 == 1) ? static_cast<float>(timing.swing) : 0.0f;
    return true;
}

// Shares the depth budget between the lanes: the total approaches but never exceeds depthDb.
void shareBudget(KernelState& state) {
    double sum = 0;
    for (int lane = 0; lane < LANE_COUNT; ++lane) {
        if (state.laneWeight[lane] > 0 && state.laneStrength[lane] > 0) {
            sum += static_cast<double>(state.laneStrength[lane]) * state.laneWeight[lane];
        }
    }
    const double depth = state.depthDb;
    double factor;
    if (depth <= 0) {
        factor = 0;
    } else if (sum <= 0) {
        factor = 1;
    } else {
        factor = (depth / sum) * (1 - std::exp(-sum / depth));
    }
    for (int lane = 0; lane < LANE_COUNT; ++lane) {
        const bool shares = state.laneWeight[lane] > 0 && state.laneStrength[lane] > 0;
        state.laneDepth[lane] =
            shares ? static_cast<float>(factor * state.laneStrength[lane] * state.laneWeight[lane]) : 0.0f;
    }
}

double laneEnvelope(KernelState& state, int lane, const FrameTiming& timing) {
    if (state.laneActive[lane] == 0) {
        return 0.0;
    }
    const double elapsed = state.laneElapsed[lane];
    const double holdEnd = timing.hold + state.laneSwing[lane];
    double duck = 0;
    if (elapsed < holdEnd) {
        duck = state.laneDepth[lane];
    } else if (timing.release > 0) {
        const double progress = (elapsed - holdEnd) / timing.release;
        if (progress >= 1) {
            state.laneStrength[lane] = 0;
        } else {
            duck = (1 - recoveryBlended(state.recoveryBlend, progress)) * state.laneDepth[lane];
        }
    }
    state.laneElapsed[lane] = static_cast<float>(state.laneElapsed[lane] + kFrameSeconds);
    return duck;
}

void updateProtect(KernelState& state, double mono) {
    const double fast = envelopeFollowerTick(state.protectFast, mono);
    const double slow = envelopeFollowerTick(state.protectSlow, mono);
    const double q = std::clamp(std::max(fast - slow, 0.0) / PROTECT_FULL, 0.0, 1.0);
    const double g = 1 - state.protectAmount * q;
    state.protectGain = static_cast<float>(std::min<double>(state.protectGain, g));
}

double broadbandGain(KernelState& state) {
    const double duckDb = std::clamp(state.broadbandDuckDb, -BELL_MAX_DB, 60.0);
    if (duckDb != state.broadbandGain.gainDb) {
        state.broadbandGain.gainDb = duckDb;
        state.broadbandGain.gain = std::pow(10.0, -duckDb / 20);
    }
    return state.broadbandGain.gain;
}

double saturate(double wet, double drive) {
    const double m = drive * SATURATION_MAX_DRIVE + 1;
    const double y = std::clamp(wet * m, -1.0, 1.0);
    return (1.5 / m) * (y - y * y * y / 3);
}

void processFrame(KernelState& state, const KernelBlock& block, int i) {
    const int stride = static_cast<int>(block.capacity);
    const FrameTiming timing = adaptTiming(state);
    if (state.bellCountdown == 0) {
        updateBells(state);
    }
    const double k = state.smoothCoefficient;
    state.mixAmount = static_cast<float>(state.mixTarget + (state.mixAmount - state.mixTarget) * k);
    state.masterLevel = state.masterTarget + (state.masterLevel - state.masterTarget) * k;

    const double left = readSample(block.input[i]);
    const double right = readSample(block.input[stride + i]);
    const double mono = (left + right) / 2;
    const double scf = biquadNodeTick(state.sidechainHighpass, sidechainSample(state, block, i, mono));

    for (int lane = 0; lane < LANE_COUNT; ++lane) {
        if (detectLane(state, lane, scf, timing)) {
            meterLaneHit(state.meter, lane, i);
        }
    }
    shareBudget(state);
    for (int lane = 0; lane < LANE_COUNT; ++lane) {
        const double duck = laneEnvelope(state, lane, timing);
        state.laneDuck[lane] = static_cast<float>(duck);
        state.lanePeakDuck[lane] = std::max(state.lanePeakDuck[lane], state.laneDuck[lane]);
    }
    const float duckTarget =
        static_cast<float>(state.broadbandShare * static_cast<double>(state.laneDuck[LANE_KICK]));
    state.broadbandDuckDb = duckTarget + (state.broadbandDuckDb - duckTarget) * k;
    updateProtect(state, mono);

    const double low = biquadNodeTick(state.lowpass2, biquadNodeTick(state.lowpass1, mono));
    const double highLeft = biquadNodeTick(state.highpassLeft2, biquadNodeTick(state.highpassLeft1, left));
    const double highRight =
        biquadNodeTick(state.highpassRight2, biquadNodeTick(state.highpassRight1, right));
    const double lowDucked = low * broadbandGain(state);
    const double eqLeft = parametricEqNodeTick(state.bellEqLeft, highLeft);
    const double eqRight = parametricEqNodeTick(state.bellEqRight, highRight);
    double wetLeft = compressorNodeTick(state.glueLeft, lowDucked + eqLeft);
    double wetRight = compressorNodeTick(state.glueRight, lowDucked + eqRight);
    if (state.glueDrive > 0) {
        wetLeft = saturate(wetLeft, state.glueDrive);
        wetRight = saturate(wetRight, state.glueDrive);
    }

    double outLeft;
    double outRight;
    if (state.auditionMode == AUDITION_SIDECHAIN) {
        outLeft = outRight = scf;
    } else {
        const double mix = state.mixAmount;
        outLeft = left + (wetLeft - left) * mix;
        outRight = right + (wetRight - right) * mix;
        if (state.auditionMode == AUDITION_DELTA) {
            outLeft -= left;
            outRight -= right;
        }
    }
    block.output[i] = static_cast<float>(outLeft * state.masterLevel);
    block.output[stride + i] = static_cast<float>(outRight * state.masterLevel);
    meterFrame(state.meter, state, left, right, block.output[i], block.output[stride + i]);

    state.frameCounter = state.frameCounter + 1 == 0x80000000u ? 0 : state.frameCounter + 1;
    state.bellCountdown = state.bellCountdown == 0 ? BELL_UPDATE_FRAMES - 1 : state.bellCountdown - 1;
}

} // namespace

bool processBlock(KernelState& state, const KernelBlock& block) {
    if (!state.prepared || !blockIsValid(block)) {
        return false;
    }
    state.externalFallback = false;
    state.externalAvailable = block.sidechain != nullptr;
    const int first = static_cast<int>(block.offset);
    const int end = first + static_cast<int>(block.length);
    for (int i = first; i < end; ++i) {
        processFrame(state, block, i);
    }
    return true;
}

void resetInstance(KernelState& state) {
    state.onsetCount = 0;
    state.onsetMedian = 0;
    state.frameCounter = 0;
    state.externalFallback = false;
    state.externalAvailable = false;
    state.hostBpm = 0;
    state.bellCountdown = 0;
    state.protectGain = 1;
    for (int lane = 0; lane < LANE_COUNT; ++lane) {
        state.laneStrength[lane] = state.laneDepth[lane] = state.laneElapsed[lane] = 0;
        state.laneDuck[lane] = state.laneSwing[lane] = state.lanePeakDuck[lane] = 0;
        state.laneHits[lane] = 0;
        state.laneActive[lane] = 0;
        resetBiquadNode(state.laneBands[lane]);
        state.fastFollowers[lane].envelope = 0;
        state.slowFollowers[lane].envelope = 0;
        state.floorFollowers[lane].envelope = 0;
    }
    for (BiquadNode* node : {&state.sidechainHighpass, &state.lowpass1, &state.lowpass2, &state.highpassLeft1,
                             &state.highpassLeft2, &state.highpassRight1, &state.highpassRight2}) {
        resetBiquadNode(*node);
    }
    resetParametricEqNode(state.bellEqLeft);
    resetParametricEqNode(state.bellEqRight);
    state.protectFast.envelope = 0;
    state.protectSlow.envelope = 0;
    state.glueLeft.envelope = 0;
    state.glueRight.envelope = 0;
    restoreDefaults(state);
    state.onsetIntervals.fill(0.0f);
}

} // namespace vanto
