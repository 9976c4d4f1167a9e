#include "parametric_eq_node.h"

#include "dsp_math.h"

#include <algorithm>

namespace vanto {

namespace {

constexpr int kBiquadTypeOfBand[] = {BIQUAD_PEAKING,  BIQUAD_LOWSHELF, BIQUAD_HIGHSHELF,
                                     BIQUAD_HIGHPASS, BIQUAD_LOWPASS,  BIQUAD_NOTCH};

// Transposed direct form II in double precision, with the coefficients as stored.
double filterDouble(const BiquadCoefficients& c, double& z1, double& z2, double x) {
    const double y = c.b0 * x + z1;
    z1 = c.b1 * x - c.a1 * y + z2;
    z2 = c.b2 * x - c.a2 * y;
    return y;
}

bool bandIsRunning(const ParametricEqBand& band) {
    return band.active || band.mixFade > 0;
}

double tickBand(ParametricEqBand& band, double x) {
    double y = filterDouble(band.coefficients, band.z1, band.z2, x);
    if (band.crossfade > 0) {
        const double yPrevious = filterDouble(band.previous, band.previousZ1, band.previousZ2, x);
        const double weight = static_cast<double>(band.crossfade) / PARAMETRIC_EQ_RAMP_SAMPLES;
        y = yPrevious * weight + y * (1 - weight);
        --band.crossfade;
    }
    if (band.mixFade > 0) {
        --band.mixFade;
        if (band.mixFade == 0) {
            band.mix = band.mixTarget;
            if (band.mixTarget == 0) {
                band.active = false;
            }
        } else {
            const double progress =
                static_cast<double>(PARAMETRIC_EQ_RAMP_SAMPLES - band.mixFade) / PARAMETRIC_EQ_RAMP_SAMPLES;
            band.mix = band.mixStart + progress * (band.mixTarget - band.mixStart);
        }
    }
    return band.mix == 1 ? y : y * band.mix + x * (1 - band.mix);
}

} // namespace

ParametricEqNode initParametricEqNode(double sampleRate, double bandCount) {
    ParametricEqNode node;
    node.sampleRate = sampleRate;
    node.bandCount =
        static_cast<int>(std::clamp(roundHalfUp(bandCount), 1.0, double(PARAMETRIC_EQ_MAX_BANDS)));
    return node;
}

void setParametricEqBandType(ParametricEqNode& node, int index, int requestedType) {
    ParametricEqBand& band = node.bands[index];
    const int type = std::clamp(requestedType, 0, static_cast<int>(PARAMETRIC_EQ_NOTCH));
    if (band.type == type) {
        return;
    }
    band.previous = band.coefficients;
    band.previousZ1 = band.z1;
    band.previousZ2 = band.z2;
    band.crossfade = PARAMETRIC_EQ_RAMP_SAMPLES;
    band.z1 = band.z2 = 0;
    band.type = type;
    band.dirty = true;
}

void setParametricEqBandFrequency(ParametricEqNode& node, int index, double frequency) {
    ParametricEqBand& band = node.bands[index];
    const double limited = std::clamp(frequency, 20.0, std::min(0.45 * node.sampleRate, 20000.0));
    if (band.frequency != limited) {
        band.frequency = limited;
        band.trigonometryValid = false;
        band.dirty = true;
    }
}

void setParametricEqBandQ(ParametricEqNode& node, int index, double q) {
    ParametricEqBand& band = node.bands[index];
    const double limited = std::clamp(q, PARAMETRIC_EQ_MIN_Q, PARAMETRIC_EQ_MAX_Q);
    if (band.q != limited) {
        band.q = limited;
        band.trigonometryValid = false;
        band.dirty = true;
    }
}

void setParametricEqBandGain(ParametricEqNode& node, int index, double gainDb) {
    ParametricEqBand& band = node.bands[index];
    const double limited = std::clamp(gainDb, -30.0, 30.0);
    if (band.gainDb != limited) {
        band.gainDb = limited;
        band.dirty = true;
    }
}

void setParametricEqBandOn(ParametricEqNode& node, int index, bool on) {
    ParametricEqBand& band = node.bands[index];
    if (band.requestedOn == on) {
        return;
    }
    band.requestedOn = on;
    if (on) {
        band.z1 = band.z2 = 0;
        band.previousZ1 = band.previousZ2 = 0;
        band.crossfade = 0;
        band.active = true;
    }
    band.mixStart = band.mix;
    band.mixTarget = on ? 1.0 : 0.0;
    band.mixFade = PARAMETRIC_EQ_RAMP_SAMPLES;
}

void updateParametricEqCoefficients(ParametricEqNode& node) {
    for (int i = 0; i < node.bandCount; ++i) {
        ParametricEqBand& band = node.bands[i];
        if (!band.dirty) {
            continue;
        }
        if (!band.trigonometryValid) {
            band.trigonometry = biquadTrigonometry(band.frequency, node.sampleRate, band.q);
            band.trigonometryValid = true;
        }
        band.coefficients = biquadCoefficients(kBiquadTypeOfBand[band.type], band.trigonometry, band.gainDb);
        band.dirty = false;
    }
}

double parametricEqNodeTick(ParametricEqNode& node, double x) {
    for (int i = 0; i < node.bandCount; ++i) {
        ParametricEqBand& band = node.bands[i];
        if (bandIsRunning(band)) {
            x = tickBand(band, x);
        }
    }
    return node.outputGain != 1 ? x * node.outputGain : x;
}

void resetParametricEqNode(ParametricEqNode& node) {
    for (ParametricEqBand& band : node.bands) {
        band.z1 = band.z2 = 0;
        band.previousZ1 = band.previousZ2 = 0;
        band.crossfade = 0;
        band.mixFade = 0;
        const double on = band.requestedOn ? 1.0 : 0.0;
        band.mix = band.mixStart = band.mixTarget = on;
        band.active = band.requestedOn;
    }
}

} // namespace vanto
